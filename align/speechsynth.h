#pragma once

#include "align/textunits.h"

#include <QList>
#include <QString>

#include <functional>

// Where a word of a unit starts in the synthesized speech; position and
// length index the unit's text.
struct SynthWord {
    qsizetype position = 0;
    qsizetype length = 0;
    double start = 0.0; // seconds from the start of the whole synthesis
};

// A unit as synthesized: its stretch of the synthesis and, inside it, the
// stretch that holds sound (the synthesizer pads each unit with silence).
struct SynthUnit {
    double start = 0.0;
    double end = 0.0;
    double soundStart = 0.0;
    double soundEnd = 0.0;
    QList<SynthWord> words;
};

struct SynthResult {
    int sampleRate = 0;
    QList<SynthUnit> units; // one per unit given, in order
    bool cancelled = false;
    QString error;
};

// The espeak-ng voice for a text: the dictation language's ("en", "zh", ...)
// when the text is written in a script of that language, otherwise the
// language the text's script points to.
QString voiceFor(const QString &dictationLanguage, const QString &text);

// Speaks the units one after another with libespeak-ng, handing the samples
// (mono, full scale 1.0, at the result's rate) to sink as they come. The
// library keeps one global state, so calls from several threads take turns.
using SynthSink = std::function<void(const float *samples, int count)>;
SynthResult synthesize(const QList<TextUnit> &units, const QString &voice, const SynthSink &sink,
                       const std::function<bool()> &isCancelled = {});
