#pragma once

#include <QString>

// The dictation document that belongs to a recording: same folder, same name
// with the extension (from the last "." of the file name on) replaced by
// ".txt"; a name without "." gets ".txt" appended.
QString CompanionDictationPath(const QString &recordingPath);
