#pragma once

#include <QString>

// The text of an answer file as CR LF text. A plain text file is taken as it
// is; a subtitle file (.srt, .vtt or .lrc, by its suffix in any case) gives
// its cue texts in time order, one per line, without numbers, times or
// markup, so a learner can check dictation against subtitles found
// elsewhere. Throws AppError naming the file when it cannot be read, or
// when a subtitle file holds no cue at all.
QString readAnswerText(const QString &path);

// Whether the file is taken as subtitles.
bool isSubtitleAnswer(const QString &path);
