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
    // same ones settled. What this visit did outlives that, and so does the
    // sentence worked on with the help taken on it.
    QList<SentenceProgress> known = stored;
    known += m_progress; // later records of the same times win
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
    m_progress = matchProgress(sentences, known);
    if (extends) {
        m_model->appendRows(m_progress.mid(before));
    } else {
        m_passages.clear();
        m_model->setProgress(m_progress);
    }
    const int was = m_current;
    if (current < 0) {
        m_current = -1;
        m_hints = 0;
        m_hintedWord = -1;
        m_answerShown = false;
    } else {
        m_current = current;
        m_model->setCurrent(current);
    }
    Q_EMIT sentencesChanged();
    // A list laid out anew shows the current row again.
    if (m_current >= 0 && (!extends || m_current != was))
        Q_EMIT currentChanged(m_current);
}

void Lesson::clear()
{
    // Another recording: nothing of this one carries over.
    m_sentences.clear();
    m_progress.clear();
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
    m_since.start();
    m_model->setCurrent(index);
    Q_EMIT currentChanged(index);
}

void Lesson::noteHint(int wordIndex)
{
    ++m_hints;
    m_hintedWord = wordIndex;
}

void Lesson::noteAnswerShown()
{
    m_answerShown = true;
}

double Lesson::secondsOnCurrent() const
{
    return m_since.isValid() ? m_since.elapsed() / 1000.0 : 0.0;
}

const SentenceProgress &Lesson::update(int index, const SentenceProgress &progress)
{
    m_progress[index] = progress;
    m_model->setRow(index, progress);
    Q_EMIT progressChanged(index);
    return m_progress.at(index);
}

void Lesson::setExpected(int index, const QString &text)
{
    if (index >= 0 && index < count())
        m_progress[index].expected = text;
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
