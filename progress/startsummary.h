#pragma once

#include "learner/recordingkey.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QSqlDatabase;
class QSqlError;

// What the start page tells about the recent recordings and today's review,
// read from the learner database.
namespace StartSummary {

struct Recording {
    QString path;
    int done = -1;                // sentences passed; -1: the database does not know it
    int total = -1;               // sentences the recording was divided into; -1: not known
    QDateTime lastPractised = {}; // the last applied line, else the last opening
};

// The recordings at these paths, in the same order; those the database does
// not know keep -1 and no time.
QList<Recording> recordings(QSqlDatabase &database, const QStringList &paths);
// How many sentences are due on `day` or before.
int dueCount(QSqlDatabase &database, const QDate &day);
// Keeps how many sentences the recording was divided into, for its progress
// ("9/15") before all of them have been tried.
bool storeSentenceCount(QSqlDatabase &database, const RecordingKey &key, int count,
                        QSqlError &error);

} // namespace StartSummary
