#pragma once

#include "align/aligner.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What aligning a recording to its text may ask of its caller while it runs
// on a worker thread.
struct AlignControl {
    std::function<bool()> isCancelled;
    std::function<void(int percent)> progress;
    // The first sentences, aligned from the start of the recording and the
    // text alone, long before the whole is done.
    std::function<void(const Alignment &first)> first;
};

struct AlignOutcome {
    Alignment alignment;
    bool ok = false;
    bool cancelled = false;
    bool fromCache = false;
    QString error; // one line: why the recording could not be read
};

// The key the alignment of this text is kept under with the recording:
// changes with the text, the voice and the way of aligning.
QByteArray alignmentKey(const QString &text, const QString &voice, const AlignParams &params = {});
QByteArray serializeAlignment(const Alignment &alignment);
std::optional<Alignment> deserializeAlignment(const QByteArray &bytes);

// Decodes the recording, synthesizes the text in voice (see voiceFor()),
// and aligns the two (see alignText()); the sentences from pauses where the
// text does not fit. Reads and fills the cache in cacheFolder (none when
// empty). Runs on the calling thread.
AlignOutcome alignRecording(const QString &recording, const QString &text, const QString &voice,
                            const QString &cacheFolder, const AlignControl &control = {},
                            const AlignParams &params = {});
