#pragma once

#include "sentences/envelope.h"

#include <QString>

#include <functional>
#include <optional>

// What the decoder may ask of its caller while it runs on a worker thread.
struct DecodeControl {
    std::function<bool()> isCancelled;         // polled once per packet
    std::function<void(int percent)> progress; // called when the percentage changes
};

struct DecodeResult {
    std::optional<Envelope> envelope; // empty on failure or cancel
    bool cancelled = false;
    QString error; // one line, for the status bar or the command line
};

// Decodes the first audio stream of a file with FFmpeg, mixed to mono at a
// low rate, and measures its envelope in one pass. Every FFmpeg object is made
// and freed inside this call, so it belongs to the calling (worker) thread.
DecodeResult decodeEnvelope(const QString &path, const DecodeControl &control = {},
                            double frameSeconds = 0.01);
