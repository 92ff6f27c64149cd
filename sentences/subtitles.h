#pragma once

#include "sentences/envelope.h"

#include <QByteArray>
#include <QList>
#include <QString>

enum class SubtitleFormat { Srt, Vtt, Lrc, Ass };

struct SubtitleCues {
    QList<Sentence> cues; // sorted, not overlapping, inside the recording
    int malformed = 0;    // cues that could not be read and were skipped
};

// The text of a subtitle file: UTF-8 with or without BOM (UTF-16 with BOM too),
// otherwise GB18030.
QString decodeSubtitleText(const QByteArray &bytes);

// Cues from a subtitle file's bytes. Cues are sorted by start, each ends no
// later than the next one starts, cues that start past the recording's end
// are dropped and the last is cut at it. A duration of 0 or less means
// unknown: nothing is dropped or cut, and a last lyric line, whose end is
// unknown, is left out.
SubtitleCues parseSubtitles(const QByteArray &bytes, SubtitleFormat format, double duration);

// The subtitle file beside a recording with the same base name (.srt, then
// .vtt, .ass, .ssa, then .lrc; the suffix in any case), or an empty string.
QString subtitleFileFor(const QString &recordingPath);

// Sorts cues and cuts them to each other and to the recording, as
// parseSubtitles() does; for cues read from elsewhere (a track in the file).
void tidyCues(QList<Sentence> &cues, double duration);

// Reads and parses a subtitle file; its format comes from its suffix.
SubtitleCues readSubtitleFile(const QString &path, double duration);
