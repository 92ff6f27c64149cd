#include "learner/damagedfile.h"

#include "learner/sentencerows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <limits>

void DamagedFile::carryOver(QSqlDatabase &fresh, const QString &damaged, const QString &connection)
{
    QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    old.setDatabaseName(damaged);
    old.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (old.open()) {
        QSqlQuery(fresh).exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
        if (fresh.transaction()) {
            for (const char *table : {"recordings", "sentences", "attempts", "reviews",
                                      "practice_days", "resume_places", "settings"}) {
                const QString name = QLatin1String(table);
                QStringList columns;
                QSqlQuery info(fresh);
                info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(name));
                QStringList freshColumns;
                while (info.next())
                    freshColumns.append(info.value(1).toString());
                QSqlQuery probe(old);
                if (!probe.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(name)))
                    continue;
                const QSqlRecord record = probe.record();
                for (int i = 0; i < record.count(); ++i) {
                    if (freshColumns.contains(record.fieldName(i)))
                        columns.append(record.fieldName(i));
                }
                if (columns.isEmpty())
                    continue;
                QSqlQuery insert(fresh);
                insert.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                   .arg(name, columns.join(QLatin1Char(',')),
                                        QStringList(columns.size(), QStringLiteral("?"))
                                            .join(QLatin1Char(','))));
                qint64 upTo = std::numeric_limits<qint64>::min();
                for (const char *order : {"ASC", "DESC"}) {
                    QSqlQuery scan(old);
                    scan.setForwardOnly(true);
                    scan.prepare(
                        QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ?"
                                       " ORDER BY rowid %3")
                            .arg(columns.join(QLatin1Char(',')), name, QLatin1String(order)));
                    scan.addBindValue(upTo);
                    if (!scan.exec())
                        continue;
                    const bool ascending = qstrcmp(order, "ASC") == 0;
                    while (scan.next()) {
                        if (ascending)
                            upTo = scan.value(0).toLongLong();
                        for (int i = 0; i < columns.size(); ++i)
                            insert.bindValue(i, scan.value(i + 1));
                        insert.exec();
                    }
                }
            }
            // Rows whose owner was lost with the damage.
            QSqlQuery tidy(fresh);
            tidy.exec(QStringLiteral("DELETE FROM sentences WHERE recording_id NOT IN"
                                     " (SELECT id FROM recordings)"));
            tidy.exec(QStringLiteral("DELETE FROM attempts WHERE sentence_id NOT IN"
                                     " (SELECT id FROM sentences)"));
            tidy.exec(QStringLiteral("DELETE FROM reviews WHERE sentence_id NOT IN"
                                     " (SELECT id FROM sentences)"));
            QSqlError error;
            if (SentenceRows::mergeOverlapping(fresh, error))
                fresh.commit();
            else
                fresh.rollback();
        }
        QSqlQuery(fresh).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        old.close();
    }
    old = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection);
}
