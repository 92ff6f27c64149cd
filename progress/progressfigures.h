#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class QIODevice;
class QSqlDatabase;

// What the progress window shows, read from the learner database.
struct DayFigures {
    QDate day;
    double minutes = 0.0;
    int sentences = 0; // sentences dictated that day
};

struct WeekFigures {
    QDate monday;
    double firstTryScore = -1.0; // average of each sentence's first line of a day
    int lines = 0;
};

struct RecordingFigures {
    QString title;
    QString path;
    int sentences = 0;
    int done = 0;
    double averageScore = -1.0;
    QDateTime lastPractised; // local time; invalid when never
};

struct ProgressFigures {
    QList<DayFigures> days; // every day of the range, oldest first
    QList<WeekFigures> weeks;
    QList<RecordingFigures> recordings;
    int attempts = 0;
};

namespace ProgressQueries {

// The figures for the `days` days up to `today`; 0: since the first line.
ProgressFigures load(QSqlDatabase &database, const QDate &today, int days);

// Adds practised seconds to a day.
bool addPracticeSeconds(QSqlDatabase &database, const QDate &day, double seconds);

// One CSV field: quoted when it holds a comma, quote or line break.
QString csvField(const QString &text);
// Every attempt as CSV, UTF-8 with a byte order mark so that a spreadsheet
// program reads the Chinese; false when the device fails.
bool writeAttemptsCsv(QSqlDatabase &database, QIODevice &out);

} // namespace ProgressQueries
