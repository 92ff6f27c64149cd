#pragma once

#include <vector>

// Rules on the pauses between stretches of speech, in seconds. Pure, so the
// detector stays a function of the envelope alone.

// pieces[i] is the i-th island of sound ({start, end}), pauses[i] the pause
// after it (one fewer than pieces).

// Which pause ends a sentence, for this speaker: the recording's pauses fall
// into the short ones inside sentences (words, commas, breaths) and the longer
// ones between sentences. The break is put where the two separate, between
// shortest and longest; when no separation stands out there, fallback.
struct BreakRange {
    double shortest = 0.25;
    double longest = 0.60;
    double fallback = 0.40;
};
double sentenceBreak(std::vector<double> pauses, const BreakRange &range = {});

// The pauses that may tell how this speaker ends a sentence: those with at
// least shortest seconds of speech on either side before an equal or longer
// pause. One that cuts off less ("Well, ...", "Yes, ...", a word lost in noise)
// says nothing about sentence breaks, however long it is.
struct SpeechPiece {
    double start;
    double end;
};
std::vector<double> framingPauses(const std::vector<SpeechPiece> &pieces,
                                  const std::vector<double> &pauses, double shortest);

// Where to split a stretch of speech too long to dictate (pieces and pauses
// as above): the indices of the pauses to split at, in order. As few as leave
// every part no longer than longest, each part at least shortest long, and
// each pause split at clearly longer than every one left inside a part; if no
// such split fits, the one that comes closest; empty if there is none.
struct SplitRule {
    double longest = 8.0;    // a sentence a learner can hold in mind
    double shortest = 1.0;   // shorter parts are no sentences to dictate
    double clearly = 1.25;   // how much longer a split pause is than those kept
    double clearlyBy = 0.05; // and by at least this, since a frame or two is noise
    double minPause = 0.08;  // shorter is no pause, only a consonant's closure
};
std::vector<int> dictationSplits(const std::vector<SpeechPiece> &pieces,
                                 const std::vector<double> &pauses, const SplitRule &rule = {});
