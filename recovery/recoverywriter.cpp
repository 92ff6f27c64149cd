#include "recovery/recoverywriter.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

RecoveryWriter::RecoveryWriter(std::shared_ptr<RecoveryStore> store, QObject *parent)
    : QObject(parent), m_store(std::move(store)),
      m_generation(std::make_shared<std::atomic<quint64>>(0))
{
    m_timer.setSingleShot(true);
    m_clock.start();
    connect(&m_timer, &QTimer::timeout, this, &RecoveryWriter::startWrite);
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, &RecoveryWriter::writeFinished);
}

RecoveryWriter::~RecoveryWriter()
{
    m_watcher.waitForFinished();
}

void RecoveryWriter::setSnapshotSource(std::function<RecoveryEntry()> source)
{
    m_source = std::move(source);
}

void RecoveryWriter::documentChanged()
{
    const qint64 now = m_clock.elapsed();
    if (!m_dirty)
        m_firstUnwritten = now;
    m_dirty = true;
    m_lastChange = now;
    schedule();
}

void RecoveryWriter::writeSoon()
{
    documentChanged();
    m_urgent = true;
    schedule();
}

void RecoveryWriter::schedule()
{
    if (!m_dirty || m_inFlight)
        return; // writeFinished() schedules again
    if (m_urgent) {
        m_timer.start(0);
        return;
    }
    qint64 due = std::min(m_lastChange + m_timing.quietMs, m_firstUnwritten + m_timing.maxDelayMs);
    if (m_lastWriteStart >= 0)
        due = std::max(due, m_lastWriteStart + m_timing.minGapMs);
    m_timer.start(int(std::max<qint64>(0, due - m_clock.elapsed())));
}

void RecoveryWriter::startWrite()
{
    if (!m_dirty || m_inFlight || !m_source)
        return;
    RecoveryEntry entry = m_source();
    m_dirty = false;
    m_urgent = false;
    m_inFlight = true;
    m_lastWriteStart = m_clock.elapsed();
    const quint64 generation = m_generation->load();
    m_watcher.setFuture(QtConcurrent::run(
        [store = m_store, counter = m_generation, generation, entry = std::move(entry)] {
            Outcome outcome;
            outcome.ok = store->write(entry, &outcome.error);
            // Checked after the write, so that a discard() at any moment
            // during it still ends with no copy.
            if (counter->load() != generation) {
                outcome.current = false;
                store->removeOwn();
            }
            return outcome;
        }));
}

void RecoveryWriter::writeFinished()
{
    if (!m_inFlight)
        return; // already handled by flushNow()
    m_inFlight = false;
    const Outcome outcome = m_watcher.result();
    if (outcome.current) {
        if (outcome.ok)
            reportSuccess();
        else
            reportFailure(outcome.error);
    }
    schedule();
}

void RecoveryWriter::discard()
{
    ++*m_generation;
    m_timer.stop();
    m_dirty = false;
    m_urgent = false;
    m_store->removeOwn();
}

bool RecoveryWriter::flushNow()
{
    m_timer.stop();
    m_watcher.waitForFinished();
    if (m_inFlight) // its result is not handled yet
        writeFinished();
    m_timer.stop();
    if (!m_dirty)
        return true;
    if (!m_source)
        return false;
    const RecoveryEntry entry = m_source();
    m_dirty = false;
    m_urgent = false;
    m_lastWriteStart = m_clock.elapsed();
    QString error;
    if (m_store->write(entry, &error)) {
        reportSuccess();
        return true;
    }
    reportFailure(error);
    return false;
}

bool RecoveryWriter::adopt(const RecoveryEntry &restored)
{
    documentChanged();
    if (!flushNow())
        return false; // the old copy stays: it is the only one
    return restored.path == m_store->ownFilePath() || m_store->remove(restored);
}

void RecoveryWriter::reportFailure(const QString &reason)
{
    if (m_failing)
        return;
    m_failing = true;
    emit writeFailed(reason);
}

void RecoveryWriter::reportSuccess()
{
    m_failing = false;
    emit copyWritten();
}
