#include "lesson/wordreplayer.h"

#include "lesson/lesson.h"
#include "lesson/lessoncontroller.h"
#include "lesson/wordreplay.h"
#include "playback/transport.h"

WordReplayer::WordReplayer(LessonController *lesson, Transport *transport, QObject *parent)
    : QObject(parent), m_lesson(lesson), m_transport(transport)
{
    setObjectName(QStringLiteral("WordReplayer"));
}

void WordReplayer::replay(const QString &typed)
{
    m_waiting.reset();
    const std::optional<LessonController::StuckWord> stuck = m_lesson->stuckWord(typed);
    if (!stuck)
        return;
    const Sentence &sentence = m_lesson->lesson()->sentences().at(stuck->sentence);
    if (!sentence.words.isEmpty() || !m_source) {
        play(sentence, sentence.words, stuck->range);
        return;
    }
    if (const std::optional<QList<WordTime>> words = m_source(sentence)) {
        play(sentence, *words, stuck->range);
        return;
    }
    m_waiting = std::pair(sentence, stuck->range);
    Q_EMIT statusMessage(tr("正在找这个词在录音中的位置…"));
}

void WordReplayer::wordTimesFound(const Sentence &sentence, const QList<WordTime> &words)
{
    if (!m_waiting || m_waiting->first != sentence)
        return;
    const auto [waited, range] = *std::exchange(m_waiting, std::nullopt);
    // Only while the learner is still on that sentence.
    const Lesson *lesson = m_lesson->lesson();
    const int current = lesson->current();
    if (current < 0 || lesson->sentences().at(current) != waited)
        return;
    play(waited, words, range);
}

void WordReplayer::play(const Sentence &sentence, const QList<WordTime> &words,
                        const TextRange &range)
{
    const std::optional<TimeSpan> word = spokenSpan(words, range);
    if (!word) {
        Q_EMIT statusMessage(tr("这一句没有词的时间"));
        return;
    }
    const TimeSpan span = replaySpan(*word, sentence);
    m_transport->playOnce(span.start, span.end);
    Q_EMIT statusMessage(
        tr("重听“%1”").arg(sentence.text.mid(range.start, range.end - range.start)));
}
