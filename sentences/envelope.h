#pragma once

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

// One sentence of a recording, in seconds; text only when it came from a subtitle cue.
struct Sentence {
    double start = 0.0;
    double end = 0.0;
    QString text;

    bool operator==(const Sentence &) const = default;
};
