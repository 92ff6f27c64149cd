#pragma once

#include <QString>

#include <optional>

// A hint for the next word the learner has not got right: its first
// letter(s), or on a second request for the same word the whole word,
// written into the typed line in its place.
struct Hint {
    QString line;       // the typed line with the hint in place
    int cursor = 0;     // just after the hint
    int wordIndex = -1; // which expected word, counted from 0
    bool whole = false;
    QString text; // what was inserted
};

// Nothing when every expected word is already right, or nothing is expected.
// previousWord is the word the last hint was for (-1 for none); language is
// the dictation language, for numbers written in words.
std::optional<Hint> nextHint(const QString &typed, const QString &expected, int previousWord,
                             const QString &language = {});
