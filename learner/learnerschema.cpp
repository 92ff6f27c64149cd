#include "learner/learnerschema.h"

#include "learner/sentencerows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// Version 1: recordings, their sentences with the learner's state, every
// applied line, and where each recording was left.
const char *const Version1[] = {
    "CREATE TABLE recordings ("
    " id INTEGER PRIMARY KEY,"
    " digest TEXT NOT NULL,"
    " size INTEGER NOT NULL,"
    " path TEXT NOT NULL,"
    " length REAL,"
    " title TEXT,"
    " last_opened TEXT,"
    " UNIQUE (digest, size))",
    "CREATE TABLE sentences ("
    " id INTEGER PRIMARY KEY,"
    " recording_id INTEGER NOT NULL REFERENCES recordings(id) ON DELETE CASCADE,"
    " start_ms INTEGER NOT NULL,"
    " end_ms INTEGER NOT NULL,"
    " expected TEXT,"
    " state INTEGER NOT NULL DEFAULT 0,"
    " tries INTEGER NOT NULL DEFAULT 0,"
    " best_score INTEGER,"
    " best_line TEXT,"
    " UNIQUE (recording_id, start_ms, end_ms))",
    "CREATE TABLE attempts ("
    " id INTEGER PRIMARY KEY,"
    " sentence_id INTEGER NOT NULL REFERENCES sentences(id) ON DELETE CASCADE,"
    " at TEXT NOT NULL,"
    " typed TEXT NOT NULL,"
    " score INTEGER,"
    " hints INTEGER NOT NULL DEFAULT 0,"
    " answer_shown INTEGER NOT NULL DEFAULT 0,"
    " seconds REAL NOT NULL DEFAULT 0,"
    " passed INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX attempts_by_sentence ON attempts (sentence_id, at)",
    "CREATE INDEX attempts_by_time ON attempts (at)",
    "CREATE TABLE resume_places ("
    " path TEXT PRIMARY KEY,"
    " place TEXT NOT NULL,"
    " updated INTEGER NOT NULL)",
    "CREATE INDEX resume_places_by_age ON resume_places (updated)",
    "CREATE TABLE settings (key TEXT PRIMARY KEY, value TEXT)",
};

// Version 2: the review schedule of each sentence, and the minutes practised
// per day. Days are the learner's local dates, "yyyy-MM-dd".
const char *const Version2[] = {
    "CREATE TABLE reviews ("
    " sentence_id INTEGER PRIMARY KEY REFERENCES sentences(id) ON DELETE CASCADE,"
    " step INTEGER NOT NULL,"
    " due TEXT NOT NULL,"
    " last_review TEXT,"
    " last_score INTEGER)",
    "CREATE INDEX reviews_by_due ON reviews (due)",
    "CREATE TABLE practice_days (day TEXT PRIMARY KEY, seconds REAL NOT NULL DEFAULT 0)",
};

// Version 3: a sentence's row follows the sentence rather than its times
// (see sentencematch.h), so rows left by two divisions of one recording become
// one; and the number of sentences each recording was last divided into.
const char *const Version3[] = {
    "ALTER TABLE recordings ADD COLUMN sentence_count INTEGER",
};

// Version 4: each attempt's offset from UTC where it was made, in seconds,
// so it counts on the learner's day there, wherever the figures are read.
const char *const Version4[] = {
    "ALTER TABLE attempts ADD COLUMN utc_offset INTEGER",
};

struct Step {
    const char *const *statements;
    std::size_t count;
    // What the statements cannot say, after them.
    bool (*data)(QSqlDatabase &, QSqlError &) = nullptr;
};

const Step Steps[] = {
    {Version1, std::size(Version1)},
    {Version2, std::size(Version2)},
    {Version3, std::size(Version3), SentenceRows::mergeOverlapping},
    {Version4, std::size(Version4)},
};

LearnerSchema::Result failure(const QSqlError &error)
{
    LearnerSchema::Result result;
    result.nativeCode = error.nativeErrorCode().toInt();
    result.detail = error.text();
    // SQLITE_CORRUPT and SQLITE_NOTADB: the file is not ours to fix.
    const int primary = result.nativeCode & 0xff;
    result.outcome = primary == 11 || primary == 26 ? LearnerSchema::Outcome::Damaged
                                                    : LearnerSchema::Outcome::Failed;
    return result;
}

} // namespace

int LearnerSchema::currentVersion()
{
    return int(std::size(Steps));
}

LearnerSchema::Result LearnerSchema::migrate(QSqlDatabase &database)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failure(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    // Reading the schema finds a damaged file before anything is written.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return failure(query.lastError());
    query.finish();
    if (version > currentVersion())
        return {Outcome::Newer, 0, QString::number(version)};
    for (int v = version; v < currentVersion(); ++v) {
        if (!database.transaction())
            return failure(database.lastError());
        const Step &step = Steps[v];
        for (std::size_t i = 0; i < step.count; ++i) {
            if (!query.exec(QString::fromLatin1(step.statements[i]))) {
                const Result result = failure(query.lastError());
                database.rollback();
                return result;
            }
        }
        QSqlError dataError;
        if (step.data && !step.data(database, dataError)) {
            const Result result = failure(dataError);
            database.rollback();
            return result;
        }
        // PRAGMA takes no bound values; the number is ours.
        if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(v + 1))
            || !database.commit()) {
            const Result result =
                failure(query.lastError().isValid() ? query.lastError() : database.lastError());
            database.rollback();
            return result;
        }
    }
    return {Outcome::Ready, 0, {}};
}
