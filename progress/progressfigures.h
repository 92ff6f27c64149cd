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
    int sentences = 0; // the recording's sentences, as last divided
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

// A value axis of whole numbers from 0: its top and the step between its
// ticks, with at most maxTicks ticks. Minutes below one still get 0 and 1.
struct WholeAxis {
    int top = 1;
    int step = 1;
    int ticks() const { return top / step + 1; }
};
WholeAxis wholeNumberAxis(double highest, int maxTicks = 6);

// Minutes as the tables show them, to a tenth; the header's total adds up
// the same tenths, so the two never disagree.
double shownMinutes(double minutes);
double shownTotalMinutes(const QList<DayFigures> &days);

// The format of day labels for a range: with the year once the range runs
// over more than one calendar year.
QString dayLabelFormat(const QDate &first, const QDate &last);

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
