#pragma once

#include <QDateTime>
#include <QString>

// How far the learner got with one sentence. The numbers are stored.
enum class SentenceState {
    NotStarted = 0,
    Attempted = 1,
    Passed = 2,
    PassedWithHelp = 3,
};

// The learner's record of one sentence of a recording; the sentence is known
// by its times, so a recording whose sentences are found differently starts
// those afresh.
struct SentenceProgress {
    double start = 0.0;
    double end = 0.0;
    SentenceState state = SentenceState::NotStarted;
    int tries = 0;
    int bestScore = -1; // whole percent; -1 before any scored line
    QString bestLine;
    QString expected; // the text it was compared with, when known

    bool operator==(const SentenceProgress &) const = default;
};

// One applied line, as the progress view and the review will read it.
struct AttemptRecord {
    QDateTime at;
    QString typed;
    int score = -1; // whole percent; -1: nothing to compare with
    int hints = 0;
    bool answerShown = false;
    double seconds = 0.0; // from the sentence's first loop to the apply
    bool passed = false;
};
