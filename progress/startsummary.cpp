#include "progress/startsummary.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The count lives in the key-value table: the recordings table keeps its shape.
const QString CountKeyPrefix = QStringLiteral("sentence_count:");

} // namespace

QList<StartSummary::Recording> StartSummary::recordings(QSqlDatabase &database,
                                                        const QStringList &paths)
{
    QList<Recording> result;
    QSqlQuery query(database);
    query.prepare(QStringLiteral(
        "SELECT r.id, r.last_opened,"
        " (SELECT count(*) FROM sentences s WHERE s.recording_id = r.id AND s.state IN (2, 3)),"
        " (SELECT max(a.at) FROM attempts a JOIN sentences s ON s.id = a.sentence_id"
        "  WHERE s.recording_id = r.id),"
        " (SELECT value FROM settings WHERE key = ? || r.id),"
        " (SELECT count(*) FROM sentences s WHERE s.recording_id = r.id)"
        " FROM recordings r WHERE r.path = ? ORDER BY r.last_opened DESC LIMIT 1"));
    for (const QString &path : paths) {
        Recording entry;
        entry.path = path;
        query.addBindValue(CountKeyPrefix);
        query.addBindValue(path);
        if (query.exec() && query.next()) {
            entry.done = query.value(2).toInt();
            const QString practised = query.value(3).toString();
            entry.lastPractised = QDateTime::fromString(
                practised.isEmpty() ? query.value(1).toString() : practised, Qt::ISODateWithMs);
            bool known = false;
            const int total = query.value(4).toInt(&known);
            // Never fewer than the sentences already on record.
            entry.total = known ? std::max(total, query.value(5).toInt()) : -1;
        }
        query.finish();
        result.append(entry);
    }
    return result;
}

int StartSummary::dueCount(QSqlDatabase &database, const QDate &day)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT count(*) FROM reviews WHERE due <= ?"));
    query.addBindValue(day.toString(Qt::ISODate));
    if (!query.exec() || !query.next())
        return -1;
    return query.value(0).toInt();
}

bool StartSummary::storeSentenceCount(QSqlDatabase &database, const RecordingKey &key, int count,
                                      QSqlError &error)
{
    QSqlQuery query(database);
    query.prepare(
        QStringLiteral("INSERT OR REPLACE INTO settings (key, value)"
                       " SELECT ? || id, ? FROM recordings WHERE digest = ? AND size = ?"));
    query.addBindValue(CountKeyPrefix);
    query.addBindValue(count);
    query.addBindValue(key.digest);
    query.addBindValue(key.size);
    if (query.exec())
        return true;
    error = query.lastError();
    return false;
}
