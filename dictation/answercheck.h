#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The answer check: whether a typed line occurs in the answer text.

// Where the typed text was found: the answer line where the match starts
// (0-based), and the character to append after the typed text (empty, or one
// whole character, which may be two UTF-16 units).
struct CheckHit {
    int line = 0;
    QString tail;
};

// Looks the typed text up in the answer lines. A text is found when it starts
// within one line and ends within that line or the next one; a line ending in
// "-" is joined to the next without a blank, any other line with one blank.
// The first line that gives a match wins. Comparison is by whole characters,
// with ASCII letters compared case-insensitively. lineAt is called at most once
// per line, in order. Returns nothing when the typed text is blank or not found.
std::optional<CheckHit> findInAnswer(const QString &typed, int lineCount,
                                     const std::function<QString(int)> &lineAt);

// The answer lines kept for the check: each in the form it is compared in
// (trimmed, ASCII letters upper-cased, by code point), one after the other and
// joined as the check joins them, so that a check is one search through the
// whole text, whatever its size, and reads no line twice.
class CheckText
{
public:
    void append(const QString &line);
    void clear();
    int lineCount() const { return int(m_starts.size()); }
    // As findInAnswer() over the lines appended.
    std::optional<CheckHit> find(const QString &typed) const;

private:
    std::u32string_view line(int index) const;

    std::u32string m_text;
    std::vector<std::size_t> m_starts;
    std::vector<std::size_t> m_sizes;
};
