#include "lesson/lesson.h"

#include "lesson/lessonrules.h"
#include "lesson/sentencelistmodel.h"

Lesson::Lesson(QObject *parent) : QObject(parent), m_model(new SentenceListModel(this))
{
    setObjectName(QStringLiteral("Lesson"));
}

void Lesson::setSentences(const QList<Sentence> &sentences, const QList<SentenceProgress> &stored)
{
    m_sentences = sentences;
    m_progress = matchProgress(sentences, stored);
    m_current = -1;
    m_hints = 0;
    m_hintedWord = -1;
    m_answerShown = false;
    m_passages.clear();
    m_model->setProgress(m_progress);
    Q_EMIT sentencesChanged();
}

void Lesson::clear()
{
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
