#pragma once

#include <QString>

#include <optional>

// A stretch of the answer text: UTF-16 offsets, end exclusive.
struct TextRange {
    qsizetype start = 0;
    qsizetype end = 0;

    bool isEmpty() const { return end <= start; }
    bool operator==(const TextRange &) const = default;
};

// The sentence of the answer text that begins at or after `from` (blanks
// skipped) and runs to its closing punctuation or the end of its line; a
// `from` inside a sentence takes the rest of it. Nothing past the last word.
std::optional<TextRange> answerSentenceFrom(const QString &answer, qsizetype from);

// Where a sentence nothing typed points to sits in the answer: right after
// the passage of the sentence before it when that is known, else the answer
// sentence at the same share of the text as the sentence is of the recording
// (`share` from 0 to 1).
std::optional<TextRange> passageByPlace(const QString &answer, std::optional<qsizetype> previousEnd,
                                        double share);

// The range with the punctuation that closes it right after it (a passage
// found by its words ends at its last word).
TextRange withClosingMarks(const QString &answer, TextRange range);

// The occurrence of `text` in the answer nearest to `around`; nothing when
// it does not occur.
std::optional<TextRange> locateInAnswer(const QString &answer, const QString &text,
                                        qsizetype around);
