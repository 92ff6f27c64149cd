#include "learner/sentencerows.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <map>

namespace {

using SentenceRows::exec;

using SentenceMatch::Span;

qint64 ms(double seconds)
{
    return std::llround(seconds * 1000.0);
}

struct Row {
    qint64 id = 0;
    qint64 startMs = 0;
    qint64 endMs = 0;
    SentenceProgress progress;

    Span span() const { return {startMs / 1000.0, endMs / 1000.0, {}}; }
};

const char *const RowColumns =
    "id, start_ms, end_ms, state, tries, best_score, best_line, expected";

Row rowOf(const QSqlQuery &query)
{
    Row row;
    row.id = query.value(0).toLongLong();
    row.startMs = query.value(1).toLongLong();
    row.endMs = query.value(2).toLongLong();
    const int state = query.value(3).toInt();
    row.progress.state =
        state >= 0 && state <= 3 ? SentenceState(state) : SentenceState::NotStarted;
    row.progress.tries = query.value(4).toInt();
    row.progress.bestScore = query.value(5).isNull() ? -1 : query.value(5).toInt();
    row.progress.bestLine = query.value(6).toString();
    row.progress.expected = query.value(7).toString();
    row.progress.start = row.startMs / 1000.0;
    row.progress.end = row.endMs / 1000.0;
    return row;
}

std::optional<Row> readRow(QSqlDatabase &database, qint64 id, QSqlError &error)
{
    QSqlQuery query(database);
    query.prepare(
        QStringLiteral("SELECT %1 FROM sentences WHERE id = ?").arg(QLatin1String(RowColumns)));
    query.addBindValue(id);
    if (!exec(query, error))
        return std::nullopt;
    if (!query.next())
        return Row{};
    return rowOf(query);
}

bool writeCounts(QSqlDatabase &database, qint64 id, const SentenceProgress &p, QSqlError &error)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral(
        "UPDATE sentences SET state = ?, tries = ?, best_score = ?, best_line = ? WHERE id = ?"));
    query.addBindValue(int(p.state));
    query.addBindValue(p.tries);
    query.addBindValue(p.bestScore < 0 ? QVariant() : QVariant(p.bestScore));
    query.addBindValue(p.bestLine);
    query.addBindValue(id);
    return exec(query, error);
}

// Rule 5, with rule 4 for the text. Another row already at these times (two
// equal spans in one division) keeps them; this one stays where it was.
bool takeTimes(QSqlDatabase &database, const Row &row, const Span &sentence,
               const QString &expected, QSqlError &error)
{
    QVariant text;
    if (!expected.isEmpty())
        text = expected;
    else if (SentenceMatch::nearlySame(row.span(), sentence) && !row.progress.expected.isEmpty())
        text = row.progress.expected;
    QSqlQuery query(database);
    query.prepare(QStringLiteral(
        "UPDATE OR IGNORE sentences SET start_ms = ?, end_ms = ?, expected = ? WHERE id = ?"));
    query.addBindValue(ms(sentence.start));
    query.addBindValue(ms(sentence.end));
    query.addBindValue(text);
    query.addBindValue(row.id);
    return exec(query, error);
}

// The survivor of rows going to one sentence: the one at its very times, else the oldest.
qsizetype survivorOf(const QList<Row> &rows, const Span &sentence)
{
    qsizetype chosen = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).startMs == ms(sentence.start) && rows.at(i).endMs == ms(sentence.end))
            return i;
        if (rows.at(i).id < rows.at(chosen).id)
            chosen = i;
    }
    return chosen;
}

bool settleGroup(QSqlDatabase &database, const QList<Row> &rows, const Span &sentence,
                 const QString &expected, qint64 &survivor, QSqlError &error)
{
    const qsizetype keep = survivorOf(rows, sentence);
    const Row kept = rows.at(keep);
    survivor = kept.id;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i != keep && !SentenceRows::mergeInto(database, kept.id, rows.at(i).id, error))
            return false;
    }
    if (rows.size() == 1 && kept.startMs == ms(sentence.start) && kept.endMs == ms(sentence.end)
        && (expected.isEmpty() || expected == kept.progress.expected))
        return true;
    return takeTimes(database, kept, sentence, expected, error);
}

} // namespace

bool SentenceRows::exec(QSqlQuery &query, QSqlError &error)
{
    if (query.exec())
        return true;
    error = query.lastError();
    return false;
}

bool SentenceRows::mergeInto(QSqlDatabase &database, qint64 survivor, qint64 other,
                             QSqlError &error)
{
    const std::optional<Row> a = readRow(database, survivor, error);
    const std::optional<Row> b = readRow(database, other, error);
    if (!a || !b)
        return false;
    if (!writeCounts(database, survivor, SentenceMatch::merged(a->progress, b->progress), error))
        return false;
    QSqlQuery query(database);
    query.prepare(QStringLiteral("UPDATE attempts SET sentence_id = ? WHERE sentence_id = ?"));
    query.addBindValue(survivor);
    query.addBindValue(other);
    if (!exec(query, error))
        return false;
    // The schedule practised last stays (a missing last review counts as
    // the oldest); on a tie the one due first, so nothing due is hidden.
    query.prepare(QStringLiteral(
        "SELECT sentence_id FROM reviews WHERE sentence_id IN (?, ?)"
        " ORDER BY coalesce(last_review, '') DESC, due ASC, sentence_id = ? DESC LIMIT 1"));
    query.addBindValue(survivor);
    query.addBindValue(other);
    query.addBindValue(survivor);
    if (!exec(query, error))
        return false;
    const bool takeOthers = query.next() && query.value(0).toLongLong() == other;
    query.finish();
    if (takeOthers) {
        query.prepare(QStringLiteral("DELETE FROM reviews WHERE sentence_id = ?"));
        query.addBindValue(survivor);
        if (!exec(query, error))
            return false;
        query.prepare(QStringLiteral("UPDATE reviews SET sentence_id = ? WHERE sentence_id = ?"));
        query.addBindValue(survivor);
        query.addBindValue(other);
        if (!exec(query, error))
            return false;
    } else {
        query.prepare(QStringLiteral("DELETE FROM reviews WHERE sentence_id = ?"));
        query.addBindValue(other);
        if (!exec(query, error))
            return false;
    }
    query.prepare(QStringLiteral("DELETE FROM sentences WHERE id = ?"));
    query.addBindValue(other);
    return exec(query, error);
}

bool SentenceRows::settleSentence(QSqlDatabase &database, qint64 recordingId,
                                  const QList<SentenceMatch::Span> &division, int index,
                                  const QString &expected, qint64 &row, QSqlError &error)
{
    row = 0;
    const Span &sentence = division.at(index);
    const double longest = SentenceMatch::longest(division);
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT %1 FROM sentences WHERE recording_id = ?"
                                 " AND start_ms <= ? AND end_ms >= ?")
                      .arg(QLatin1String(RowColumns)));
    query.addBindValue(recordingId);
    query.addBindValue(ms(sentence.end));
    query.addBindValue(ms(sentence.start));
    if (!exec(query, error))
        return false;
    QList<Row> rows;
    while (query.next()) {
        const Row r = rowOf(query);
        const bool same = r.startMs == ms(sentence.start) && r.endMs == ms(sentence.end);
        if (same || SentenceMatch::sentenceFor(division, r.span(), longest) == index)
            rows.append(r);
    }
    query.finish();
    if (rows.isEmpty())
        return true;
    return settleGroup(database, rows, sentence, expected, row, error);
}

bool SentenceRows::settleAll(QSqlDatabase &database, qint64 recordingId,
                             const QList<SentenceMatch::Span> &division, QSqlError &error)
{
    const double longest = SentenceMatch::longest(division);
    QSqlQuery query(database);
    query.prepare(
        QStringLiteral("SELECT %1 FROM sentences WHERE recording_id = ? ORDER BY start_ms")
            .arg(QLatin1String(RowColumns)));
    query.addBindValue(recordingId);
    if (!exec(query, error))
        return false;
    std::map<int, QList<Row>> groups;
    while (query.next()) {
        const Row r = rowOf(query);
        const int index = SentenceMatch::sentenceFor(division, r.span(), longest);
        if (index >= 0)
            groups[index].append(r);
    }
    query.finish();
    for (const auto &[index, rows] : groups) {
        qint64 survivor = 0;
        if (!settleGroup(database, rows, division.at(index), division.at(index).text, survivor,
                         error))
            return false;
    }
    return true;
}

bool SentenceRows::mergeOverlapping(QSqlDatabase &database, QSqlError &error)
{
    // Written last: the row of the latest attempt, else the newest row.
    QSqlQuery query(database);
    if (!query.exec(
            QStringLiteral("SELECT s.recording_id, s.id, s.start_ms, s.end_ms,"
                           " (SELECT max(at) FROM attempts a WHERE a.sentence_id = s.id) AS last"
                           " FROM sentences s ORDER BY s.recording_id, s.start_ms, s.end_ms"))) {
        error = query.lastError();
        return false;
    }
    struct Item {
        qint64 recording;
        qint64 id;
        Span span;
        QString last;
    };
    QList<QList<Item>> groups;
    while (query.next()) {
        const Item item{
            query.value(0).toLongLong(),
            query.value(1).toLongLong(),
            {query.value(2).toLongLong() / 1000.0, query.value(3).toLongLong() / 1000.0, {}},
            query.value(4).toString()};
        if (!groups.isEmpty() && groups.last().first().recording == item.recording
            && SentenceMatch::matches(groups.last().first().span, item.span))
            groups.last().append(item);
        else
            groups.append({item});
    }
    query.finish();
    for (const QList<Item> &group : groups) {
        if (group.size() < 2)
            continue;
        qsizetype keep = 0;
        for (qsizetype i = 1; i < group.size(); ++i) {
            const Item &a = group.at(i);
            const Item &b = group.at(keep);
            if (a.last > b.last || (a.last == b.last && a.id > b.id))
                keep = i;
        }
        for (qsizetype i = 0; i < group.size(); ++i) {
            if (i != keep && !mergeInto(database, group.at(keep).id, group.at(i).id, error))
                return false;
        }
    }
    return true;
}

bool SentenceRows::shiftAll(QSqlDatabase &database, qint64 recordingId, qint64 ms, QSqlError &error)
{
    // By way of times no row has, as no two rows may share their times
    // even for a moment.
    constexpr qint64 Aside = 1'000'000'000'000;
    for (const qint64 by : {Aside + ms, -Aside}) {
        QSqlQuery query(database);
        query.prepare(QStringLiteral("UPDATE sentences SET start_ms = start_ms + ?, "
                                     "end_ms = end_ms + ? WHERE recording_id = ?"));
        query.addBindValue(by);
        query.addBindValue(by);
        query.addBindValue(recordingId);
        if (!exec(query, error))
            return false;
    }
    return true;
}
