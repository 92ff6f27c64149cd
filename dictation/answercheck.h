#pragma once

#include <QString>

#include <functional>
#include <optional>

// Text rules of the dictation line and the answer check. A blank is any
// character with a code of 32 or less.
QString trimBlanks(const QString &text);
QString trimLeftBlanks(const QString &text);
// Only a-z change; the check ignores the case of ASCII letters and nothing else.
QString upperAscii(const QString &text);

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
