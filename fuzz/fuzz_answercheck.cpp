// Fuzz target for the answer check: any answer lines and typed text.
//
// Input: byte 0 holds flags, bytes 1 and 2 two small numbers, the rest is text
// (UTF-8, or UTF-16LE when flag 1 is set, so that unpaired surrogates occur),
// split at LF: the first piece is the typed text, the others are answer lines.
// Flag 2 replaces the typed text by a slice of the answer (start byte 1, length
// byte 2) so that hits are common; flag 4 lower-cases it, flag 8 pads it with
// blanks, flag 16 also checks the call with no answer lines.
//
// The result is compared with a plain search over UTF-16 text that follows the
// documented rule, so the two must agree on whether and where there is a hit
// and on the tail.

#include "dictation/answercheck.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "answer check: %s\n", what);
    std::abort();
}

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fail(#condition);                                                                      \
    } while (false)

QString trimmedUpper(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    QString out = text.mid(begin, end - begin);
    for (QChar &c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return out;
}

// True when index i lies between the two halves of a surrogate pair.
bool splitsPair(const QString &text, qsizetype i)
{
    return i > 0 && i < text.size() && text.at(i - 1).isHighSurrogate()
           && text.at(i).isLowSurrogate();
}

// One whole character at index i: one unit, or two for a surrogate pair.
qsizetype charLength(const QString &text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
               ? 2
               : 1;
}

bool isWholeCharacter(const QString &text)
{
    if (text.size() == 1)
        return !text.at(0).isSurrogate();
    return text.size() == 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
}

// The joined text J of answer line i: the line, then the next one, with one
// blank between them unless the line ends in a hyphen.
QString joinedAt(const std::vector<QString> &lines, std::size_t i)
{
    const QString current = trimmedUpper(lines[i]);
    const QString next = i + 1 < lines.size() ? trimmedUpper(lines[i + 1]) : QString();
    QString joined = current;
    if (!current.endsWith(u'-') && !next.isEmpty())
        joined += u' ';
    return joined + next;
}

// Where T starts in J within the first `limit` units, on a character boundary
// at both ends; -1 when it does not.
qsizetype findWhole(const QString &joined, const QString &wanted, qsizetype limit)
{
    for (qsizetype at = joined.indexOf(wanted); at >= 0 && at < limit;
         at = joined.indexOf(wanted, at + 1)) {
        if (!splitsPair(joined, at) && !splitsPair(joined, at + wanted.size()))
            return at;
    }
    return -1;
}

std::optional<CheckHit> expectedHit(const QString &typed, const std::vector<QString> &lines)
{
    const QString wanted = trimmedUpper(typed);
    if (wanted.isEmpty())
        return std::nullopt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString current = trimmedUpper(lines[i]);
        if (current == wanted)
            return CheckHit{int(i), {}};
        const QString joined = joinedAt(lines, i);
        const qsizetype at = findWhole(joined, wanted, current.size());
        if (at < 0)
            continue;
        // The character after the match is taken unless it continues a word
        // (a letter or digit of any script) or is half a character.
        const qsizetype after = at + wanted.size();
        QString tail;
        if (after < joined.size()) {
            const QString c = joined.mid(after, charLength(joined, after));
            const char32_t code = c.size() == 2 ? QChar::surrogateToUcs4(c.at(0), c.at(1))
                                                : char32_t(c.at(0).unicode());
            if (!QChar::isLetterOrNumber(code) && isWholeCharacter(c))
                tail = c;
        }
        return CheckHit{int(i), tail};
    }
    return std::nullopt;
}

QString decodeInput(const std::uint8_t *data, std::size_t size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    text.reserve(qsizetype(size / 2));
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint8_t flags = data[0];
    const QStringList pieces = decodeInput(data + 3, size - 3, flags & 1).split(u'\n');
    QString typed = pieces.front();
    const std::vector<QString> lines(pieces.begin() + 1, pieces.end());

    if (flags & 2) {
        const QString answer = QStringList(pieces.begin() + 1, pieces.end()).join(u' ');
        if (!answer.isEmpty())
            typed = answer.mid(data[1] % answer.size(), data[2] % 48 + 1);
    }
    if (flags & 4)
        typed = typed.toLower();
    if (flags & 8)
        typed = QStringLiteral(" \t") + typed + QStringLiteral("  ");

    const int lineCount = int(lines.size());
    int nextLine = 0;
    const auto lineAt = [&](int i) {
        REQUIRE(i >= nextLine); // each line at most once, in order
        REQUIRE(i >= 0 && i < lineCount);
        nextLine = i + 1;
        return lines[std::size_t(i)];
    };

    const std::optional<CheckHit> hit = findInAnswer(typed, lineCount, lineAt);
    const std::optional<CheckHit> expected = expectedHit(typed, lines);
    REQUIRE(hit.has_value() == expected.has_value());
    // The whole text kept for the check finds the same.
    CheckText kept;
    for (const QString &line : lines)
        kept.append(line);
    const std::optional<CheckHit> formHit = kept.find(typed);
    REQUIRE(formHit.has_value() == hit.has_value());
    REQUIRE(!formHit || (formHit->line == hit->line && formHit->tail == hit->tail));
    if (hit) {
        REQUIRE(hit->line >= 0 && hit->line < lineCount);
        REQUIRE(hit->line == expected->line);
        REQUIRE(hit->tail.isEmpty() || isWholeCharacter(hit->tail));
        REQUIRE(hit->tail == expected->tail);
        // The typed text occurs in the joined text, starting within the hit line.
        const QString joined = joinedAt(lines, std::size_t(hit->line));
        const QString wanted = trimmedUpper(typed);
        REQUIRE(findWhole(joined, wanted, trimmedUpper(lines[std::size_t(hit->line)]).size()) >= 0);
    }

    if (flags & 16) {
        nextLine = 0;
        REQUIRE(!findInAnswer(typed, 0, lineAt).has_value());
        REQUIRE(nextLine == 0);
    }
    return 0;
}
