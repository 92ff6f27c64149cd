#include "sentences/pauserules.h"

#include <algorithm>
#include <cmath>
#include <limits>

double sentenceBreak(std::vector<double> pauses, const BreakRange &range)
{
    // A separation is a jump between neighbouring pause lengths. The widest
    // one (as a ratio) wins, less a little for lying far from the fallback, so
    // that a chance gap among the long pauses of a slow reader does not move
    // the break to the edge of the range. The closures inside words are next
    // to nothing, so a speaker whose every pause given is a sentence break
    // still shows a separation: from nothing to the shortest of them.
    constexpr double MinJump = 1.15;
    constexpr double Floor = 0.02; // shorter pauses are as good as none
    if (!pauses.empty())
        pauses.push_back(Floor);
    std::sort(pauses.begin(), pauses.end());
    double bestScore = -std::numeric_limits<double>::infinity();
    double best = range.fallback;
    for (std::size_t i = 0; i + 1 < pauses.size(); ++i) {
        const double a = std::max(pauses[i], Floor);
        const double b = pauses[i + 1];
        if (b <= range.shortest || a >= range.longest || b < a * MinJump)
            continue;
        // Anywhere in (a, b] separates the two; the geometric middle, kept in range.
        const double low = std::max(range.shortest, std::nextafter(a, b));
        const double high = std::min(range.longest, b);
        const double at = std::clamp(std::sqrt(a * b), low, high);
        const double score = std::log(b / a) - 0.1 * std::abs(std::log(at / range.fallback));
        if (score > bestScore) {
            bestScore = score;
            best = at;
        }
    }
    return best;
}

std::vector<double> framingPauses(const std::vector<SpeechPiece> &pieces,
                                  const std::vector<double> &pauses, double shortest)
{
    std::vector<double> out;
    if (pieces.size() != pauses.size() + 1)
        return out;
    const int count = int(pauses.size());
    out.reserve(pauses.size());
    for (int k = 0; k < count; ++k) {
        const double p = pauses[std::size_t(k)];
        // Outwards over shorter pauses, no further than needed.
        int left = k;
        while (left > 0 && pauses[std::size_t(left - 1)] < p
               && pieces[std::size_t(k)].end - pieces[std::size_t(left)].start < shortest)
            --left;
        int right = k + 1;
        while (right < count && pauses[std::size_t(right)] < p
               && pieces[std::size_t(right)].end - pieces[std::size_t(k) + 1].start < shortest)
            ++right;
        if (pieces[std::size_t(k)].end - pieces[std::size_t(left)].start >= shortest
            && pieces[std::size_t(right)].end - pieces[std::size_t(k) + 1].start >= shortest)
            out.push_back(p);
    }
    return out;
}

std::vector<int> dictationSplits(const std::vector<SpeechPiece> &pieces,
                                 const std::vector<double> &pauses, const SplitRule &rule)
{
    const int count = int(pauses.size());
    if (pieces.size() != pauses.size() + 1 || count == 0
        || pieces.back().end - pieces.front().start <= rule.longest)
        return {};
    // The longest pauses first, of equal ones the earlier; a pause too near
    // either end could only split off a scrap, so it is no candidate.
    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        if (pieces[std::size_t(i)].end - pieces.front().start >= rule.shortest
            && pieces.back().end - pieces[std::size_t(i) + 1].start >= rule.shortest)
            order.push_back(i);
    }
    const int candidates = int(order.size());
    std::stable_sort(order.begin(), order.end(), [&pauses](int x, int y) {
        return pauses[std::size_t(x)] > pauses[std::size_t(y)];
    });
    std::vector<int> best;
    double bestLongest = std::numeric_limits<double>::infinity();
    for (int k = 1; k <= candidates; ++k) {
        const double last = pauses[std::size_t(order[std::size_t(k - 1)])];
        if (last < rule.minPause)
            break;
        const double kept = k < candidates ? pauses[std::size_t(order[std::size_t(k)])] : 0.0;
        if (last < kept * rule.clearly || last - kept < rule.clearlyBy)
            continue;
        std::vector<int> splits(order.begin(), order.begin() + k);
        std::sort(splits.begin(), splits.end());
        double shortest = std::numeric_limits<double>::infinity();
        double longest = 0.0;
        std::size_t first = 0;
        for (std::size_t s = 0; s <= splits.size(); ++s) {
            const std::size_t lastPiece =
                s < splits.size() ? std::size_t(splits[s]) : pieces.size() - 1;
            const double length = pieces[lastPiece].end - pieces[first].start;
            shortest = std::min(shortest, length);
            longest = std::max(longest, length);
            first = lastPiece + 1;
        }
        // More splits only make parts shorter.
        if (shortest < rule.shortest)
            break;
        if (longest <= rule.longest)
            return splits;
        if (longest < bestLongest) {
            bestLongest = longest;
            best = std::move(splits);
        }
    }
    return best;
}
