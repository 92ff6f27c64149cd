#include "feedback/feedbacksession.h"

#include "feedback/wordcompare.h"

#include <QCoreApplication>

void FeedbackSession::add(const Comparison &comparison)
{
    if (!comparison.hasScore())
        return;
    ++m_lines;
    m_scoreSum += comparison.score();
}

void FeedbackSession::addScore(double score)
{
    ++m_lines;
    m_scoreSum += score;
}

void FeedbackSession::reset()
{
    m_lines = 0;
    m_scoreSum = 0.0;
}

double FeedbackSession::averageScore() const
{
    return m_lines > 0 ? m_scoreSum / m_lines : 0.0;
}

QString FeedbackSession::statusText() const
{
    if (m_lines == 0)
        return QString();
    return QCoreApplication::translate("FeedbackSession", "已比较 %1 句，平均得分 %2%")
        .arg(m_lines)
        .arg(scorePercent(averageScore()));
}
