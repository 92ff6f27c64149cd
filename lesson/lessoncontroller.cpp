#include "lesson/lessoncontroller.h"

#include "feedback/wordfeedback.h"
#include "learner/learnerdatabase.h"
#include "lesson/answerfollower.h"
#include "lesson/lesson.h"
#include "lesson/lessonrules.h"
#include "lesson/wordreplay.h"
#include "sentences/sentencenavigation.h"

#include <QTimer>

#include <algorithm>

LessonController::LessonController(WordFeedback *feedback, AnswerFollower *follower,
                                   QObject *parent)
    : QObject(parent), m_lesson(new Lesson(this)), m_feedback(feedback), m_follower(follower),
      m_advanceTimer(new QTimer(this)), m_now([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("LessonController"));
    m_advanceTimer->setObjectName(QStringLiteral("Timer_NextSentence"));
    m_advanceTimer->setSingleShot(true);
    m_advanceTimer->setInterval(500);
    connect(m_advanceTimer, &QTimer::timeout, this, &LessonController::advance);
    connect(m_lesson, &Lesson::currentChanged, this, &LessonController::followAnswer);
}

bool LessonController::isOn() const
{
    return m_switchedOn && m_lesson->count() > 0;
}

bool LessonController::applies() const
{
    return isOn() && m_lesson->current() >= 0;
}

void LessonController::setSwitchedOn(bool on)
{
    m_switchedOn = on;
    // A sentence already looped stays; otherwise the lesson leads from the
    // first one not yet done.
    if (on && !m_path.isEmpty() && !applies()) {
        m_pending = true;
        startWhenReady();
    }
    Q_EMIT progressChanged();
}

void LessonController::setHideAnswer(bool hide)
{
    m_hideAnswer = hide;
    followAnswer();
}

void LessonController::setAnswerLooked(bool looked)
{
    m_answerLooked = looked;
    followAnswer();
}

void LessonController::openRecording(const RecordingKey &key, const QString &path)
{
    m_key = key;
    m_path = path;
    m_stored.reset();
    m_keyComing = false;
    m_waiting.reset();
    m_pending = true;
}

void LessonController::setRecordingKey(const RecordingKey &key)
{
    m_key = key;
    m_keyComing = false;
    if (m_waiting) {
        const auto [sentences, complete] = *m_waiting;
        m_waiting.reset();
        setSentences(sentences, complete);
    }
}

void LessonController::closeRecording()
{
    m_pending = false;
    m_advanceTimer->stop();
    m_key = {};
    m_path.clear();
    m_stored.reset();
    m_keyComing = false;
    m_waiting.reset();
}

void LessonController::shiftRecords(double seconds)
{
    m_lesson->shiftRecords(seconds);
    if (m_stored) {
        for (SentenceProgress &record : *m_stored) {
            record.start += seconds;
            record.end += seconds;
        }
    }
    if (m_learner)
        m_learner->shiftSentences(m_key, m_path, seconds);
}

void LessonController::setSentences(const QList<Sentence> &sentences, bool complete)
{
    if (m_keyComing) {
        m_waiting = std::pair(sentences, complete);
        return;
    }
    m_complete = complete;
    if (!m_stored && m_learner && m_key.isValid() && !sentences.isEmpty())
        m_stored = m_learner->sentences(m_key);
    const QList<SentenceProgress> stored = sentences.isEmpty()
                                               ? QList<SentenceProgress>()
                                               : m_stored.value_or(QList<SentenceProgress>());
    if (m_learner && m_key.isValid()) {
        QList<SentenceMatch::Span> division;
        division.reserve(sentences.size());
        for (const Sentence &s : sentences)
            division.append({s.start, s.end, s.text});
        m_learner->setDivision(m_key, m_path, division, complete);
    }
    std::optional<Sentence> looped;
    bool fresh = false;
    if (const int current = m_lesson->current(); current >= 0) {
        looped = m_lesson->sentences().at(current);
        fresh = !m_wantedStart() && current == firstUnfinished(m_lesson->progress())
                && m_lesson->at(current).tries == 0 && !m_lesson->helped();
    }
    m_lesson->setSentences(sentences, stored);
    // The sentence looped, drawn a little differently once the whole
    // recording is known: the loop follows it, so the lesson goes on. A
    // lesson that had only just started goes to the first sentence not yet
    // done among those found now.
    if (looped && sameSpan(m_loopStart, m_loopEnd, looped->start, looped->end)) {
        const int index = placeAfterNewSentences(sentences, m_lesson->progress(), *looped, fresh);
        if (index >= 0 && index != m_lesson->current()) {
            if (index == matchingSentence(sentences, looped->start, looped->end))
                Q_EMIT loopRequested(sentences.at(index).start, sentences.at(index).end);
            else
                Q_EMIT playRequested(index);
        }
    }
    followLoop(m_loopStart, m_loopEnd);
    Q_EMIT progressChanged();
    startWhenReady();
}

void LessonController::followLoop(double start, double end)
{
    m_loopStart = start;
    m_loopEnd = end;
    PlayPlace place;
    place.loopStart = start;
    place.loopEnd = end;
    m_lesson->setCurrent(currentSentence(m_lesson->sentences(), place));
}

void LessonController::startWhenReady()
{
    if (!m_pending || !isOn() || !m_playbackActive())
        return;
    const std::optional<Span> wanted = m_wantedStart();
    // While the analysis goes on, the lesson starts once the sentence it
    // starts on has been found.
    if (!m_complete) {
        const bool found =
            wanted ? matchingSentence(m_lesson->sentences(), wanted->start, wanted->end) >= 0
                   : firstUnfinished(m_lesson->progress()) >= 0;
        if (!found)
            return;
    }
    m_pending = false;
    if (m_lesson->count() == 0)
        return;
    Q_EMIT started();
    if (wanted) {
        Q_EMIT wantedStartReady();
        return;
    }
    const int first = firstUnfinished(m_lesson->progress());
    Q_EMIT playRequested(first >= 0 ? first : 0);
    if (first < 0)
        Q_EMIT statusMessage(tr("这段录音的句子都已完成"));
}

QString LessonController::expected(int index, const QString &typed, bool forHelp)
{
    const SentenceProgress &progress = m_lesson->at(index);
    // The cue, or the answer passage this sentence was compared with before.
    if (!progress.expected.isEmpty())
        return progress.expected;
    if (const std::optional<Passage> passage = m_feedback->nearestPassage(typed)) {
        m_lesson->setPassage(index, withClosingMarks(m_feedback->answerText(),
                                                     TextRange{passage->start, passage->end}));
        m_lesson->setExpected(index, passage->expected);
        return passage->expected;
    }
    // Nothing typed points anywhere: the sentence's place in the answer does.
    const std::optional<TextRange> place =
        m_feedback->hasAnswer() ? placePassage(index) : std::nullopt;
    if (!place)
        return {};
    const QString text = m_feedback->answerText().mid(place->start, place->end - place->start);
    if (forHelp) {
        // Help comes from this passage, so the lines that follow are held to it.
        m_lesson->setPassage(index, *place);
        m_lesson->setExpected(index, text);
    }
    return text;
}

std::optional<TextRange> LessonController::sentencePassage(int index, bool search)
{
    if (const std::optional<TextRange> known = m_lesson->passage(index))
        return known;
    if (!search || !m_feedback->hasAnswer())
        return std::nullopt;
    const SentenceProgress &progress = m_lesson->at(index);
    std::optional<TextRange> found;
    if (!progress.expected.isEmpty()) {
        const std::optional<TextRange> before =
            index > 0 ? m_lesson->passage(index - 1) : std::nullopt;
        if (!m_lesson->sentences().at(index).text.isEmpty()) {
            // A cue stands where the answer says the nearest thing to it.
            if (const std::optional<Passage> passage =
                    m_feedback->findPassage(progress.expected, before ? before->end : 0))
                found = withClosingMarks(m_feedback->answerText(),
                                         TextRange{passage->start, passage->end});
        } else if (const std::optional<TextRange> place = placePassage(index)) {
            // A passage compared with before is taken word for word.
            found = locateInAnswer(m_feedback->answerText(), progress.expected, place->start);
        }
    }
    if (found) {
        m_lesson->setPassage(index, *found);
        return found;
    }
    // A guess is not kept: the passage before it may become known.
    return placePassage(index);
}

std::optional<TextRange> LessonController::placePassage(int index)
{
    const QString &answer = m_feedback->answerText();
    const QList<Sentence> &sentences = m_lesson->sentences();
    const double span = sentences.isEmpty() ? 0.0 : sentences.last().end;
    const double share = span > 0 ? sentences.at(index).start / span : 0.0;
    std::optional<qsizetype> previousEnd;
    if (index > 0) {
        std::optional<TextRange> before = m_lesson->passage(index - 1);
        const QString &text = m_lesson->at(index - 1).expected;
        if (!before && !text.isEmpty())
            before = locateInAnswer(answer, text, qsizetype(share * double(answer.size())));
        if (before)
            previousEnd = before->end;
    }
    return passageByPlace(answer, previousEnd, share);
}

void LessonController::followAnswer()
{
    const bool on = isOn();
    m_follower->setActive(on);
    const int index = on ? m_lesson->current() : -1;
    if (index < 0) {
        m_follower->setCurrent(-1, std::nullopt, false);
        return;
    }
    // The answer text is searched only once the learner looks at it.
    const std::optional<TextRange> passage = sentencePassage(index, m_answerLooked);
    const SentenceProgress &progress = m_lesson->at(index);
    // Hidden until a line has been tried against it or the answer was asked for.
    const bool hidden = m_hideAnswer && progress.tries == 0 && !isFinished(progress.state)
                        && !m_lesson->answerShown();
    m_follower->setCurrent(index, passage, hidden);
}

void LessonController::store(int index, const std::optional<AttemptRecord> &attempt)
{
    if (m_learner && m_key.isValid())
        m_learner->saveSentence(m_key, m_path, m_lesson->at(index), attempt);
}

void LessonController::storeAgain()
{
    if (!m_learner || !m_key.isValid())
        return;
    for (const SentenceProgress &record : m_lesson->progress()) {
        if (record.state != SentenceState::NotStarted || record.tries > 0)
            m_learner->saveSentence(m_key, m_path, record, std::nullopt);
    }
}

void LessonController::takeLine(const QString &text)
{
    const int index = m_lesson->current();
    const Sentence sentence = m_lesson->sentences().at(index);
    const QString wanted = expected(index, text);
    const bool helped = m_lesson->helped();
    QString note = helped ? tr("借助提示") : QString();
    if (wanted.isEmpty() && !m_feedback->hasAnswer())
        note = tr("没有可对照的文字，已记下");
    const int score = m_feedback->compareSentence(text, wanted, note);
    // With nothing to compare against, the learner's line is taken as it is;
    // one too long to compare is not.
    const bool pass = linePasses(score, m_passMark);

    AttemptRecord attempt;
    attempt.at = m_now();
    attempt.typed = text;
    attempt.score = score;
    attempt.hints = m_lesson->hintsUsed();
    attempt.answerShown = m_lesson->answerShown();
    attempt.seconds = m_lesson->secondsOnCurrent();
    attempt.passed = pass;
    m_lesson->noteTry(text);
    m_lesson->update(index, afterAttempt(m_lesson->at(index), score, text, pass, helped));
    store(index, attempt);
    Q_EMIT progressChanged();

    if (pass) {
        Q_EMIT passed();
        m_advanceTarget = firstUnfinished(m_lesson->progress(), index + 1);
        m_advanceTimer->start();
    } else {
        Q_EMIT retryRequested(sentence.start);
    }
}

void LessonController::advance()
{
    m_advanceTimer->stop();
    const int next = std::exchange(m_advanceTarget, -1);
    Q_EMIT advanceDue(next);
}

void LessonController::finishPendingAdvance()
{
    if (m_advanceTimer->isActive())
        advance();
}

void LessonController::cancelAdvance()
{
    m_advanceTimer->stop();
    m_advanceTarget = -1;
}

void LessonController::skip()
{
    finishPendingAdvance();
    if (!applies())
        return;
    const int index = m_lesson->current();
    m_lesson->update(index, afterSkip(m_lesson->at(index)));
    store(index, std::nullopt);
    Q_EMIT progressChanged();
    int next = firstUnfinished(m_lesson->progress(), index + 1);
    if (next == index || next < 0)
        next = std::min(index + 1, m_lesson->count() - 1);
    Q_EMIT playRequested(next);
}

std::optional<Hint> LessonController::hint(const QString &typed)
{
    if (!applies())
        return std::nullopt;
    const int index = m_lesson->current();
    const QString wanted = expected(index, typed, true);
    if (wanted.isEmpty()) {
        m_feedback->showMessage(tr("这一句没有可对照的文字"));
        return std::nullopt;
    }
    const std::optional<Hint> hint =
        nextHint(typed, wanted, m_lesson->hintedWord(), m_feedback->language());
    if (!hint) {
        m_feedback->showMessage(tr("这一句已经全对了，按回车提交"));
        return std::nullopt;
    }
    m_lesson->noteHint(hint->wordIndex);
    m_feedback->showMessage(hint->whole ? tr("提示：下一个词是“%1”").arg(hint->text)
                                        : tr("提示：下一个词以“%1”开头").arg(hint->text));
    return hint;
}

bool LessonController::showAnswer(const QString &typed)
{
    if (!applies())
        return false;
    const QString wanted = expected(m_lesson->current(), typed, true);
    if (wanted.isEmpty()) {
        m_feedback->showMessage(tr("这一句没有可对照的文字"));
        return false;
    }
    m_lesson->noteAnswerShown();
    followAnswer();
    m_feedback->showMessage(tr("本句答案：%1").arg(wanted));
    return true;
}

std::optional<LessonController::StuckWord> LessonController::stuckWord(const QString &typed)
{
    if (!applies())
        return std::nullopt;
    const int index = m_lesson->current();
    // Word times index the sentence's own text: a cue's or a transcript's.
    const QString &text = m_lesson->sentences().at(index).text;
    if (text.isEmpty()) {
        Q_EMIT statusMessage(tr("这一句没有词的时间"));
        return std::nullopt;
    }
    const QString language = m_feedback->language();
    const int word = ::stuckWord(m_lesson->lastTry().value_or(typed), text,
                                 m_lesson->wordOfLatestHint(), language);
    const std::optional<TextRange> range = expectedWordRange(text, word, language);
    if (!range) {
        Q_EMIT statusMessage(tr("这一句已经全对了，按回车提交"));
        return std::nullopt;
    }
    return StuckWord{index, *range};
}

void LessonController::noteAnswered(double loopStart, double loopEnd)
{
    m_answeredStart = loopStart;
    m_answeredEnd = loopEnd;
}

bool LessonController::isAnswered(double loopStart, double loopEnd) const
{
    return sameSpan(loopStart, loopEnd, m_answeredStart, m_answeredEnd);
}
