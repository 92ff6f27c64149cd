#pragma once

#include <QByteArray>
#include <QString>

// Replaces the whole file with the bytes, or leaves the old file as it was:
// the new content goes to a temporary file in the same folder, which takes the
// file's place only once every byte is on disk. Returns false on any failure,
// with the reason in the learner's words (fileErrorReason) in *error when given.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
