#pragma once

#include <QList>
#include <QString>

#include <cstddef>
#include <vector>

// The loudness of a whole recording in short frames: the RMS amplitude of the
// mono signal (full scale 1.0) per frame. An hour at 10 ms frames is 360,000
// floats, about 1.4 MB.
struct Envelope {
    double frameSeconds = 0.01;
    double duration = 0.0; // seconds of decoded sound
    std::vector<float> levels;

    bool isEmpty() const { return levels.empty(); }
    std::size_t bytes() const { return levels.capacity() * sizeof(float); }
};

// When a word of a sentence is said, in seconds of the recording; position
// and length index the sentence's text.
struct WordTime {
    qsizetype position = 0;
    qsizetype length = 0;
    double start = 0.0;
    double end = 0.0;

    bool operator==(const WordTime &) const = default;
};

// One sentence of a recording, in seconds; text only when it came from a
// subtitle cue or a transcript. A transcript aligned to the speech gives its
// words their times too, and marks a sentence that matched less surely than
// the rest (its times may be off).
struct Sentence {
    double start = 0.0;
    double end = 0.0;
    QString text;
    QList<WordTime> words = {};
    bool poor = false;

    bool operator==(const Sentence &) const = default;
};
