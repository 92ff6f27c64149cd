#include "lesson/lesson.h"

#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"

#include <algorithm>

Lesson::Lesson(QObject *parent) : QObject(parent), m_model(new SentenceListModel(this))
{
    setObjectName(QStringLiteral("Lesson"));
}

namespace {

bool sameTimes(const Sentence &a, const Sentence &b)
{
    return a.start == b.start && a.end == b.end;
}

} // namespace

void Lesson::setSentences(const QList<Sentence> &sentences, const QList<SentenceProgress> &stored)
{
    // Sentences arrive as the recording is analysed: more of them, or the
    // same ones settled, or the recording is divided anew. The records (the
    // stored ones, as this visit changed them) follow their sentences; the
    // sentence worked on keeps the help taken on it while its times stay.
    if (!m_haveRecords && !sentences.isEmpty()) {
        m_records = stored;
        m_haveRecords = true;
    }
    const bool extends =
        !m_sentences.isEmpty() && sentences.size() >= m_sentences.size()
        && std::equal(m_sentences.cbegin(), m_sentences.cend(), sentences.cbegin(), sameTimes);
    int current = -1;
    if (m_current >= 0) {
        const Sentence &was = m_sentences.at(m_current);
        const auto found = std::find_if(sentences.cbegin(), sentences.cend(),
                                        [&was](const Sentence &s) { return sameTimes(s, was); });
        if (found != sentences.cend())
            current = int(found - sentences.cbegin());
    }
    const qsizetype before = m_progress.size();
    m_sentences = sentences;
    m_progress = matchProgress(sentences, m_records);
    if (extends) {
        m_model->appendRows(m_progress.mid(before));
    } else {
        m_passages.clear();
        m_model->setProgress(m_progress);
    }
    QList<bool> unsure;
    unsure.reserve(sentences.size());
    for (const Sentence &s : sentences)
        unsure.append(s.poor);
    m_model->setUnsure(unsure);
    const int was = m_current;
    if (current < 0) {
        m_current = -1;
        m_hints = 0;
        m_hintedWord = -1;
        m_answerShown = false;
        m_lastTry.reset();
        m_hintLatest = false;
    } else {
        m_current = current;
        m_model->setCurrent(current);
    }
    Q_EMIT sentencesChanged();
    // A list laid out anew shows the current row again.
    if (m_current >= 0 && (!extends || m_current != was))
        Q_EMIT currentChanged(m_current);
}

void Lesson::shiftRecords(double seconds)
{
    for (SentenceProgress &record : m_records) {
        record.start += seconds;
        record.end += seconds;
    }
}

void Lesson::clear()
{
    // Another recording: nothing of this one carries over.
    m_sentences.clear();
    m_progress.clear();
    m_records.clear();
    m_haveRecords = false;
    m_current = -1;
    setSentences({}, {});
}

void Lesson::setCurrent(int index)
{
    if (index < -1 || index >= count())
        index = -1;
    if (index == m_current)
        return;
    m_current = index;
    m_hints = 0;
    m_hintedWord = -1;
    m_answerShown = false;
    m_lastTry.reset();
    m_hintLatest = false;
    m_since.start();
    m_model->setCurrent(index);
    Q_EMIT currentChanged(index);
}

void Lesson::noteHint(int wordIndex)
{
    ++m_hints;
    m_hintedWord = wordIndex;
    m_hintLatest = true;
}

void Lesson::noteTry(const QString &line)
{
    m_lastTry = line;
    m_hintLatest = false;
}

void Lesson::noteAnswerShown()
{
    m_answerShown = true;
}

double Lesson::secondsOnCurrent() const
{
    return m_since.isValid() ? m_since.elapsed() / 1000.0 : 0.0;
}

void Lesson::keepRecord(int index)
{
    // The records this sentence took give way to its new one, as in the
    // learner database.
    const QList<int> owners = sentencesOfRecords(m_sentences, m_records);
    const SentenceProgress &now = m_progress.at(index);
    QList<SentenceProgress> kept;
    kept.reserve(m_records.size() + 1);
    for (qsizetype r = 0; r < m_records.size(); ++r) {
        const SentenceProgress &record = m_records.at(r);
        const bool same = record.start == now.start && record.end == now.end;
        if (owners.at(r) != index && !same)
            kept.append(record);
    }
    kept.append(now);
    m_records = kept;
    m_haveRecords = true;
}

const SentenceProgress &Lesson::update(int index, const SentenceProgress &progress)
{
    m_progress[index] = progress;
    keepRecord(index);
    m_model->setRow(index, progress);
    Q_EMIT progressChanged(index);
    return m_progress.at(index);
}

void Lesson::setExpected(int index, const QString &text)
{
    if (index >= 0 && index < count()) {
        m_progress[index].expected = text;
        keepRecord(index);
    }
}

std::optional<TextRange> Lesson::passage(int index) const
{
    const auto found = m_passages.constFind(index);
    return found != m_passages.cend() ? std::optional<TextRange>(*found) : std::nullopt;
}

void Lesson::setPassage(int index, const TextRange &range)
{
    if (index >= 0 && index < count())
        m_passages.insert(index, range);
}

void Lesson::forgetPassages()
{
    m_passages.clear();
}
