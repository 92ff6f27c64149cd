#pragma once

#include "learner/sentenceprogress.h"
#include "sentences/envelope.h"

#include <QList>
#include <QString>

// Passed or passed with help: the lesson does not lead back to it.
bool isFinished(SentenceState state);

// Whether a line's score passes: a perfect line always does, else at least
// the pass mark (whole percent).
bool passes(int scorePercent, int passMark);
// Whether an applied line passes its sentence: with nothing to compare it
// with (-1) the learner's line is taken as it is; a line too long to compare
// (any other negative score) never passes.
bool linePasses(int score, int passMark);

// The sentence's record after an applied line; score -1 when there was
// nothing to compare with.
SentenceProgress afterAttempt(SentenceProgress progress, int score, const QString &line,
                              bool passed, bool helped);
// After moving on without a pass.
SentenceProgress afterSkip(SentenceProgress progress);

// The first unfinished sentence at or after `from` (`from` itself when it is
// unfinished), else the first one before it; -1 when every sentence is
// finished.
int firstUnfinished(const QList<SentenceProgress> &progress, int from = 0);

// The stored records laid over the sentences found now, by the rule of
// learner/sentencematch.h: a record follows its sentence when the division
// changes, goes to one sentence only, and records meeting on one sentence
// count as one.
QList<SentenceProgress> matchProgress(const QList<Sentence> &sentences,
                                      const QList<SentenceProgress> &stored);
// For each record, the sentence it goes to by that rule; -1 for none.
QList<int> sentencesOfRecords(const QList<Sentence> &sentences,
                              const QList<SentenceProgress> &records);

// Where the lesson stands once its sentences are found anew: more of them,
// the settled ones replacing those found so far, or a subtitle track's cues
// replacing the pauses found so far. `looped` is the sentence looped before;
// `fresh` says the lesson had only been placed there, at its first unfinished
// sentence, with nothing tried or asked on it yet. A fresh start goes to the
// first unfinished sentence of the new list (a film's lesson starts at its
// first cue, a reopened recording at the first sentence not yet done); else
// the lesson stays with the sentence of the same times or the one that
// overlaps it most. -1 when there is none.
int placeAfterNewSentences(const QList<Sentence> &sentences,
                           const QList<SentenceProgress> &progress, const Sentence &looped,
                           bool fresh);

// In sentence mode, "下一句" counts from the sentence looped; with none, it
// takes the first one starting at or after the position. At the last
// sentence it stays there.
int lessonNext(const QList<Sentence> &sentences, int current, double position);
// "上一句" likewise; at the first sentence it stays there.
int lessonPrevious(const QList<Sentence> &sentences, int current, double position);

// "已完成 12/27 句 · 平均 86%": the average of the best scores so far; empty
// without sentences.
QString lessonStatusText(const QList<SentenceProgress> &progress);

// "未开始", "做过", "已过关", "借助提示过关".
QString stateText(SentenceState state);

// The sentence a stored one (its times) stands for, by the same rule; -1
// when none matches.
int matchingSentence(const QList<Sentence> &sentences, double start, double end);
