#pragma once

#include <QString>
#include <QTextStream>

// "quillmar --print-sentences RECORDING --text TRANSCRIPT": the recording's
// sentences aligned to its text, one a line: start and end in seconds with
// three decimals and the sentence's text, tab-separated (empty for a sentence
// from the pauses, where the text did not match). When the text does not
// match the speech at all, the sentences from the pauses, and a line on err
// saying so. Returns 0, or 2 with a one-line message on err when the
// recording cannot be read.
int printAlignedSentences(const QString &recording, const QString &text, const QString &language,
                          QTextStream &out, QTextStream &err);
