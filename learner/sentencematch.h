#pragma once

#include "learner/sentenceprogress.h"

#include <QList>
#include <QString>

// Which stored record stands for which sentence. A recording is divided into
// sentences more than one way over its life: sentences still arriving while
// it is analysed, then settled; a subtitle file added or removed; a cue
// edited; pauses found by a newer detector. A record keeps the times of the
// sentence it was last written for, and is laid over the sentences found now
// by how much they share:
//
//  1. A record and a sentence match when they share at least half of the
//     shorter of the two.
//  2. A record matching two or more sentences (it spans them) goes to the one
//     it shares most with; on a tie to the one nearest its length (overlapping
//     cues), then the earlier one. The others start afresh, so a record never
//     counts twice.
//  3. Two or more records on one sentence are one record: their tries add up,
//     the better state and the best score (with its line) win, and of their
//     review schedules the one practised last stays.
//  4. A record keeps its expected text only while its sentence is nearly the
//     same span (each covers four fifths of the other); else the sentence's
//     own text, or none, so that no text is shown for another span.
//  5. Written again, a record takes its sentence's times: the file holds one
//     record per sentence of the latest division.
//
// The lesson lays the records over its sentences with this rule, and the
// learner database finds the rows a sentence's write goes to with it, so the
// window, the review and the statistics count the same records.
namespace SentenceMatch {

struct Span {
    double start = 0.0;
    double end = 0.0;
    QString text; // the sentence's own (a cue's), when it has one
};

// The share of the two spans, in seconds; 0 when apart.
double shared(const Span &a, const Span &b);
// Rule 1.
bool matches(const Span &sentence, const Span &record);
// Rule 4.
bool nearlySame(const Span &a, const Span &b);

// Rule 2: the sentence (an index into `sentences`, which are in the order of
// their starts) the record goes to; -1 when none matches.
int sentenceFor(const QList<Span> &sentences, const Span &record);
// The same for many records: with the length of the longest sentence.
int sentenceFor(const QList<Span> &sentences, const Span &record, double longestSentence);
double longest(const QList<Span> &sentences);

// Better states rank higher: a pass without help above one with help,
// above a try, above nothing.
int stateRank(SentenceState state);
SentenceState betterState(SentenceState a, SentenceState b);

// Rule 3 for the counts: `b` added to `a`. The times and the expected text are
// the caller's.
SentenceProgress merged(SentenceProgress a, const SentenceProgress &b);

} // namespace SentenceMatch
