#pragma once

#include <QList>
#include <QString>

#include <functional>

// One word of a text as the comparison sees it. Alphabetic scripts give one
// token per word (digits make words too); Chinese, Japanese and Korean give
// one token per character.
struct WordToken {
    QString text;     // normalized: the form two tokens are compared by
    QString original; // as written
    // As the feedback shows it: with an apostrophe that stands at its start
    // or end ("'tis", "students'") and the hyphen that joins it to the next
    // word ("self-" of "self-substantial").
    QString shown;
    qsizetype start = 0; // UTF-16 offsets into the tokenized text, end exclusive
    qsizetype end = 0;
    bool cjk = false; // a Chinese, Japanese or Korean character
};

// Splits a text into tokens. Case, punctuation and symbols, full-width and
// half-width forms and the apostrophe variants are levelled out of the
// normalized form, so they never make two words differ. An apostrophe belongs
// to a word only between two word characters ("don't"); a comma between digits
// is dropped from the number ("1,000" is "1000").
QList<WordToken> tokenize(const QString &text);

// The words the comparison reads: the tokens, with numbers in words read as
// digits where the language is known (see numberwords.h); language is a
// code such as "en", empty when not known.
QList<WordToken> comparedWords(const QString &text, const QString &language);

// The same split without building the originals: calls found(start, end,
// normalized) for each token in order. For long texts such as a whole answer.
void forEachToken(
    const QString &text,
    const std::function<void(qsizetype start, qsizetype end, const QString &normalized)> &found);
