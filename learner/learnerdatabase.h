#pragma once

#include "learner/recordingkey.h"
#include "learner/sentencematch.h"
#include "learner/sentenceprogress.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QSqlDatabase;
class QSqlError;
class QThread;
class LearnerWriter;

// The learner's progress, kept in an SQLite file in the per-user data folder.
// Reads are small queries on the calling thread; every write is queued to a
// thread of its own and runs there in one transaction, so the window never
// waits on the disk. A file that cannot be used never stops the learner:
// problemOccurred says once why progress is not being kept; writes that fail
// (a full disk, another program holding the file, a read-only disk) are kept
// in order and tried again until they are made, and keepingAgain says when.
// A damaged file, found at the start or by any later read or write, is moved
// aside (never deleted) and a new one started with what could still be read.
// Writes to a sentence only move forward, so two copies of the program on one
// recording add up rather than undo each other.
class LearnerDatabase : public QObject
{
    Q_OBJECT
public:
    explicit LearnerDatabase(QString path, QObject *parent = nullptr);
    ~LearnerDatabase() override;

    // Opens the file on first use; false when progress cannot be kept.
    bool open();
    bool isOpen() const { return m_open; }
    const QString &path() const { return m_path; }
    // How long a write waits for another program holding the file.
    void setBusyTimeout(int ms) { m_busyTimeoutMs = ms; }
    // Connection options of the QSQLITE driver, set before the first use
    // ("QSQLITE_OPEN_READONLY" opens the file as a read-only disk leaves it).
    void setConnectOptions(const QString &options) { m_connectOptions = options; }
    // False while progress is not being kept (the reason went out by
    // problemOccurred); a damaged file moved aside and started anew keeps it.
    bool keepsProgress() const { return !m_failed; }
    // How long a failed write waits before it is tried again.
    void setRetryInterval(int ms) { m_retryMs = ms; }
    // Tries the writes kept after a failure now.
    void retryNow();
    // Runs `work` on the writer's connection at once, ahead of the queued
    // writes (tests limit the file's size with it); waits for it.
    void onWriterConnection(const std::function<void(QSqlDatabase &)> &work);

    // The stored sentences of a recording, in time order.
    QList<SentenceProgress> sentences(const RecordingKey &key);
    // Where a recording was left, as the text the resume places store.
    std::optional<QString> resumePlace(const QString &recordingPath);
    // Places kept elsewhere before, taken over once: newest first.
    void importResumePlacesOnce(const QList<std::pair<QString, QString>> &places);

    // Writes.
    void noteRecording(const RecordingKey &key, const QString &path, double length);
    // How the recording is divided into sentences now (in the order of their
    // starts): a sentence's write goes to the rows matching it by the rule of
    // sentencematch.h. Once `settled`, every row of the recording is laid over
    // the division and the recording's sentence count kept.
    void setDivision(const RecordingKey &key, const QString &path,
                     const QList<SentenceMatch::Span> &division, bool settled);
    // Every record of the recording moved by seconds, with its subtitles.
    void shiftSentences(const RecordingKey &key, const QString &path, double seconds);
    // The sentence's record: the tries add up, the better state and score
    // win over what another copy of the program wrote meanwhile. A record with
    // no attempt carries what the window holds (written back after a failure).
    void saveSentence(const RecordingKey &key, const QString &path,
                      const SentenceProgress &progress,
                      const std::optional<AttemptRecord> &attempt);
    void saveResumePlace(const QString &recordingPath, const QString &place);
    // Further work in the transaction of every stored attempt (the review
    // schedule): given the sentence's row id; false undoes the attempt too.
    using AttemptHook =
        std::function<bool(QSqlDatabase &, qint64 sentenceId, const AttemptRecord &, QSqlError &)>;
    void setAttemptHook(AttemptHook hook) { m_attemptHook = std::move(hook); }
    // Any other write, queued behind the others, in a transaction of its own.
    void write(std::function<bool(QSqlDatabase &, QSqlError &)> job) { queue(std::move(job)); }
    // Waits until every write queued so far has been made.
    void flush();

    static constexpr int MaxResumePlaces = 500;

Q_SIGNALS:
    // The first problem only, "学习进度没有保存：…"; and the notice that a
    // damaged file was moved aside.
    void problemOccurred(const QString &text);
    // Writes are made again after failing, or a damaged file was started
    // anew: what the window holds should be written once more.
    void keepingAgain();

private:
    using Job = std::function<bool(QSqlDatabase &, QSqlError &)>;
    void queue(Job job);
    bool openFile(const QString &carryFrom);
    void closeReader();
    // A damaged file found after the start: aside with it, and on anew.
    void replaceDamaged();
    QString moveAside();
    // Called on the window's thread by the writer.
    void writeFailed(int nativeCode);
    void writesWorkAgain();
    // Progress is not kept from now on, and this says why.
    void report(const QString &text);
    void reportError(int nativeCode, const QString &detail);

    QString m_path;
    QString m_readerName;
    bool m_triedOpen = false;
    bool m_open = false;
    bool m_failed = false;
    bool m_replacing = false;
    int m_busyTimeoutMs = 3000;
    int m_retryMs = 2000;
    QHash<QString, QList<SentenceMatch::Span>> m_divisions; // by digest
    QString m_connectOptions;
    QThread *m_thread = nullptr;
    LearnerWriter *m_writer = nullptr;
    AttemptHook m_attemptHook;
};
