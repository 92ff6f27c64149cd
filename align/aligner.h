#pragma once

#include "align/features.h"
#include "align/speechsynth.h"
#include "align/textunits.h"
#include "sentences/envelope.h"
#include "sentences/pauserules.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <vector>

// A word of an aligned sentence: where it is in the sentence's text and when
// it is said.
using AlignedWord = WordTime;

// A sentence of the recording. From the transcript it has its text exactly
// and its words; where the transcript did not match, it is a sentence from
// the pauses, without text.
struct AlignedSentence {
    double start = 0.0;
    double end = 0.0;
    QString text;
    bool fromText = false;
    bool poor = false;  // aligned, but less surely than the rest
    float match = 0.0f; // how much better it matched than its neighbours, 0 (not) to 1
    int unit = -1;      // the unit of the text it is (or is part of); -1 from the pauses
    QList<AlignedWord> words;

    bool operator==(const AlignedSentence &) const = default;
};

struct Alignment {
    QList<AlignedSentence> sentences;
    bool refused = false; // the text is not what is spoken
    int unitsUsed = 0;    // units of the text given a sentence
    int unitsDropped = 0; // units found nowhere in the recording
};

struct AlignParams {
    FeatureParams features;
    int coarseFactor = 5; // frames per frame of the first, coarse pass
    double margin = 60.0; // seconds either side of the coarsest path, for long recordings
    long long fullBandCells = 30'000'000; // below this the coarse pass looks everywhere
    double fineRadius = 1.0;              // seconds either side of the coarse path
    double snap = 0.30;                   // how far a boundary moves to reach a pause
    double padBefore = 0.08;              // as the sentences from pauses, so nothing is clipped
    double padAfter = 0.10;
    double longest = 8.0;         // longer sentences are split
    float skipShare = 0.75;       // of an unrelated match's cost, per frame left out at the ends
    float poorBelow = 0.05;       // a match this weak is marked, or this share of the text's
    float poorShare = 0.5;        // typical match when that is less
    float poorCostAbove = 1.2;    // a unit this many times costlier than the text's typical: marked
    float dropBelow = 0.03;       // a match this weak is no match
    float refuseBelow = 0.045;    // the typical unit matching this weakly: refused
    double refuseShare = 0.35;    // less of the text matched than this: refused
    double shortestStretch = 0.3; // of a unit's synthesized length, when spoken
    double longestStretch = 2.6;
};

// The timing of a point of the synthesized speech in the recording, carried
// over the path; firstColumn per synthesized frame.
double carryOver(double synthSeconds, const std::vector<int> &firstColumn, double hop);

// Moves a boundary into the nearest pause within reach: a start to the
// nearest start of sound, an end to the nearest end; unchanged when none is
// within reach. pieces are the recording's stretches of sound, in order.
double snapStart(double t, const std::vector<SpeechPiece> &pieces, double reach);
double snapEnd(double t, const std::vector<SpeechPiece> &pieces, double reach);

// Splits a sentence longer than longest: at the clause punctuation nearest
// its middle, else at the longest pause between its words; again until every
// part fits or none can be split. Each part keeps its words and exact text.
QList<AlignedSentence> splitLong(const AlignedSentence &sentence,
                                 const std::vector<SpeechPiece> &pieces, double longest);

// Where sentences from the text leave the recording uncovered, the sentences
// from pauses there; the result in order of time.
QList<AlignedSentence> fillFromPauses(QList<AlignedSentence> aligned,
                                      const QList<Sentence> &pauseSentences);

// The whole alignment of a text to a recording from their features (both
// normalised, at the same hop): warps the synthesized speech onto the
// recording, carries each unit and word over, measures how well each matched,
// moves boundaries into pauses and splits what is too long. Pure.
Alignment alignText(const QList<TextUnit> &units, const SynthResult &synth,
                    const Features &synthFeatures, const Features &recording,
                    const std::vector<SpeechPiece> &pieces, const QList<Sentence> &pauseSentences,
                    double duration, const AlignParams &params = {});
Q_DECLARE_METATYPE(Alignment)
