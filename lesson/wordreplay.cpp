#include "lesson/wordreplay.h"

#include "feedback/wordcompare.h"
#include "feedback/wordtokens.h"

#include <algorithm>

int stuckWord(const QString &tried, const QString &expected, int hintedWord,
              const QString &language)
{
    const Comparison comparison = compareWords(tried, expected, language);
    if (comparison.tooLong || comparison.expectedCount == 0)
        return -1;
    if (hintedWord >= 0 && hintedWord < comparison.expectedCount)
        return hintedWord;
    int expectedIndex = 0;
    for (const WordMark &mark : comparison.marks) {
        switch (mark.kind) {
        case WordMark::Kind::Right:
            ++expectedIndex;
            break;
        case WordMark::Kind::Extra:
            break;
        case WordMark::Kind::Wrong:
        case WordMark::Kind::Missing:
            return expectedIndex;
        }
    }
    return -1;
}

std::optional<TextRange> expectedWordRange(const QString &expected, int word,
                                           const QString &language)
{
    const QList<WordToken> tokens = comparedWords(expected, language);
    if (word < 0 || word >= tokens.size())
        return std::nullopt;
    return TextRange{tokens.at(word).start, tokens.at(word).end};
}

std::optional<TimeSpan> spokenSpan(const QList<WordTime> &words, const TextRange &range)
{
    std::optional<TimeSpan> span;
    for (const WordTime &w : words) {
        const bool touches = w.position < range.end && w.position + w.length > range.start;
        if (!touches || w.end <= w.start)
            continue;
        if (!span)
            span = TimeSpan{w.start, w.end};
        span->start = std::min(span->start, w.start);
        span->end = std::max(span->end, w.end);
    }
    return span;
}

TimeSpan replaySpan(const TimeSpan &word, const Sentence &sentence, double context)
{
    const double start = std::clamp(word.start - context, sentence.start, sentence.end);
    const double end = std::clamp(word.end + context, sentence.start, sentence.end);
    return {start, std::max(start, end)};
}
