#include "learner/learnerdatabase.h"

#include "learner/learnerschema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <cmath>

namespace {

qint64 milliseconds(double seconds)
{
    return std::llround(seconds * 1000.0);
}

QString connectionName(const void *owner, const char *role)
{
    return QStringLiteral("learner-%1-%2").arg(QLatin1String(role)).arg(quintptr(owner), 0, 16);
}

// The connection settings every connection needs; false with the error set.
bool prepare(QSqlDatabase &database, int busyTimeoutMs, QSqlError &error)
{
    QSqlQuery query(database);
    for (const QString &statement :
         {QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeoutMs),
          QStringLiteral("PRAGMA journal_mode = WAL"), QStringLiteral("PRAGMA foreign_keys = ON"),
          QStringLiteral("PRAGMA synchronous = NORMAL")}) {
        if (!query.exec(statement)) {
            error = query.lastError();
            return false;
        }
    }
    return true;
}

bool exec(QSqlQuery &query, QSqlError &error)
{
    if (query.exec())
        return true;
    error = query.lastError();
    return false;
}

// The id of the recording's row, made or brought up to date.
std::optional<qint64> recordingId(QSqlDatabase &database, const RecordingKey &key,
                                  const QString &path, QSqlError &error)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral(
        "INSERT INTO recordings (digest, size, path, title, last_opened) VALUES (?, ?, ?, ?, ?)"
        " ON CONFLICT (digest, size) DO UPDATE SET path = excluded.path,"
        " last_opened = excluded.last_opened RETURNING id"));
    query.addBindValue(key.digest);
    query.addBindValue(key.size);
    query.addBindValue(path);
    query.addBindValue(QFileInfo(path).completeBaseName());
    query.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!exec(query, error) || !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

} // namespace

// Lives on the writer thread with a connection of its own.
class LearnerWriter : public QObject
{
public:
    LearnerWriter(QString path, QString name, int busyTimeoutMs, QString options)
        : m_path(std::move(path)), m_name(std::move(name)), m_busyTimeoutMs(busyTimeoutMs),
          m_options(std::move(options))
    {}

    // False with the error when the write could not be made; nothing of it stays.
    bool run(const std::function<bool(QSqlDatabase &, QSqlError &)> &job, QSqlError &error)
    {
        if (!m_database.isValid()) {
            m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            m_database.setDatabaseName(m_path);
            m_database.setConnectOptions(m_options);
        }
        if (!m_database.isOpen()) {
            if (!m_database.open()) {
                error = m_database.lastError();
                return false;
            }
            if (!prepare(m_database, m_busyTimeoutMs, error)) {
                m_database.close();
                return false;
            }
        }
        if (!m_database.transaction()) {
            error = m_database.lastError();
            return false;
        }
        if (!job(m_database, error)) {
            m_database.rollback();
            return false;
        }
        if (!m_database.commit()) {
            error = m_database.lastError();
            m_database.rollback();
            return false;
        }
        return true;
    }

    void close()
    {
        if (m_database.isValid()) {
            m_database.close();
            m_database = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
        }
    }

private:
    QString m_path;
    QString m_name;
    int m_busyTimeoutMs;
    QString m_options;
    QSqlDatabase m_database;
};

LearnerDatabase::LearnerDatabase(QString path, QObject *parent)
    : QObject(parent), m_path(std::move(path)), m_readerName(connectionName(this, "reader"))
{
    setObjectName(QStringLiteral("LearnerDatabase"));
}

LearnerDatabase::~LearnerDatabase()
{
    if (m_thread) {
        flush();
        QMetaObject::invokeMethod(
            m_writer, [writer = m_writer] { writer->close(); }, Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
        delete m_writer;
        delete m_thread;
    }
    closeReader();
}

void LearnerDatabase::closeReader()
{
    if (QSqlDatabase::contains(m_readerName)) {
        QSqlDatabase::database(m_readerName, false).close();
        QSqlDatabase::removeDatabase(m_readerName);
    }
}

bool LearnerDatabase::open()
{
    if (m_triedOpen)
        return m_open;
    m_triedOpen = true;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        report(tr("学习进度没有保存：无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    m_open = openFile(false);
    if (!m_open)
        return false;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("LearnerWriter"));
    m_writer = new LearnerWriter(m_path, connectionName(this, "writer"), m_busyTimeoutMs,
                                 m_connectOptions);
    m_writer->moveToThread(m_thread);
    m_thread->start();
    return true;
}

bool LearnerDatabase::openFile(bool afterMovingAside)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_readerName);
    database.setDatabaseName(m_path);
    database.setConnectOptions(m_connectOptions);
    QSqlError error;
    LearnerSchema::Result result;
    if (!database.open()) {
        error = database.lastError();
        result.nativeCode = error.nativeErrorCode().toInt();
        result.detail = error.text();
    } else if (!prepare(database, 200, error)) {
        result.nativeCode = error.nativeErrorCode().toInt();
        result.detail = error.text();
        const int primary = result.nativeCode & 0xff;
        if (primary == 11 || primary == 26)
            result.outcome = LearnerSchema::Outcome::Damaged;
    } else {
        result = LearnerSchema::migrate(database);
    }
    if (result.outcome == LearnerSchema::Outcome::Ready) {
        // A write now tells a read-only or full disk from the start, not at
        // the learner's first line.
        QSqlQuery probe(database);
        probe.prepare(QStringLiteral("INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)"));
        probe.addBindValue(QStringLiteral("last_opened"));
        probe.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        if (probe.exec())
            return true;
        result.outcome = LearnerSchema::Outcome::Failed;
        result.nativeCode = probe.lastError().nativeErrorCode().toInt();
        result.detail = probe.lastError().text();
    }
    database = QSqlDatabase();
    closeReader();

    switch (result.outcome) {
    case LearnerSchema::Outcome::Ready:
        break;
    case LearnerSchema::Outcome::Newer:
        report(tr("学习进度没有保存：学习记录来自较新版本的 Quillmar"));
        return false;
    case LearnerSchema::Outcome::Damaged: {
        if (afterMovingAside)
            break;
        const QString aside =
            m_path + QStringLiteral(".damaged-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        if (!QFile::rename(m_path, aside)) {
            report(tr("学习进度没有保存：学习记录已损坏，且无法移开"));
            return false;
        }
        for (const char *suffix : {"-wal", "-shm"}) {
            const QString companion = m_path + QLatin1String(suffix);
            if (QFile::exists(companion))
                QFile::rename(companion, aside + QLatin1String(suffix));
        }
        // Progress is kept in the new file, so this is no reason to stay silent later.
        Q_EMIT problemOccurred(
            tr("学习记录已损坏，已移到“%1”，从头记录").arg(QDir::toNativeSeparators(aside)));
        return openFile(true);
    }
    case LearnerSchema::Outcome::Failed:
        break;
    }
    reportError(result.nativeCode, result.detail);
    return false;
}

void LearnerDatabase::report(const QString &text)
{
    if (m_failed)
        return;
    m_failed = true;
    Q_EMIT problemOccurred(text);
}

void LearnerDatabase::reportError(int nativeCode, const QString &detail)
{
    QString reason;
    switch (nativeCode & 0xff) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        reason = tr("另一个正在运行的 Quillmar 占用着学习记录");
        break;
    case 8:  // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
    case 23: // SQLITE_AUTH
        reason = tr("学习记录所在的位置不能写入");
        break;
    case 13: // SQLITE_FULL
        reason = tr("磁盘已满");
        break;
    default:
        reason = detail;
        break;
    }
    report(tr("学习进度没有保存：%1").arg(reason));
}

QList<SentenceProgress> LearnerDatabase::sentences(const RecordingKey &key)
{
    QList<SentenceProgress> found;
    if (!key.isValid() || !open())
        return found;
    QSqlQuery query(QSqlDatabase::database(m_readerName));
    query.prepare(QStringLiteral(
        "SELECT s.start_ms, s.end_ms, s.state, s.tries, s.best_score, s.best_line, s.expected"
        " FROM sentences s JOIN recordings r ON r.id = s.recording_id"
        " WHERE r.digest = ? AND r.size = ? ORDER BY s.start_ms"));
    query.addBindValue(key.digest);
    query.addBindValue(key.size);
    if (!query.exec()) {
        reportError(query.lastError().nativeErrorCode().toInt(), query.lastError().text());
        return found;
    }
    while (query.next()) {
        SentenceProgress p;
        p.start = query.value(0).toLongLong() / 1000.0;
        p.end = query.value(1).toLongLong() / 1000.0;
        const int state = query.value(2).toInt();
        p.state = state >= 0 && state <= 3 ? SentenceState(state) : SentenceState::NotStarted;
        p.tries = query.value(3).toInt();
        p.bestScore = query.value(4).isNull() ? -1 : query.value(4).toInt();
        p.bestLine = query.value(5).toString();
        p.expected = query.value(6).toString();
        found.append(p);
    }
    return found;
}

std::optional<QString> LearnerDatabase::resumePlace(const QString &recordingPath)
{
    if (!open())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_readerName));
    query.prepare(QStringLiteral("SELECT place FROM resume_places WHERE path = ?"));
    query.addBindValue(recordingPath);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toString();
}

void LearnerDatabase::importResumePlacesOnce(const QList<std::pair<QString, QString>> &places)
{
    if (!open())
        return;
    QSqlDatabase database = QSqlDatabase::database(m_readerName);
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT 1 FROM settings WHERE key = 'resume_imported'"));
    if (!query.exec() || query.next())
        return;
    query.finish();
    // Once, when the database is new: the places go in oldest first, so the
    // newest keeps the newest time.
    if (!database.transaction())
        return;
    const qint64 base = QDateTime::currentMSecsSinceEpoch() - places.size();
    bool ok = true;
    for (qsizetype i = 0; ok && i < places.size(); ++i) {
        query.prepare(QStringLiteral(
            "INSERT OR IGNORE INTO resume_places (path, place, updated) VALUES (?, ?, ?)"));
        query.addBindValue(places.at(i).first);
        query.addBindValue(places.at(i).second);
        query.addBindValue(base + (places.size() - i));
        ok = query.exec();
    }
    ok = ok
         && query.exec(
             QStringLiteral("INSERT INTO settings (key, value) VALUES ('resume_imported', '1')"));
    if (ok)
        ok = database.commit();
    if (!ok)
        database.rollback();
}

void LearnerDatabase::queue(Job job)
{
    if (!open())
        return;
    QMetaObject::invokeMethod(
        m_writer,
        [this, writer = m_writer, job = std::move(job)] {
            QSqlError error;
            if (writer->run(job, error)) {
                return;
            }
            const int code = error.nativeErrorCode().toInt();
            const QString detail = error.text();
            // Reported from the window's thread; the database outlives its writer.
            QMetaObject::invokeMethod(
                this, [this, code, detail] { reportError(code, detail); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LearnerDatabase::flush()
{
    if (m_thread)
        QMetaObject::invokeMethod(
            m_writer, [] {}, Qt::BlockingQueuedConnection);
}

void LearnerDatabase::noteRecording(const RecordingKey &key, const QString &path, double length)
{
    if (!key.isValid())
        return;
    queue([key, path, length](QSqlDatabase &database, QSqlError &error) {
        const std::optional<qint64> id = recordingId(database, key, path, error);
        if (!id)
            return false;
        if (length <= 0)
            return true;
        QSqlQuery query(database);
        query.prepare(QStringLiteral("UPDATE recordings SET length = ? WHERE id = ?"));
        query.addBindValue(length);
        query.addBindValue(*id);
        return exec(query, error);
    });
}

void LearnerDatabase::saveSentence(const RecordingKey &key, const QString &path,
                                   const SentenceProgress &progress,
                                   const std::optional<AttemptRecord> &attempt)
{
    if (!key.isValid())
        return;
    queue([key, path, progress, attempt, hook = m_attemptHook](QSqlDatabase &database,
                                                               QSqlError &error) {
        const std::optional<qint64> recording = recordingId(database, key, path, error);
        if (!recording)
            return false;
        QSqlQuery query(database);
        query.prepare(QStringLiteral(
            "INSERT INTO sentences (recording_id, start_ms, end_ms, expected, state, tries,"
            " best_score, best_line) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
            " ON CONFLICT (recording_id, start_ms, end_ms) DO UPDATE SET"
            " expected = coalesce(excluded.expected, expected), state = excluded.state,"
            " tries = excluded.tries, best_score = excluded.best_score,"
            " best_line = excluded.best_line RETURNING id"));
        query.addBindValue(*recording);
        query.addBindValue(milliseconds(progress.start));
        query.addBindValue(milliseconds(progress.end));
        query.addBindValue(progress.expected.isEmpty() ? QVariant() : QVariant(progress.expected));
        query.addBindValue(int(progress.state));
        query.addBindValue(progress.tries);
        query.addBindValue(progress.bestScore < 0 ? QVariant() : QVariant(progress.bestScore));
        query.addBindValue(progress.bestLine);
        if (!exec(query, error) || !query.next())
            return false;
        const qint64 sentence = query.value(0).toLongLong();
        query.finish();
        if (!attempt)
            return true;
        query.prepare(
            QStringLiteral("INSERT INTO attempts (sentence_id, at, typed, score, hints,"
                           " answer_shown, seconds, passed) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        query.addBindValue(sentence);
        query.addBindValue(attempt->at.toUTC().toString(Qt::ISODateWithMs));
        query.addBindValue(attempt->typed);
        query.addBindValue(attempt->score < 0 ? QVariant() : QVariant(attempt->score));
        query.addBindValue(attempt->hints);
        query.addBindValue(attempt->answerShown ? 1 : 0);
        query.addBindValue(attempt->seconds);
        query.addBindValue(attempt->passed ? 1 : 0);
        return exec(query, error) && (!hook || hook(database, sentence, *attempt, error));
    });
}

void LearnerDatabase::saveResumePlace(const QString &recordingPath, const QString &place)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    queue([recordingPath, place, now](QSqlDatabase &database, QSqlError &error) {
        QSqlQuery query(database);
        query.prepare(
            QStringLiteral("INSERT INTO resume_places (path, place, updated) VALUES (?, ?,"
                           " max(?, coalesce((SELECT max(updated) + 1 FROM resume_places), 0)))"
                           " ON CONFLICT (path) DO UPDATE SET place = excluded.place,"
                           " updated = excluded.updated"));
        query.addBindValue(recordingPath);
        query.addBindValue(place);
        query.addBindValue(now);
        if (!exec(query, error))
            return false;
        query.prepare(
            QStringLiteral("DELETE FROM resume_places WHERE path NOT IN"
                           " (SELECT path FROM resume_places ORDER BY updated DESC LIMIT ?)"));
        query.addBindValue(MaxResumePlaces);
        return exec(query, error);
    });
}
