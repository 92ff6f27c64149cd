#pragma once

#include <QString>
#include <QTextStream>

// "quillmar --print-sentences FILE": one sentence per line, start and end in
// seconds with three decimals and, when they came from a subtitle file, the
// cue text, tab-separated. Returns 0, or 2 with a one-line message on err when
// the file cannot be read or decoded. Makes no widgets.
int printSentences(const QString &file, QTextStream &out, QTextStream &err);
