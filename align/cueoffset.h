#pragma once

#include "align/aligner.h"
#include "sentences/envelope.h"
#include "sentences/pauserules.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Subtitles timed for another cut of a film are all early or all late by the
// same amount. Their texts are aligned to the speech like a transcript, and
// where each cue's speech lies is compared with the cue's own time.

// One cue and where its speech was found.
struct CueFinding {
    double cueStart = 0.0;
    bool found = false; // its speech was found, and matched well
    double start = 0.0; // where its speech starts in the recording
};

struct CueOffsetRule {
    double least = 0.5;       // a smaller offset is not worth moving the cues for
    double agreeWithin = 0.3; // cues this near the median agree on it
    double foundShare = 0.6;  // of all cues, at least this many found
    double agreeShare = 0.7;  // of those found, at least this many agreeing
    int fewest = 3;           // fewer found cues say nothing
};

struct CueOffset {
    // Enough cues were found, and enough agreed, to say whether they are off.
    bool decided = false;
    // How much later the speech is than its cues: positive when the cues
    // come early. 0 when decided and in time (off by less than the least).
    double seconds = 0.0;
    int cues = 0;
    int found = 0;
    int agreeing = 0;

    bool isOff() const { return decided && seconds != 0.0; }
    bool operator==(const CueOffset &) const = default;
};

// The rule: the median of the differences of the cues found, when most of
// the cues were found and most of those agree with it; then the mean of the
// agreeing ones, so one cue's error weighs little.
CueOffset decideCueOffset(const QList<CueFinding> &findings, const CueOffsetRule &rule = {});

// Where each cue's speech is, from the alignment of the cue texts as units
// (one unit a cue, in order; cues with no text are not units).
QList<CueFinding> cueFindings(const QList<Sentence> &cues, const Alignment &alignment);

// A boundary of a cue that falls inside speech (it cuts a word) moves to the
// nearer end of that stretch of sound, when within reach, and a little into
// the pause there; one in a pause stays where it is.
double cueStartIntoPause(double t, const std::vector<SpeechPiece> &pieces, double reach);
double cueEndIntoPause(double t, const std::vector<SpeechPiece> &pieces, double reach);

// The cues moved by seconds (0: not moved), then their boundaries that cut
// a word into pauses; what is moved out of the recording is dropped or cut
// at its ends, and cues that come to overlap meet halfway. A cue keeps its
// times rather than vanish, and cues whose boundaries lie in pauses keep
// them exactly. Texts stay as they are.
QList<Sentence> shiftCues(const QList<Sentence> &cues, double seconds,
                          const std::vector<SpeechPiece> &pieces, double duration,
                          double reach = 0.3);

// What finding the offset may ask of its caller on a worker thread.
struct CueOffsetControl {
    std::function<bool()> isCancelled;
    std::function<void(int percent)> progress;
};

struct CueOffsetOutcome {
    CueOffset offset;
    bool ok = false;
    bool cancelled = false;
    bool fromCache = false;
    QString error;
};

// The key the verdict is kept under with the recording: the cues' source
// (its identity), their texts and the voice.
QByteArray cueOffsetKey(const QString &cueSource, const QList<Sentence> &cues,
                        const QString &voice);
QByteArray serializeCueOffset(const CueOffset &offset);
std::optional<CueOffset> deserializeCueOffset(const QByteArray &bytes);

// Decodes the recording, synthesizes the cue texts in voice, aligns them
// and applies the rule; reads and fills the cache in cacheFolder (none when
// empty). Runs on the calling thread.
CueOffsetOutcome findCueOffset(const QString &recording, const QList<Sentence> &cues,
                               const QString &cueSource, const QString &voice,
                               const QString &cacheFolder, const CueOffsetControl &control = {},
                               const CueOffsetRule &rule = {});
