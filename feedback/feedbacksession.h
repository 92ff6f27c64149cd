#pragma once

#include <QString>

struct Comparison;

// The running summary of the lines compared since the session began, for the
// status bar.
class FeedbackSession
{
public:
    // Counts a compared line; one without a score (nothing expected, or too
    // long to compare) is not counted.
    void add(const Comparison &comparison);
    // Counts a line scored otherwise (one that matched nothing: 0).
    void addScore(double score);
    void reset();

    int linesCompared() const { return m_lines; }
    // The mean of the lines' scores, 0 to 1; 0 before any line.
    double averageScore() const;
    // "已比较 5 句，平均得分 87%"; empty before any line.
    QString statusText() const;

private:
    int m_lines = 0;
    double m_scoreSum = 0.0;
};
