#pragma once

#include "sentences/envelope.h"
#include "sentences/subtitles.h"

#include <QList>
#include <QString>

// What subtitle formats and tracks share once their cues are read: the text
// of a cue as words a learner hears, and the ASS/SSA script format.

// A cue's text as plain words: ASS override blocks ({\an8}, {\i1}), HTML-like
// tags (<i>, <font ...>), entities and line breaks (\N, \n, \h) removed, and
// descriptions of sounds in brackets ("[door closes]", "(laughs)") and sung
// lines between music signs left out. Empty when nothing is said.
QString cleanCueText(const QString &text);

// True when the cue only describes sounds or music ("[music]", "(laughs)",
// "♪ la la ♪"), or holds no word at all: such a cue is no sentence.
bool isSoundOnlyCue(const QString &text);

// Cleans every cue's text and drops those that carry nothing to dictate.
void keepSpokenCues(QList<Sentence> &cues);

// The events of an ASS/SSA script ([Events] with its Format line; Dialogue
// lines). Cues that cannot be read are counted in malformed. Cue texts are
// left as written (see cleanCueText); not sorted.
SubtitleCues parseAssScript(const QString &text);
