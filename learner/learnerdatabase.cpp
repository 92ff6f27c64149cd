#include "learner/learnerdatabase.h"

#include "learner/damagedfile.h"
#include "learner/learnerschema.h"
#include "learner/sentencerows.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <cmath>
#include <deque>
#include <limits>

namespace {

using SentenceRows::exec;

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

// The id of the recording's row, made or brought up to date.
std::optional<qint64> recordingId(QSqlDatabase &database, const RecordingKey &key,
                                  const QString &path, QSqlError &error)
{
    QSqlQuery query(database);
    // Records kept under the former key become this one's, once.
    if (!key.formerDigest.isEmpty()) {
        query.prepare(QStringLiteral(
            "UPDATE recordings SET digest = ? WHERE digest = ? AND size = ? AND NOT EXISTS"
            " (SELECT 1 FROM recordings WHERE digest = ? AND size = ?)"));
        query.addBindValue(key.digest);
        query.addBindValue(key.formerDigest);
        query.addBindValue(key.size);
        query.addBindValue(key.digest);
        query.addBindValue(key.size);
        if (!exec(query, error))
            return std::nullopt;
    }
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

// Lives on the writer thread with a connection of its own. Writes wait in
// order until they are made: one that fails for a reason that passes (a
// full disk, a lock, a read-only disk) holds the others behind it and is
// tried again later; one that can never be made is dropped.
class LearnerWriter : public QObject
{
public:
    using Job = std::function<bool(QSqlDatabase &, QSqlError &)>;
    // Told on the writer thread; the database passes it on to its own.
    struct Listener {
        std::function<void(int nativeCode)> failed;
        std::function<void()> damaged;
        std::function<void()> working;
    };

    LearnerWriter(QString path, QString name, int busyTimeoutMs, QString options, int retryMs,
                  Listener listener)
        : m_path(std::move(path)), m_name(std::move(name)), m_busyTimeoutMs(busyTimeoutMs),
          m_options(std::move(options)), m_retryMs(retryMs), m_listener(std::move(listener))
    {}

    void add(Job job)
    {
        m_pending.push_back(std::move(job));
        drain();
    }

    void drain()
    {
        if (m_halted)
            return;
        // A connection that failed may hold a stale view of the file.
        if (m_failing)
            close();
        while (!m_pending.empty()) {
            QSqlError error;
            if (run(m_pending.front(), error)) {
                m_pending.pop_front();
                if (m_failing) {
                    m_failing = false;
                    m_listener.working();
                }
                continue;
            }
            const int code = error.nativeErrorCode().toInt();
            const int primary = code & 0xff;
            if (primary == 11 || primary == 26) { // SQLITE_CORRUPT, SQLITE_NOTADB
                m_halted = true;
                close();
                m_listener.damaged();
                return;
            }
            if (!m_failing)
                m_listener.failed(code);
            m_failing = true;
            // A failed commit comes without a code: the disk, never the write.
            if (passes(primary) || error.nativeErrorCode().isEmpty()) {
                retryLater();
                return;
            }
            m_pending.pop_front();
        }
    }

    // While a damaged file is replaced.
    void halt()
    {
        m_halted = true;
        close();
    }

    // After the damaged file was replaced.
    void resume()
    {
        m_halted = false;
        drain();
    }

    void setRetryInterval(int ms) { m_retryMs = ms; }

    QSqlDatabase &connection() { return m_database; }

    bool ensureOpen(QSqlError &error)
    {
        if (!m_database.isValid()) {
            m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            m_database.setDatabaseName(m_path);
            m_database.setConnectOptions(m_options);
        }
        if (m_database.isOpen())
            return true;
        if (!m_database.open()) {
            error = m_database.lastError();
            return false;
        }
        // The layout too: the file may have been made while writes failed.
        const LearnerSchema::Result layout = LearnerSchema::migrate(m_database);
        if (!prepare(m_database, m_busyTimeoutMs, error)
            || layout.outcome != LearnerSchema::Outcome::Ready) {
            if (!error.isValid())
                error = QSqlError(layout.detail, {}, QSqlError::StatementError,
                                  QString::number(layout.nativeCode));
            m_database.close();
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
    // False with the error when the write could not be made; nothing of it stays.
    bool run(const Job &job, QSqlError &error)
    {
        if (!ensureOpen(error))
            return false;
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

    // Reasons that go away: the write waits for them to.
    static bool passes(int primary)
    {
        switch (primary) {
        case 5:  // SQLITE_BUSY
        case 6:  // SQLITE_LOCKED
        case 8:  // SQLITE_READONLY
        case 10: // SQLITE_IOERR
        case 13: // SQLITE_FULL
        case 14: // SQLITE_CANTOPEN
        case 15: // SQLITE_PROTOCOL
            return true;
        default:
            return false;
        }
    }

    void retryLater()
    {
        if (!m_retry) {
            m_retry = new QTimer(this);
            m_retry->setSingleShot(true);
            connect(m_retry, &QTimer::timeout, this, [this] { drain(); });
        }
        m_retry->start(m_retryMs);
    }

    QString m_path;
    QString m_name;
    int m_busyTimeoutMs;
    QString m_options;
    int m_retryMs;
    Listener m_listener;
    QSqlDatabase m_database;
    std::deque<Job> m_pending;
    QTimer *m_retry = nullptr;
    bool m_failing = false;
    bool m_halted = false;
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
    m_open = openFile({});
    if (!m_open)
        return false;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("LearnerWriter"));
    // The writer tells the window's thread; the database outlives its writer.
    const auto toUs = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    LearnerWriter::Listener listener;
    listener.failed = [this, toUs](int code) { toUs([this, code] { writeFailed(code); }); };
    listener.damaged = [this, toUs] { toUs([this] { replaceDamaged(); }); };
    listener.working = [this, toUs] { toUs([this] { writesWorkAgain(); }); };
    m_writer = new LearnerWriter(m_path, connectionName(this, "writer"), m_busyTimeoutMs,
                                 m_connectOptions, m_retryMs, std::move(listener));
    m_writer->moveToThread(m_thread);
    m_thread->start();
    return true;
}

bool LearnerDatabase::openFile(const QString &carryFrom)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_readerName);
    database.setDatabaseName(m_path);
    database.setConnectOptions(m_connectOptions);
    QSqlError error;
    LearnerSchema::Result result;
    const auto take = [&result](const QSqlError &e) {
        result.nativeCode = e.nativeErrorCode().toInt();
        result.detail = e.text();
        const int primary = result.nativeCode & 0xff;
        result.outcome = primary == 11 || primary == 26 ? LearnerSchema::Outcome::Damaged
                                                        : LearnerSchema::Outcome::Failed;
    };
    if (!database.open()) {
        take(database.lastError());
    } else if (!prepare(database, 200, error)) {
        take(error);
    } else {
        result = LearnerSchema::migrate(database);
    }
    bool readable = false;
    if (result.outcome == LearnerSchema::Outcome::Ready) {
        // Damage inside the file, where opening it does not look.
        QSqlQuery check(database);
        if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()
            || check.value(0).toString() != QLatin1String("ok")) {
            if (check.lastError().isValid()
                && (check.lastError().nativeErrorCode().toInt() & 0xff) != 11)
                take(check.lastError());
            else
                result.outcome = LearnerSchema::Outcome::Damaged;
        }
    }
    if (result.outcome == LearnerSchema::Outcome::Ready) {
        if (!carryFrom.isEmpty())
            DamagedFile::carryOver(database, carryFrom, connectionName(this, "carry"));
        // A write now tells a read-only or full disk from the start, not at
        // the learner's first line.
        QSqlQuery probe(database);
        probe.prepare(QStringLiteral("INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)"));
        probe.addBindValue(QStringLiteral("last_opened"));
        probe.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        if (probe.exec())
            return true;
        take(probe.lastError());
        // What is stored is still shown.
        readable = result.outcome != LearnerSchema::Outcome::Damaged;
    } else if (result.outcome == LearnerSchema::Outcome::Failed && database.isOpen()) {
        // Kept from changing its layout (locked, read-only): readable as it is?
        readable = QSqlQuery(database).exec(QStringLiteral("SELECT count(*) FROM sentences"));
    }
    if (!readable) {
        database = QSqlDatabase();
        closeReader();
    }

    switch (result.outcome) {
    case LearnerSchema::Outcome::Ready:
        break;
    case LearnerSchema::Outcome::Newer:
        report(tr("学习进度没有保存：学习记录来自较新版本的 Quillmar"));
        return false;
    case LearnerSchema::Outcome::Damaged: {
        if (!carryFrom.isEmpty())
            break;
        const QString aside = moveAside();
        if (aside.isEmpty()) {
            report(tr("学习进度没有保存：学习记录已损坏，且无法移开"));
            return false;
        }
        // Progress is kept in the new file, so this is no reason to stay silent later.
        Q_EMIT problemOccurred(tr("学习记录已损坏，已移到“%1”，能读出的进度已转入新的学习记录")
                                   .arg(QDir::toNativeSeparators(aside)));
        return openFile(aside);
    }
    case LearnerSchema::Outcome::Failed:
        break;
    }
    reportError(result.nativeCode, result.detail);
    // The file is there: writes wait for it to take them.
    return true;
}

QString LearnerDatabase::moveAside()
{
    const QString aside =
        m_path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QFile::rename(m_path, aside))
        return {};
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString companion = m_path + QLatin1String(suffix);
        if (QFile::exists(companion))
            QFile::rename(companion, aside + QLatin1String(suffix));
    }
    return aside;
}

void LearnerDatabase::replaceDamaged()
{
    if (m_replacing || !m_thread)
        return;
    m_replacing = true;
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer] { writer->halt(); }, Qt::BlockingQueuedConnection);
    closeReader();
    const QString aside = moveAside();
    if (aside.isEmpty()) {
        report(tr("学习进度没有保存：学习记录已损坏，且无法移开"));
    } else {
        Q_EMIT problemOccurred(tr("学习记录已损坏，已移到“%1”，能读出的进度已转入新的学习记录")
                                   .arg(QDir::toNativeSeparators(aside)));
        openFile(aside);
        m_failed = false;
        Q_EMIT keepingAgain();
    }
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer] { writer->resume(); }, Qt::QueuedConnection);
    m_replacing = false;
}

void LearnerDatabase::writeFailed(int nativeCode)
{
    reportError(nativeCode, {});
}

void LearnerDatabase::writesWorkAgain()
{
    if (!m_failed)
        return;
    m_failed = false;
    Q_EMIT keepingAgain();
}

void LearnerDatabase::retryNow()
{
    if (m_writer)
        QMetaObject::invokeMethod(
            m_writer, [writer = m_writer] { writer->drain(); }, Qt::QueuedConnection);
}

void LearnerDatabase::onWriterConnection(const std::function<void(QSqlDatabase &)> &work)
{
    if (!open())
        return;
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, &work] {
            QSqlError error;
            if (writer->ensureOpen(error))
                work(writer->connection());
        },
        Qt::BlockingQueuedConnection);
}

void LearnerDatabase::report(const QString &text)
{
    if (m_failed)
        return;
    m_failed = true;
    Q_EMIT problemOccurred(text);
}

void LearnerDatabase::reportError(int nativeCode, const QString &)
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
        // The learner is told what it means for them, never the library's words.
        reason = tr("学习记录无法写入");
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
        " WHERE r.size = ? AND (r.digest = ? OR (r.digest = ? AND NOT EXISTS"
        " (SELECT 1 FROM recordings n WHERE n.digest = ? AND n.size = r.size)))"
        " ORDER BY s.start_ms"));
    // Under the former key while the first write has not taken it over.
    query.addBindValue(key.size);
    query.addBindValue(key.digest);
    query.addBindValue(key.formerDigest.isEmpty() ? key.digest : key.formerDigest);
    query.addBindValue(key.digest);
    const auto failed = [this](const QSqlError &error) {
        if ((error.nativeErrorCode().toInt() & 0xff) == 11)
            QMetaObject::invokeMethod(
                this, [this] { replaceDamaged(); }, Qt::QueuedConnection);
        else
            reportError(error.nativeErrorCode().toInt(), error.text());
    };
    if (!query.exec()) {
        failed(query.lastError());
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
    if (query.lastError().isValid())
        failed(query.lastError());
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
        [writer = m_writer, job = std::move(job)]() mutable { writer->add(std::move(job)); },
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

void LearnerDatabase::setDivision(const RecordingKey &key, const QString &path,
                                  const QList<SentenceMatch::Span> &division, bool settled)
{
    if (!key.isValid())
        return;
    m_divisions.insert(key.digest, division);
    if (!settled || division.isEmpty())
        return;
    queue([key, path, division](QSqlDatabase &database, QSqlError &error) {
        const std::optional<qint64> recording = recordingId(database, key, path, error);
        if (!recording || !SentenceRows::settleAll(database, *recording, division, error))
            return false;
        QSqlQuery query(database);
        query.prepare(QStringLiteral("UPDATE recordings SET sentence_count = ? WHERE id = ?"));
        query.addBindValue(division.size());
        query.addBindValue(*recording);
        return exec(query, error);
    });
}

void LearnerDatabase::shiftSentences(const RecordingKey &key, const QString &path, double seconds)
{
    const qint64 ms = milliseconds(seconds);
    if (!key.isValid() || ms == 0)
        return;
    for (SentenceMatch::Span &span : m_divisions[key.digest]) {
        span.start += seconds;
        span.end += seconds;
    }
    queue([key, path, ms](QSqlDatabase &database, QSqlError &error) {
        const std::optional<qint64> recording = recordingId(database, key, path, error);
        return recording && SentenceRows::shiftAll(database, *recording, ms, error);
    });
}

void LearnerDatabase::saveSentence(const RecordingKey &key, const QString &path,
                                   const SentenceProgress &progress,
                                   const std::optional<AttemptRecord> &attempt)
{
    if (!key.isValid())
        return;
    // The sentence among those the recording is divided into now; alone when
    // the division is not known.
    QList<SentenceMatch::Span> division = m_divisions.value(key.digest);
    int index = -1;
    for (qsizetype i = 0; i < division.size(); ++i) {
        if (milliseconds(division.at(i).start) == milliseconds(progress.start)
            && milliseconds(division.at(i).end) == milliseconds(progress.end)) {
            index = int(i);
            break;
        }
    }
    if (index < 0) {
        division = {{progress.start, progress.end, progress.expected}};
        index = 0;
    }
    queue([key, path, progress, attempt, division, index,
           hook = m_attemptHook](QSqlDatabase &database, QSqlError &error) {
        const std::optional<qint64> recording = recordingId(database, key, path, error);
        if (!recording)
            return false;
        qint64 sentence = 0;
        if (!SentenceRows::settleSentence(database, *recording, division, index, progress.expected,
                                          sentence, error))
            return false;
        QSqlQuery query(database);
        if (sentence == 0) {
            query.prepare(QStringLiteral(
                "INSERT INTO sentences (recording_id, start_ms, end_ms, expected, state, tries,"
                " best_score, best_line) VALUES (?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"));
            query.addBindValue(*recording);
            query.addBindValue(milliseconds(progress.start));
            query.addBindValue(milliseconds(progress.end));
            query.addBindValue(progress.expected.isEmpty() ? QVariant()
                                                           : QVariant(progress.expected));
            query.addBindValue(int(progress.state));
            query.addBindValue(progress.tries);
            query.addBindValue(progress.bestScore < 0 ? QVariant() : QVariant(progress.bestScore));
            query.addBindValue(progress.bestLine);
            if (!exec(query, error) || !query.next())
                return false;
            sentence = query.value(0).toLongLong();
            query.finish();
        } else {
            // Only forward, whatever another copy wrote since this one read:
            // an attempt adds a try to the stored ones (the window's count
            // wins when it knows more), the better state and score stay.
            query.prepare(QStringLiteral(
                "UPDATE sentences SET tries = max(tries + ?, ?),"
                " state = CASE WHEN (CASE ? WHEN 2 THEN 3 WHEN 3 THEN 2 ELSE ? END)"
                "  > (CASE state WHEN 2 THEN 3 WHEN 3 THEN 2 ELSE state END) THEN ? ELSE state END,"
                " best_line = CASE WHEN ? > coalesce(best_score, -1)"
                "  OR coalesce(best_line, '') = '' THEN ? ELSE best_line END,"
                " best_score = max(coalesce(best_score, -1), ?) WHERE id = ?"));
            query.addBindValue(attempt ? 1 : 0);
            query.addBindValue(progress.tries);
            query.addBindValue(int(progress.state));
            query.addBindValue(int(progress.state));
            query.addBindValue(int(progress.state));
            query.addBindValue(progress.bestScore);
            query.addBindValue(progress.bestLine);
            query.addBindValue(progress.bestScore);
            query.addBindValue(sentence);
            if (!exec(query, error))
                return false;
            // No score kept as none.
            query.prepare(QStringLiteral(
                "UPDATE sentences SET best_score = NULL WHERE id = ? AND best_score < 0"));
            query.addBindValue(sentence);
            if (!exec(query, error))
                return false;
        }
        if (!attempt)
            return true;
        query.prepare(QStringLiteral("INSERT INTO attempts (sentence_id, at, typed, score, hints,"
                                     " answer_shown, seconds, passed, utc_offset)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        query.addBindValue(sentence);
        query.addBindValue(attempt->at.toUTC().toString(Qt::ISODateWithMs));
        query.addBindValue(attempt->typed);
        query.addBindValue(attempt->score < 0 ? QVariant() : QVariant(attempt->score));
        query.addBindValue(attempt->hints);
        query.addBindValue(attempt->answerShown ? 1 : 0);
        query.addBindValue(attempt->seconds);
        query.addBindValue(attempt->passed ? 1 : 0);
        query.addBindValue(attempt->at.offsetFromUtc());
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
