#pragma once

#include "sentences/envelope.h"

#include <QList>

struct DetectorParams {
    double minPause = 0.40;     // a comma's breath is shorter, so it stays inside its sentence
    double minSentence = 0.25;  // shorter bursts are clicks and coughs
    double padBefore = 0.08;    // so the first consonant is not clipped
    double padAfter = 0.10;     // so a trailing consonant or decay is not clipped
    double maxSentence = 20.0;  // longer runs are split at their quietest stretch
    double minContrastDb = 8.0; // less contrast between speech and floor means no speech
};

// Sentences from pauses, using a threshold taken from the recording's own
// noise floor and speech level, so the result does not depend on the gain.
QList<Sentence> detectSentences(const Envelope &envelope, const DetectorParams &params = {});
