#include "progress/reviewstore.h"

#include "progress/reviewrules.h"

#include <QFileInfo>

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QVariant>
#include <algorithm>

namespace {

bool exec(QSqlQuery &query, QSqlError &error)
{
    if (query.exec())
        return true;
    error = query.lastError();
    return false;
}

} // namespace

bool ReviewStore::recordAttempt(QSqlDatabase &database, qint64 sentenceId,
                                const AttemptRecord &attempt, QSqlError &error)
{
    const QDateTime local = attempt.at.toLocalTime();
    const QDate day = local.date();
    QSqlQuery query(database);
    // The try number counts the lines of that day: a sentence practised
    // again weeks later starts at its first try.
    query.prepare(
        QStringLiteral("SELECT count(*) FROM attempts WHERE sentence_id = ? AND at >= ?"));
    query.addBindValue(sentenceId);
    query.addBindValue(QDateTime(day, QTime(0, 0)).toUTC().toString(Qt::ISODateWithMs));
    if (!exec(query, error) || !query.next())
        return false;
    ReviewRules::Outcome outcome;
    outcome.passed = attempt.passed;
    outcome.helped = attempt.hints > 0 || attempt.answerShown;
    outcome.tryNumber = std::max(1, query.value(0).toInt());
    query.finish();

    query.prepare(QStringLiteral("SELECT step, due FROM reviews WHERE sentence_id = ?"));
    query.addBindValue(sentenceId);
    if (!exec(query, error))
        return false;
    std::optional<ReviewRules::Schedule> current;
    if (query.next())
        current = ReviewRules::Schedule{query.value(0).toInt(),
                                        QDate::fromString(query.value(1).toString(), Qt::ISODate)};
    query.finish();

    const std::optional<ReviewRules::Schedule> next =
        ReviewRules::afterAttempt(current, outcome, day);
    if (next == current && current) {
        query.prepare(QStringLiteral("UPDATE reviews SET last_score = ? WHERE sentence_id = ?"));
        query.addBindValue(attempt.score < 0 ? QVariant() : QVariant(attempt.score));
        query.addBindValue(sentenceId);
        return exec(query, error);
    }
    if (!next) {
        query.prepare(QStringLiteral("DELETE FROM reviews WHERE sentence_id = ?"));
        query.addBindValue(sentenceId);
        return exec(query, error);
    }
    query.prepare(QStringLiteral(
        "INSERT INTO reviews (sentence_id, step, due, last_review, last_score)"
        " VALUES (?, ?, ?, ?, ?) ON CONFLICT (sentence_id) DO UPDATE SET step = excluded.step,"
        " due = excluded.due, last_review = excluded.last_review,"
        " last_score = excluded.last_score"));
    query.addBindValue(sentenceId);
    query.addBindValue(next->step);
    query.addBindValue(next->due.toString(Qt::ISODate));
    query.addBindValue(day.toString(Qt::ISODate));
    query.addBindValue(attempt.score < 0 ? QVariant() : QVariant(attempt.score));
    return exec(query, error);
}

QList<ReviewStore::DueSentence> ReviewStore::dueSentences(QSqlDatabase &database, const QDate &day)
{
    QList<DueSentence> due;
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT v.sentence_id, r.digest, r.size, r.path, r.title, s.start_ms, s.end_ms,"
        " s.expected, v.last_score, v.due, v.step FROM reviews v"
        " JOIN sentences s ON s.id = v.sentence_id JOIN recordings r ON r.id = s.recording_id"
        " WHERE v.due <= ? ORDER BY v.due, r.id, s.start_ms"));
    query.addBindValue(day.toString(Qt::ISODate));
    if (!query.exec())
        return due;
    QHash<QString, bool> present; // one look at the disk per recording
    while (query.next()) {
        DueSentence d;
        d.sentenceId = query.value(0).toLongLong();
        d.key.digest = query.value(1).toString();
        d.key.size = query.value(2).toLongLong();
        d.path = query.value(3).toString();
        d.title = query.value(4).toString();
        d.start = query.value(5).toLongLong() / 1000.0;
        d.end = query.value(6).toLongLong() / 1000.0;
        d.expected = query.value(7).toString();
        d.lastScore = query.value(8).isNull() ? -1 : query.value(8).toInt();
        d.due = QDate::fromString(query.value(9).toString(), Qt::ISODate);
        d.step = query.value(10).toInt();
        auto found = present.constFind(d.path);
        if (found == present.constEnd()) {
            const QFileInfo info(d.path);
            found = present.insert(d.path, info.isFile() && info.size() == d.key.size);
        }
        d.missing = !*found;
        due.append(d);
    }
    // A recording to point to comes first, where the learner sees it.
    std::stable_partition(due.begin(), due.end(), [](const DueSentence &d) { return d.missing; });
    return due;
}

bool ReviewStore::relocate(QSqlDatabase &database, const RecordingKey &key, const QString &path,
                           QSqlError &error)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("UPDATE recordings SET path = ? WHERE digest = ? AND size = ?"));
    query.addBindValue(path);
    query.addBindValue(key.digest);
    query.addBindValue(key.size);
    return exec(query, error);
}
