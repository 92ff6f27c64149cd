#pragma once

#include "recovery/recoverystore.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

// Keeps the recovery copy of the open document up to date while it has
// unsaved changes. A change only restarts a timer; the snapshot is taken when
// the timer fires and written on a worker thread, one write at a time, so
// typing never waits for the disk.
class RecoveryWriter : public QObject
{
    Q_OBJECT

public:
    struct Timing {
        int quietMs = 2000;     // write this long after the last change
        int minGapMs = 1000;    // never start writes closer together
        int maxDelayMs = 10000; // nor let steady typing hold a write back longer
    };

    explicit RecoveryWriter(std::shared_ptr<RecoveryStore> store, QObject *parent = nullptr);
    // Waits for a write in progress; the copy itself stays (that is its point).
    ~RecoveryWriter() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    // Called on the GUI thread when a write is due; returns the document as
    // it stands. The text is implicitly shared, so this is cheap.
    void setSnapshotSource(std::function<RecoveryEntry()> source);

    // The document changed and is not saved.
    void documentChanged();
    // A finished piece of work (an applied line) came in: the copy is written
    // at once, without the quiet time, as soon as a write in progress ends.
    void writeSoon();
    // The document was saved, not kept, or closed unchanged: deletes the copy
    // and cancels anything pending. A write already running cannot bring the
    // copy back.
    void discard();
    // Writes the current snapshot now, on the calling thread, after a write in
    // progress has ended (termination). True when the copy is up to date.
    bool flushNow();
    // Takes over a restored copy: the document (now showing `restored`) gets
    // its own copy at once, and the old file is deleted only once that is on
    // disk. True when the old file is gone.
    bool adopt(const RecoveryEntry &restored);

    bool isPending() const { return m_dirty || m_inFlight; }
    RecoveryStore &store() const { return *m_store; }

signals:
    // The copy could not be written; emitted when copies stop working, not
    // again for each further failure until one has worked.
    void writeFailed(const QString &reason);
    // A write ended with the copy on disk (after a worker write or flushNow()).
    void copyWritten();

private:
    struct Outcome {
        bool ok = false;
        bool current = true; // false when discard() came in meanwhile
        QString error;
    };

    void schedule();
    void startWrite();
    void writeFinished();
    void reportFailure(const QString &reason);
    void reportSuccess();

    std::shared_ptr<RecoveryStore> m_store;
    std::function<RecoveryEntry()> m_source;
    Timing m_timing;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastChange = 0;
    qint64 m_firstUnwritten = 0;
    qint64 m_lastWriteStart = -1;
    bool m_dirty = false;
    bool m_inFlight = false;
    bool m_urgent = false;
    bool m_failing = false;
    // Raised by discard(); a worker that finds it changed deletes its write.
    std::shared_ptr<std::atomic<quint64>> m_generation;
    QFutureWatcher<Outcome> m_watcher;
};
