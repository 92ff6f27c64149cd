#pragma once

#include <QString>

#include <atomic>
#include <utility>

// A recording as the learner database knows it: by a digest of its whole
// content and its size, so a renamed or moved file keeps its progress, a
// changed one starts afresh, and two recordings never share a record (two
// lessons of one length with the same silence at both ends differ inside).
struct RecordingKey {
    RecordingKey() = default;
    RecordingKey(QString digest, qint64 size, QString formerDigest = {})
        : digest(std::move(digest)), size(size), formerDigest(std::move(formerDigest))
    {}

    QString digest;
    qint64 size = 0;
    // The key earlier versions knew it by (a digest of its first and last
    // 64 KB): records stored under it are taken over.
    QString formerDigest;

    bool isValid() const { return !digest.isEmpty(); }
    // Digest and size: the former digest only finds old records.
    bool operator==(const RecordingKey &other) const
    {
        return digest == other.digest && size == other.size;
    }
    // Whether a stored key (possibly a former one) is this recording's.
    bool knows(const RecordingKey &stored) const
    {
        return size == stored.size
               && (digest == stored.digest
                   || (!formerDigest.isEmpty() && formerDigest == stored.digest));
    }
};

// The key of a file: it reads the whole file, so it belongs off the window's
// thread. Invalid when the file cannot be read, or when `cancel` was set.
RecordingKey recordingKeyOf(const QString &path, const std::atomic_bool *cancel = nullptr);
