#pragma once

#include <QString>
#include <QTextStream>

// "quillmar --print-sentences FILE": one sentence per line, start and end in
// seconds with three decimals and, when they came from a subtitle file, the
// cue text, tab-separated; what became of the subtitles (a file or track not
// used and why, an encoding other than UTF-8, damaged stretches) on err, one
// line each. Returns 0, or 2 with a one-line message on err when the file
// cannot be read or decoded. Makes no widgets.
int printSentences(const QString &file, QTextStream &out, QTextStream &err);
