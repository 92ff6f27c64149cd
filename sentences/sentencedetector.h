#pragma once

#include "sentences/envelope.h"
#include "sentences/pauserules.h"

#include <QList>

struct DetectorParams {
    // The pause that ends a sentence is the speaker's own, found between
    // these; a comma's breath is shorter, so it stays inside its sentence.
    double shortestBreak = 0.25;
    double longestBreak = 0.60;
    double fallbackBreak = 0.40; // when the pauses do not separate
    double shortSentence = 1.0;  // shorter pieces join a neighbour unless clearly apart
    double longSentence = 8.0;   // longer ones are split at pauses that stand out
    double minSentence = 0.25;   // shorter bursts are clicks and coughs
    double padBefore = 0.08;     // so the first consonant is not clipped
    double padAfter = 0.10;      // so a trailing consonant or decay is not clipped
    double maxSentence = 20.0;   // longer runs are split at their quietest stretch
    double minContrastDb = 8.0;  // less contrast between speech and floor means no speech
};

// Sentences from pauses, using a threshold taken from the recording's own
// noise floor and speech level, so the result does not depend on the gain,
// and a sentence break taken from the speaker's own pauses. A pure function
// of the envelope, so it may run again on a growing one.
QList<Sentence> detectSentences(const Envelope &envelope, const DetectorParams &params = {});

// The stretches of sound the sentences above are made of, in seconds, with
// the same thresholds: what lies between two of them is a pause.
std::vector<SpeechPiece> soundPieces(const Envelope &envelope, const DetectorParams &params = {});
