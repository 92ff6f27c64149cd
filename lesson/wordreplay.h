#pragma once

#include "lesson/answerplace.h"
#include "sentences/envelope.h"

#include <QList>
#include <QString>

#include <optional>

// Replaying the one word a learner is stuck on, with a little of the sound
// either side, so that it is heard as it is said in the sentence.

// Which word of the expected text the learner is stuck on, counted from 0 as
// the hints count them: hintedWord when the last help was a hint about it,
// else the first expected word that `tried` (the last try, or the line as it
// stands) has missing or wrong; -1 when every word is right or nothing is
// expected.
int stuckWord(const QString &tried, const QString &expected, int hintedWord,
              const QString &language = {});

// Where that word stands in the expected text; nothing when there is no such word.
std::optional<TextRange> expectedWordRange(const QString &expected, int word,
                                           const QString &language = {});

// A stretch of the recording, in seconds.
struct TimeSpan {
    double start = 0.0;
    double end = 0.0;

    bool operator==(const TimeSpan &) const = default;
};

// When the text in range is said: from the first timed word it touches to
// the last; nothing when no timed word touches it.
std::optional<TimeSpan> spokenSpan(const QList<WordTime> &words, const TextRange &range);

// How much is heard either side of the word replayed, in seconds.
inline constexpr double WordReplayContext = 0.2;

// What is replayed: the word with `context` either side, kept inside the
// sentence it belongs to.
TimeSpan replaySpan(const TimeSpan &word, const Sentence &sentence,
                    double context = WordReplayContext);
