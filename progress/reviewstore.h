#pragma once

#include "learner/recordingkey.h"
#include "learner/sentenceprogress.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class QSqlDatabase;
class QSqlError;

// The review schedule as stored: one row per scheduled sentence.
namespace ReviewStore {

// Moves the sentence along the schedule after a stored attempt, in the
// attempt's own transaction (the learner database's attempt hook).
bool recordAttempt(QSqlDatabase &database, qint64 sentenceId, const AttemptRecord &attempt,
                   QSqlError &error);

struct DueSentence {
    qint64 sentenceId = 0;
    RecordingKey key;
    QString path; // where the recording was last seen
    QString title;
    double start = 0.0;
    double end = 0.0;
    QString expected; // empty when not known
    int lastScore = -1;
    QDate due;
    int step = 0;
    bool missing = false; // no file at the path any more
};

// The sentences due on `day` or before, over all recordings: those whose
// recording is missing first, then oldest due first.
// Looks at the disk for each recording, so it belongs off the window's thread.
QList<DueSentence> dueSentences(QSqlDatabase &database, const QDate &day);

// The recording now lives at `path`.
bool relocate(QSqlDatabase &database, const RecordingKey &key, const QString &path,
              QSqlError &error);

} // namespace ReviewStore
