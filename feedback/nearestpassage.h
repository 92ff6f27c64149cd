#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// The passage of the answer text that a typed line is closest to.
struct Passage {
    qsizetype start = 0; // UTF-16 offsets into the answer text, end exclusive
    qsizetype end = 0;
    QString expected; // the answer text from start to end
    int distance = 0; // wrong, missing and extra words between the two
};

// The words of a whole answer text, read once when the answer is opened and
// searched for every typed line. A plain value: it may be built on a worker
// thread and moved to the window.
class AnswerIndex
{
public:
    AnswerIndex() = default;
    explicit AnswerIndex(const QString &answer);

    qsizetype wordCount() const { return qsizetype(m_ids.size()); }
    const QString &text() const { return m_text; }

    // The passage with the fewest word differences from the typed line; it may
    // start and end anywhere in the answer. Of equally near passages, the first
    // one starting at or after preferAfter wins (the end of the previous
    // match), else the first in the answer. Nothing when no typed word occurs
    // in the answer, or the line is empty or longer than MaxCompareWords.
    std::optional<Passage> nearest(const QString &typed, qsizetype preferAfter = 0) const;

private:
    QString m_text;
    QHash<QString, int> m_wordIds; // each distinct normalized word, numbered
    std::vector<int> m_ids;        // the answer's words as those numbers
    std::vector<qsizetype> m_starts;
    std::vector<qsizetype> m_ends;
};
