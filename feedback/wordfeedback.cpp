#include "feedback/wordfeedback.h"

#include "feedback/feedbackstrip.h"
#include "feedback/wordcompare.h"

#include <QtConcurrent/QtConcurrentRun>

WordFeedback::WordFeedback(FeedbackStrip *strip, QObject *parent) : QObject(parent), m_strip(strip)
{
    setObjectName(QStringLiteral("WordFeedback"));
}

WordFeedback::~WordFeedback()
{
    m_index.waitForFinished();
}

void WordFeedback::setAnswerText(const QString &text)
{
    m_index.waitForFinished();
    m_lastPassageEnd = 0;
    // Indexing a large answer takes a noticeable moment; the first compare
    // waits for it only if it comes that soon.
    m_hasAnswer = !text.isEmpty();
    m_answerText = text;
    if (m_hasAnswer)
        m_index = QtConcurrent::run([text] { return AnswerIndex(text); });
}

std::optional<Passage> WordFeedback::compare(const QString &typed, const QString &cueText)
{
    std::optional<Passage> passage;
    QString expected = cueText;
    if (expected.isEmpty() && m_hasAnswer) {
        passage = m_index.result().nearest(typed, m_lastPassageEnd);
        if (passage) {
            expected = passage->expected;
            m_lastPassageEnd = passage->end;
        }
    }
    if (expected.isEmpty()) {
        m_strip->clear();
        return std::nullopt;
    }
    const Comparison comparison = compareWords(typed, expected, m_language);
    m_strip->showComparison(comparison);
    m_session.add(comparison);
    Q_EMIT summaryChanged(m_session.statusText());
    return passage;
}

std::optional<Passage> WordFeedback::nearestPassage(const QString &typed)
{
    if (!m_hasAnswer)
        return std::nullopt;
    std::optional<Passage> passage = m_index.result().nearest(typed, m_lastPassageEnd);
    if (passage)
        m_lastPassageEnd = passage->end;
    return passage;
}

std::optional<Passage> WordFeedback::findPassage(const QString &text, qsizetype preferAfter) const
{
    if (!m_hasAnswer)
        return std::nullopt;
    return m_index.result().nearest(text, preferAfter);
}

int WordFeedback::compareSentence(const QString &typed, const QString &expected,
                                  const QString &note)
{
    if (expected.isEmpty()) {
        if (!m_hasAnswer) {
            m_strip->showMessage(note);
            return -1;
        }
        m_strip->showUnmatched(typed, expected);
        m_session.addScore(0.0);
        Q_EMIT summaryChanged(m_session.statusText());
        return 0;
    }
    const Comparison comparison = compareWords(typed, expected, m_language);
    if (comparison.tooLong) {
        m_strip->showMessage(tr("这一行超过 %1 个词，无法比较，不算过关").arg(MaxCompareWords));
        return NotComparable;
    }
    if (comparison.right == 0) {
        m_strip->showUnmatched(typed, expected);
        m_session.addScore(0.0);
        Q_EMIT summaryChanged(m_session.statusText());
        return 0;
    }
    m_strip->showComparison(comparison, note);
    m_session.add(comparison);
    Q_EMIT summaryChanged(m_session.statusText());
    return scorePercent(comparison.score());
}

void WordFeedback::reset()
{
    m_session.reset();
    m_strip->clear();
    Q_EMIT summaryChanged(QString());
}

void WordFeedback::showMessage(const QString &text)
{
    m_strip->showMessage(text);
}
