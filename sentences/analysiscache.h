#pragma once

#include "sentences/envelope.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What an analysis found in one version of a recording, kept so that opening
// it again shows its sentences at once.
struct CachedAnalysis {
    Envelope envelope;
    QList<Sentence> sentences; // found from the pauses
    QByteArray detectorKey;    // the identity of their source (SentenceSource)
};

// A folder of analyses, one file per recording, named after the recording's
// identity, size and time of last change (a changed or replaced file is
// another entry; a renamed one is the same). Bounded: storing drops the
// entries used longest ago once the folder holds more than the limit. A
// damaged entry is removed and reads as none; a folder that cannot be written
// only means nothing is kept. Safe to use from several threads at once, each
// with its own object.
class AnalysisCache
{
public:
    static constexpr qint64 DefaultLimitBytes = 200LL * 1024 * 1024;

    // An empty folder keeps nothing.
    explicit AnalysisCache(const QString &folder, qint64 limitBytes = DefaultLimitBytes);

    // The per-user cache folder of the program.
    static QString defaultFolder();

    std::optional<CachedAnalysis> load(const QString &recording) const;
    // False when nothing could be kept (no folder, a full or read-only disk).
    bool store(const QString &recording, const Envelope &envelope, const QList<Sentence> &sentences,
               const QByteArray &detectorKey = {}) const;

    // Further results about the recording as it is now (an alignment to a
    // text), each under a key of its own, bounded and checked as the
    // analyses are; a changed recording has none.
    std::optional<QByteArray> loadExtra(const QString &recording, const QByteArray &key) const;
    bool storeExtra(const QString &recording, const QByteArray &key, const QByteArray &data) const;

    // The file an entry for the recording as it is now would have; empty
    // when the recording does not exist.
    QString entryFor(const QString &recording) const;

private:
    void trim() const;
    QString extraEntryFor(const QString &recording, const QByteArray &key) const;

    QString m_folder;
    qint64 m_limit;
};
