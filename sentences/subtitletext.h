#pragma once

#include "sentences/envelope.h"
#include "sentences/subtitles.h"

#include <QList>
#include <QString>

// What subtitle formats and tracks share once their cues are read: the text
// of a cue as words a learner hears, and the ASS/SSA script format.

// What markup a cue's text may hold besides HTML-like tags: ASS override
// blocks ({\an8}, {\p1} drawings) and line breaks (\N), as in SubRip, ASS
// and lyrics, or none, as in WebVTT, where braces and backslashes are text.
enum class CueMarkup { AssOverrides, Html };

// A cue's text as plain words: ASS override blocks ({\an8}, {\i1}) and the
// drawings between {\p1} and {\p0}, HTML-like tags (<i>, <font ...>),
// entities and line breaks (\N, \n, \h) removed, and descriptions of sounds
// in brackets ("[door closes]", "(laughs)") and sung lines between music
// signs left out; NULs and replacement characters too, which no learner can
// type. Empty when nothing is said.
QString cleanCueText(const QString &text, CueMarkup markup = CueMarkup::AssOverrides);

// True when the cue only describes sounds or music ("[music]", "(laughs)",
// "♪ la la ♪"), or holds no word at all: such a cue is no sentence.
bool isSoundOnlyCue(const QString &text);

// Cleans every cue's text and drops those that carry nothing to dictate.
void keepSpokenCues(QList<Sentence> &cues, CueMarkup markup = CueMarkup::AssOverrides);

// The events of an ASS/SSA script ([Events] with its Format line; Dialogue
// lines). Cues that cannot be read are counted in malformed. Cue texts are
// left as written (see cleanCueText); not sorted.
SubtitleCues parseAssScript(const QString &text);
