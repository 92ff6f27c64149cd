#include "lesson/answerplace.h"

#include <algorithm>

namespace {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator
           || c == QChar::LineSeparator;
}

bool isBlank(QChar c)
{
    return c.isSpace();
}

// Full-width marks end a sentence by themselves; the Latin ones only before a
// blank or the end, so "3.5" and "e.g." inside a word do not.
bool isWideStop(QChar c)
{
    return c == QChar(0x3002) || c == QChar(0xFF01) || c == QChar(0xFF1F) || c == QChar(0xFF0E);
}

bool isStop(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?')
           || c == QChar(0x2026) || isWideStop(c);
}

// Quotes and brackets that close a sentence stay with it.
bool isCloser(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char(')')
           || c == QChar(0x201D) || c == QChar(0x2019) || c == QChar(0x300D) || c == QChar(0xFF09)
           || c == QChar(0x300F);
}

// The end of the text without the blank lines after it (the answer view adds some).
qsizetype textEnd(const QString &answer)
{
    qsizetype end = answer.size();
    while (end > 0 && isBlank(answer.at(end - 1)))
        --end;
    return end;
}

// Just after the sentence that holds the character at `at`.
qsizetype sentenceEnd(const QString &answer, qsizetype at, qsizetype limit)
{
    for (qsizetype i = at; i < limit; ++i) {
        const QChar c = answer.at(i);
        if (isLineBreak(c))
            return i;
        if (!isStop(c))
            continue;
        qsizetype after = i + 1;
        while (after < limit && (isStop(answer.at(after)) || isCloser(answer.at(after))))
            ++after;
        if (isWideStop(c) || after >= limit || isBlank(answer.at(after)))
            return after;
        i = after - 1;
    }
    return limit;
}

// Where the sentence holding `at` begins: after the line break or the stop
// before it, looking back no further than needed.
qsizetype sentenceStart(const QString &answer, qsizetype at)
{
    for (qsizetype i = at; i > 0; --i) {
        const QChar before = answer.at(i - 1);
        if (isLineBreak(before) || isWideStop(before))
            return i;
        qsizetype k = i - 1;
        if (isBlank(before)) {
            while (k > 0 && isBlank(answer.at(k - 1)))
                --k;
        } else if (!isCloser(before)) {
            continue;
        } else {
            k = i;
        }
        while (k > 0 && isCloser(answer.at(k - 1)))
            --k;
        if (k > 0 && isStop(answer.at(k - 1)) && (isBlank(before) || isWideStop(answer.at(k - 1))))
            return i;
    }
    return 0;
}

} // namespace

std::optional<TextRange> answerSentenceFrom(const QString &answer, qsizetype from)
{
    const qsizetype limit = textEnd(answer);
    qsizetype start = std::max<qsizetype>(from, 0);
    // A passage that ended at the stop leaves its closing marks behind.
    while (start < limit
           && (isBlank(answer.at(start)) || isStop(answer.at(start)) || isCloser(answer.at(start))))
        ++start;
    if (start >= limit)
        return std::nullopt;
    qsizetype end = sentenceEnd(answer, start, limit);
    while (end > start && isBlank(answer.at(end - 1)))
        --end;
    return TextRange{start, end};
}

std::optional<TextRange> passageByPlace(const QString &answer, std::optional<qsizetype> previousEnd,
                                        double share)
{
    if (previousEnd) {
        if (const std::optional<TextRange> next = answerSentenceFrom(answer, *previousEnd))
            return next;
    }
    const qsizetype limit = textEnd(answer);
    if (limit == 0)
        return std::nullopt;
    const qsizetype at =
        std::clamp<qsizetype>(qsizetype(std::clamp(share, 0.0, 1.0) * double(limit)), 0, limit - 1);
    return answerSentenceFrom(answer, sentenceStart(answer, at));
}

std::optional<TextRange> locateInAnswer(const QString &answer, const QString &text,
                                        qsizetype around)
{
    if (text.isEmpty())
        return std::nullopt;
    std::optional<TextRange> best;
    for (qsizetype at = answer.indexOf(text); at >= 0; at = answer.indexOf(text, at + 1)) {
        const TextRange found{at, at + text.size()};
        if (!best || std::abs(at - around) < std::abs(best->start - around))
            best = found;
        if (at > around)
            break;
    }
    return best;
}

TextRange withClosingMarks(const QString &answer, TextRange range)
{
    while (range.end < answer.size()) {
        const QChar::Category kind = answer.at(range.end).category();
        if (kind != QChar::Punctuation_Other && kind != QChar::Punctuation_Close
            && kind != QChar::Punctuation_FinalQuote)
            break;
        ++range.end;
    }
    return range;
}
