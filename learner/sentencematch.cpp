#include "learner/sentencematch.h"

#include <algorithm>
#include <cmath>

namespace {

double length(const SentenceMatch::Span &s)
{
    return std::max(0.0, s.end - s.start);
}

} // namespace

double SentenceMatch::shared(const Span &a, const Span &b)
{
    return std::max(0.0, std::min(a.end, b.end) - std::max(a.start, b.start));
}

bool SentenceMatch::matches(const Span &sentence, const Span &record)
{
    const double common = shared(sentence, record);
    return common > 0.0 && common * 2.0 >= std::min(length(sentence), length(record));
}

bool SentenceMatch::nearlySame(const Span &a, const Span &b)
{
    const double common = shared(a, b);
    return common > 0.0 && common * 5.0 >= 4.0 * std::max(length(a), length(b));
}

double SentenceMatch::longest(const QList<Span> &sentences)
{
    double found = 0.0;
    for (const Span &s : sentences)
        found = std::max(found, length(s));
    return found;
}

int SentenceMatch::sentenceFor(const QList<Span> &sentences, const Span &record)
{
    return sentenceFor(sentences, record, longest(sentences));
}

int SentenceMatch::sentenceFor(const QList<Span> &sentences, const Span &record,
                               double longestSentence)
{
    // Cues may overlap, so any sentence starting within the longest one's
    // length before the record is a candidate; those starting after it ends
    // share nothing.
    const auto byStart = [](const Span &s, double at) { return s.start < at; };
    const auto first = std::lower_bound(sentences.cbegin(), sentences.cend(),
                                        record.start - longestSentence, byStart);
    const auto last = std::lower_bound(first, sentences.cend(), record.end, byStart);
    int best = -1;
    double bestShare = 0.0;
    double bestApart = 0.0;
    for (auto it = first; it != last; ++it) {
        if (!matches(*it, record))
            continue;
        const double common = shared(*it, record);
        const double apart = std::abs(length(*it) - length(record));
        if (best < 0 || common > bestShare || (common == bestShare && apart < bestApart)) {
            bestShare = common;
            bestApart = apart;
            best = int(it - sentences.cbegin());
        }
    }
    return best;
}

int SentenceMatch::stateRank(SentenceState state)
{
    switch (state) {
    case SentenceState::NotStarted:
        return 0;
    case SentenceState::Attempted:
        return 1;
    case SentenceState::PassedWithHelp:
        return 2;
    case SentenceState::Passed:
        return 3;
    }
    return 0;
}

SentenceState SentenceMatch::betterState(SentenceState a, SentenceState b)
{
    return stateRank(b) > stateRank(a) ? b : a;
}

SentenceProgress SentenceMatch::merged(SentenceProgress a, const SentenceProgress &b)
{
    a.tries += b.tries;
    a.state = betterState(a.state, b.state);
    if (b.bestScore > a.bestScore || (a.bestLine.isEmpty() && !b.bestLine.isEmpty())) {
        a.bestScore = std::max(a.bestScore, b.bestScore);
        a.bestLine = b.bestLine;
    }
    return a;
}
