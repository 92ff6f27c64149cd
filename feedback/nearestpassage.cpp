#include "feedback/nearestpassage.h"

#include "feedback/wordcompare.h"
#include "feedback/wordtokens.h"

#include <algorithm>

namespace {

// Whether a wrong word at the edge of a passage was meant for the answer word
// there ("fells" for "falls"), rather than an extra typed word beside an
// unrelated one. Both cost the same, so the spelling decides.
bool meantFor(const WordMark &mark)
{
    return mark.cjk || similarSpelling(mark.typed.toCaseFolded(), mark.expected.toCaseFolded());
}

} // namespace

AnswerIndex::AnswerIndex(const QString &answer) : m_text(answer)
{
    forEachToken(answer, [this](qsizetype start, qsizetype end, const QString &normalized) {
        const auto found = m_wordIds.constFind(normalized);
        const int id = found != m_wordIds.cend() ? *found : int(m_wordIds.size());
        if (found == m_wordIds.cend())
            m_wordIds.insert(normalized, id);
        m_ids.push_back(id);
        m_starts.push_back(start);
        m_ends.push_back(end);
    });
}

std::optional<Passage> AnswerIndex::nearest(const QString &typed, qsizetype preferAfter) const
{
    std::vector<int> line;
    bool anyKnown = false;
    forEachToken(typed, [&](qsizetype, qsizetype, const QString &normalized) {
        const int id = m_wordIds.value(normalized, -1); // -1 matches no answer word
        anyKnown = anyKnown || id >= 0;
        line.push_back(id);
    });
    const int m = int(line.size());
    if (!anyKnown || m > MaxCompareWords)
        return std::nullopt;

    // Word edit distance with a free start and end in the answer, one column
    // per answer word. cost[i] is the least cost of the first i typed words
    // against a passage ending at the current word; from[i] is that passage's
    // first word.
    std::vector<int> cost(m + 1);
    std::vector<qsizetype> from(m + 1);
    for (int i = 0; i <= m; ++i) {
        cost[i] = i;
        from[i] = 0;
    }
    const qsizetype n = wordCount();
    const qsizetype preferFrom =
        std::lower_bound(m_starts.begin(), m_starts.end(), preferAfter) - m_starts.begin();
    int bestCost = m; // a passage must match at least one word
    qsizetype firstStart = -1, firstEnd = -1;
    qsizetype afterStart = -1, afterEnd = -1;
    const int *const words = line.data();
    for (qsizetype j = 1; j <= n; ++j) {
        const int word = m_ids[j - 1];
        int diagCost = cost[0];
        qsizetype diagFrom = j - 1;
        cost[0] = 0;
        from[0] = j;
        for (int i = 1; i <= m; ++i) {
            int best = diagCost + (words[i - 1] == word ? 0 : 1);
            qsizetype bestFrom = diagFrom;
            diagCost = cost[i];
            diagFrom = from[i];
            if (cost[i - 1] + 1 < best) { // a typed word not in the answer
                best = cost[i - 1] + 1;
                bestFrom = from[i - 1];
            }
            if (cost[i] + 1 < best) { // an answer word not typed
                best = cost[i] + 1;
                bestFrom = from[i];
            }
            cost[i] = best;
            from[i] = bestFrom;
        }
        const int c = cost[m];
        if (c >= m || c > bestCost)
            continue;
        if (c < bestCost) {
            bestCost = c;
            firstStart = afterStart = -1;
        }
        // Of candidates that share their first word, the longer one keeps a
        // wrong last word in the passage instead of calling it extra.
        const qsizetype s = from[m];
        if (firstStart < 0 || s == firstStart) {
            firstStart = s;
            firstEnd = j;
        }
        if (s >= preferFrom && (afterStart < 0 || s == afterStart)) {
            afterStart = s;
            afterEnd = j;
        }
    }
    if (firstStart < 0)
        return std::nullopt;
    qsizetype s = afterStart >= 0 ? afterStart : firstStart;
    qsizetype e = afterStart >= 0 ? afterEnd : firstEnd;

    // Leave unrelated answer words at the edges out of the passage: the typed
    // words against them are extra, not wrong.
    const Comparison edges =
        compareWords(typed, m_text.mid(m_starts[s], m_ends[e - 1] - m_starts[s]));
    for (auto it = edges.marks.cbegin(); it != edges.marks.cend(); ++it) {
        if (it->kind == WordMark::Kind::Wrong && !meantFor(*it))
            ++s;
        else if (it->kind != WordMark::Kind::Extra)
            break;
    }
    for (auto it = edges.marks.crbegin(); it != edges.marks.crend(); ++it) {
        if (it->kind == WordMark::Kind::Wrong && !meantFor(*it))
            --e;
        else if (it->kind != WordMark::Kind::Extra)
            break;
    }

    Passage passage;
    passage.start = m_starts[s];
    passage.end = m_ends[e - 1];
    passage.expected = m_text.mid(passage.start, passage.end - passage.start);
    passage.distance = bestCost;
    return passage;
}
