#pragma once

#include <QString>

#include <functional>
#include <optional>

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
