#pragma once

#include <QList>
#include <QString>

// What became of one word when a typed line is compared with what was said.
struct WordMark {
    enum class Kind { Right, Wrong, Missing, Extra };
    Kind kind = Kind::Right;
    QString typed;    // as typed; empty for Missing
    QString expected; // as in the expected text; empty for Extra
    // The same with the apostrophes and joining hyphens written beside them,
    // for showing ("self-" where the text has "self-substantial").
    QString typedShown;
    QString expectedShown;
    bool cjk = false; // a single Chinese, Japanese or Korean character
};

// The word-by-word result, in reading order. Typed words are the marks other
// than Missing; expected words are the marks other than Extra.
struct Comparison {
    QList<WordMark> marks;
    int right = 0;
    int expectedCount = 0;
    // Set when either side has more words than MaxCompareWords; nothing is
    // compared then.
    bool tooLong = false;

    // Right words over expected words, 0 to 1; 0 when nothing was expected.
    double score() const;
    // Whether there is a score to show and count.
    bool hasScore() const { return expectedCount > 0 && !tooLong; }
};

// Longer lines are not compared: the work grows with the product of the two
// lengths, and a line of the dictation is far shorter than this.
inline constexpr int MaxCompareWords = 300;

// The score in whole percent. Only a perfect line shows 100% and only a line
// with nothing right shows 0%.
int scorePercent(double score);

// Whether a misspelt word is close to the word it should be: at most half of
// the longer one's characters differ.
bool similarSpelling(const QString &a, const QString &b);

// Compares the typed line with the expected text word by word: the fewest
// wrong, missing and extra words that turn one into the other; of equally few,
// the most right words, then a wrong word where the spelling is close, then
// the typed words as early in the text as they can stand (a learner writes
// from the start: "his" is the first "His", not a later "his"). Case,
// punctuation, full-width forms and apostrophe variants do not count; numbers
// in words and in digits are the same where the language is known.
Comparison compareWords(const QString &typed, const QString &expected,
                        const QString &language = {});
