#pragma once

#include "learner/sentencematch.h"

#include <QList>
#include <QString>

#include <optional>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;

// The sentence rows of a recording as writes change them, by the rule of
// sentencematch.h. Each runs inside the caller's transaction; false with the
// error set when a statement fails.
namespace SentenceRows {

// Runs the prepared query; false with the error set when it fails.
bool exec(QSqlQuery &query, QSqlError &error);

// Makes `other` part of `survivor`: the counts combined, the attempts moved,
// the review schedule practised last kept; `other` is gone afterwards.
bool mergeInto(QSqlDatabase &database, qint64 survivor, qint64 other, QSqlError &error);

// The row of sentence `index` of `division` (spans in seconds, in the order
// of their starts): the rows going to it merged into one that takes its
// times. `expected` is the sentence's text when known. Sets `row` to 0 when
// there is none.
bool settleSentence(QSqlDatabase &database, qint64 recordingId,
                    const QList<SentenceMatch::Span> &division, int index, const QString &expected,
                    qint64 &row, QSqlError &error);

// Every row of the recording laid over the division at once.
bool settleAll(QSqlDatabase &database, qint64 recordingId,
               const QList<SentenceMatch::Span> &division, QSqlError &error);

// Every row of the recording moved by ms, its subtitles having been moved:
// what was practised on a cue stays with the cue.
bool shiftAll(QSqlDatabase &database, qint64 recordingId, qint64 ms, QSqlError &error);

// Rows of one recording that match each other (left by two divisions before
// rows followed their sentences) merged into the one written last.
bool mergeOverlapping(QSqlDatabase &database, QSqlError &error);

} // namespace SentenceRows
