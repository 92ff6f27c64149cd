#include "progress/progressfigures.h"

#include <QCoreApplication>
#include <QHash>
#include <QIODevice>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

QDate mondayOf(const QDate &day)
{
    return day.addDays(1 - day.dayOfWeek());
}

} // namespace

WholeAxis wholeNumberAxis(double highest, int maxTicks)
{
    const double top = std::max(highest, 0.0);
    maxTicks = std::max(maxTicks, 2);
    // Steps of 1, 2 and 5 times a power of ten.
    for (qint64 scale = 1;; scale *= 10) {
        for (const qint64 base : {1, 2, 5}) {
            const qint64 step = base * scale;
            const qint64 count = std::max<qint64>(1, qint64(std::ceil(top / double(step) - 1e-9)));
            if (count <= maxTicks - 1 || step >= (qint64(1) << 40))
                return {int(count * step), int(step)};
        }
    }
}

double shownMinutes(double minutes)
{
    return std::round(minutes * 10.0) / 10.0;
}

double shownTotalMinutes(const QList<DayFigures> &days)
{
    qint64 tenths = 0;
    for (const DayFigures &d : days)
        tenths += std::llround(d.minutes * 10.0);
    return double(tenths) / 10.0;
}

QString dayLabelFormat(const QDate &first, const QDate &last)
{
    return first.year() == last.year() ? QStringLiteral("MM-dd") : QStringLiteral("yyyy-MM-dd");
}

ProgressFigures ProgressQueries::load(QSqlDatabase &database, const QDate &today, int days)
{
    ProgressFigures figures;
    QSqlQuery query(database);
    query.setForwardOnly(true);
    QDate first = today.addDays(1 - std::max(days, 1));
    if (days <= 0) {
        if (query.exec(QStringLiteral("SELECT at, utc_offset FROM attempts ORDER BY at LIMIT 1"))
            && query.next()) {
            const QDateTime at =
                QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs);
            // The day it was where it was made; older lines know no offset.
            first = query.value(1).isNull() ? at.toLocalTime().date()
                                            : at.toUTC().addSecs(query.value(1).toInt()).date();
        }
        query.finish();
        if (query.exec(QStringLiteral("SELECT min(day) FROM practice_days")) && query.next()
            && !query.value(0).isNull())
            first = std::min(first, QDate::fromString(query.value(0).toString(), Qt::ISODate));
        query.finish();
        first = std::min(first, today);
    }
    const QString from = first.toString(Qt::ISODate);
    const QString to = today.toString(Qt::ISODate);
    QHash<QDate, qsizetype> index;
    for (QDate d = first; d <= today; d = d.addDays(1)) {
        index.insert(d, figures.days.size());
        figures.days.append({d, 0.0, 0});
    }

    query.prepare(
        QStringLiteral("SELECT day, seconds FROM practice_days WHERE day BETWEEN ? AND ?"));
    query.addBindValue(from);
    query.addBindValue(to);
    if (query.exec()) {
        while (query.next()) {
            const auto at =
                index.constFind(QDate::fromString(query.value(0).toString(), Qt::ISODate));
            if (at != index.constEnd())
                figures.days[*at].minutes = query.value(1).toDouble() / 60.0;
        }
    }
    query.finish();

    // One pass over the range: per day and sentence, the lines and the first
    // one's score (SQLite gives the bare column of the row with the min()).
    // The first line of a sentence on a day is what the ear caught before any
    // second try or hint. Days are the learner's where each line was made, by
    // the offset kept with it; lines from before offsets were kept take
    // today's offset here, and a shift of summer time moves only lines near
    // midnight. A day's lines lie within 14 hours of its UTC day either side.
    const int offset = QDateTime(today, QTime(12, 0)).offsetFromUtc();
    query.prepare(QStringLiteral(
        "SELECT d, score, min(at), count(*) FROM (SELECT"
        " date(at, printf('%+d seconds', coalesce(utc_offset, ?))) AS d,"
        " sentence_id, score, at FROM attempts WHERE at >= ? AND at < ?) GROUP BY d, sentence_id"));
    query.addBindValue(offset);
    query.addBindValue(
        QDateTime(first.addDays(-1), QTime(0, 0), QTimeZone::utc()).toString(Qt::ISODateWithMs));
    query.addBindValue(
        QDateTime(today.addDays(2), QTime(0, 0), QTimeZone::utc()).toString(Qt::ISODateWithMs));
    QMap<QDate, std::pair<double, int>> weeks;
    for (QDate m = mondayOf(first); m <= today; m = m.addDays(7))
        weeks.insert(m, {0.0, 0});
    if (query.exec()) {
        QString lastText;
        QDate day;
        while (query.next()) {
            const QString text = query.value(0).toString();
            if (text != lastText) {
                lastText = text;
                day = QDate::fromString(text, Qt::ISODate);
            }
            const auto at = index.constFind(day);
            if (at == index.constEnd())
                continue;
            figures.days[*at].sentences += 1;
            figures.attempts += query.value(3).toInt();
            if (!query.value(1).isNull()) {
                auto &week = weeks[mondayOf(day)];
                week.first += query.value(1).toDouble();
                ++week.second;
            }
        }
    }
    query.finish();
    for (auto it = weeks.cbegin(); it != weeks.cend(); ++it)
        figures.weeks.append(
            {it.key(), it->second > 0 ? it->first / it->second : -1.0, it->second});

    if (query.exec(QStringLiteral(
            // The sentences the recording was divided into; rows exist only
            // for those practised, so they count only when it never was.
            "SELECT r.title, r.path, max(coalesce(r.sentence_count, 0), count(s.id)),"
            " sum(s.state >= 2), avg(s.best_score),"
            " (SELECT max(a.at) FROM attempts a JOIN sentences t ON t.id = a.sentence_id"
            "  WHERE t.recording_id = r.id) AS last FROM recordings r"
            " JOIN sentences s ON s.recording_id = r.id GROUP BY r.id ORDER BY last DESC"))) {
        while (query.next()) {
            RecordingFigures r;
            r.title = query.value(0).toString();
            r.path = query.value(1).toString();
            r.sentences = query.value(2).toInt();
            r.done = query.value(3).toInt();
            r.averageScore = query.value(4).isNull() ? -1.0 : query.value(4).toDouble();
            if (!query.value(5).isNull())
                r.lastPractised =
                    QDateTime::fromString(query.value(5).toString(), Qt::ISODateWithMs)
                        .toLocalTime();
            figures.recordings.append(r);
        }
    }
    return figures;
}

bool ProgressQueries::addPracticeSeconds(QSqlDatabase &database, const QDate &day, double seconds)
{
    QSqlQuery query(database);
    query.prepare(
        QStringLiteral("INSERT INTO practice_days (day, seconds) VALUES (?, ?)"
                       " ON CONFLICT (day) DO UPDATE SET seconds = seconds + excluded.seconds"));
    query.addBindValue(day.toString(Qt::ISODate));
    query.addBindValue(seconds);
    return query.exec();
}

QString ProgressQueries::csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool ProgressQueries::writeAttemptsCsv(QSqlDatabase &database, QIODevice &out)
{
    // The column names, in the interface language.
    static const char *const Header[] = {
        QT_TRANSLATE_NOOP("ProgressExport", "录音"),
        QT_TRANSLATE_NOOP("ProgressExport", "录音路径"),
        QT_TRANSLATE_NOOP("ProgressExport", "句子开始（秒）"),
        QT_TRANSLATE_NOOP("ProgressExport", "句子结束（秒）"),
        QT_TRANSLATE_NOOP("ProgressExport", "原文"),
        QT_TRANSLATE_NOOP("ProgressExport", "时间"),
        QT_TRANSLATE_NOOP("ProgressExport", "听写内容"),
        QT_TRANSLATE_NOOP("ProgressExport", "得分"),
        QT_TRANSLATE_NOOP("ProgressExport", "提示次数"),
        QT_TRANSLATE_NOOP("ProgressExport", "显示答案"),
        QT_TRANSLATE_NOOP("ProgressExport", "用时（秒）"),
        QT_TRANSLATE_NOOP("ProgressExport", "通过"),
    };
    QByteArray chunk = QByteArrayLiteral("\xEF\xBB\xBF");
    QStringList fields;
    for (const char *name : Header)
        fields.append(csvField(QCoreApplication::translate("ProgressExport", name)));
    chunk += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT r.title, r.path, s.start_ms, s.end_ms, s.expected, a.at, a.typed, a.score,"
            " a.hints, a.answer_shown, a.seconds, a.passed FROM attempts a"
            " JOIN sentences s ON s.id = a.sentence_id JOIN recordings r ON r.id = s.recording_id"
            " ORDER BY a.at, a.id")))
        return false;
    while (query.next()) {
        fields.clear();
        fields << csvField(query.value(0).toString()) << csvField(query.value(1).toString())
               << QString::number(query.value(2).toLongLong() / 1000.0, 'f', 3)
               << QString::number(query.value(3).toLongLong() / 1000.0, 'f', 3)
               << csvField(query.value(4).toString())
               << QDateTime::fromString(query.value(5).toString(), Qt::ISODateWithMs)
                      .toLocalTime()
                      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
               << csvField(query.value(6).toString())
               << (query.value(7).isNull() ? QString() : query.value(7).toString())
               << query.value(8).toString() << query.value(9).toString()
               << QString::number(query.value(10).toDouble(), 'f', 1) << query.value(11).toString();
        chunk += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
        if (chunk.size() > 1 << 16) {
            if (out.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return out.write(chunk) == chunk.size();
}
