#pragma once

#include "sentences/envelope.h"

#include <QList>
#include <QString>

// Where the learner is: the loop region (-1 where unset) and the playing position.
struct PlayPlace {
    double loopStart = -1.0;
    double loopEnd = -1.0;
    double position = -1.0;
};

// Whether two spans (start and end, seconds) are the same: both ends agree
// to within 5 ms, either way. A loop set from a sentence goes through the
// loop rules, and the loop label, the settings and the learner database keep
// milliseconds, so a loop that stands for a sentence is that close to it and
// never closer than 5 ms to another (sentences are far longer).
bool sameSpan(double aStart, double aEnd, double bStart, double bEnd);

// The sentence a span is (by sameSpan), or -1; an unset span (-1) is none.
int sentenceOfSpan(const QList<Sentence> &sentences, double start, double end);

// The sentence holding the time, or -1.
int sentenceAt(const QList<Sentence> &sentences, double seconds);

// The current sentence: the one the loop region is set to, else the one
// playing; -1 when neither.
int currentSentence(const QList<Sentence> &sentences, const PlayPlace &place);

// "下一句": after the current sentence, or the first one starting after the
// position; -1 at the end.
int nextSentence(const QList<Sentence> &sentences, const PlayPlace &place);

// "上一句": before the current sentence, or the last one ending before the
// position; -1 at the start.
int previousSentence(const QList<Sentence> &sentences, const PlayPlace &place);

// "重复本句": the current sentence, or -1.
int repeatSentence(const QList<Sentence> &sentences, const PlayPlace &place);

// "第 3/27 句" for index 2 of 27; empty when there is no current sentence.
QString sentenceLabel(int index, int total);
// "第 3/… 句" for index 2 while the count is not known yet; empty for -1.
QString sentenceLabelSoFar(int index);
