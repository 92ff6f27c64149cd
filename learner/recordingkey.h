#pragma once

#include <QString>

// A recording as the learner database knows it: by its content (a digest of
// its first and last 64 KB) and its size, so a renamed or moved file keeps its
// progress and a changed one starts afresh.
struct RecordingKey {
    QString digest;
    qint64 size = 0;

    bool isValid() const { return !digest.isEmpty(); }
    bool operator==(const RecordingKey &) const = default;
};

// The key of a file; invalid when it cannot be read.
RecordingKey recordingKeyOf(const QString &path);
