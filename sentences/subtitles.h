#pragma once

#include "sentences/envelope.h"
#include "sentences/subtitleencoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

enum class SubtitleFormat { Srt, Vtt, Lrc, Ass };

struct SubtitleCues {
    QList<Sentence> cues; // sorted, not overlapping, inside the recording
    int malformed = 0;    // cues that could not be read and were skipped
    int merged = 0;       // cues that started with another one, their texts joined to it
    int dropped = 0;      // cues past the recording's end, or left with no time of their own
    bool cancelled = false;
    QString encoding;         // what the text was read as: "UTF-8", "windows-1252"...
    bool wrongFormat = false; // not a file of its kind (a WebVTT file without its "WEBVTT")
    bool unreadable = false;  // could not be opened, or too large for a subtitle file
};

// Polled while a file is parsed; true stops it.
using SubtitleCancel = std::function<bool()>;

// The text of a subtitle file, read as decodeSubtitleBytes() reads it with no hints.
QString decodeSubtitleText(const QByteArray &bytes);

// Cues from a subtitle file's bytes, in one pass over the text. Cues are
// sorted by start; cues with the same start become one, their texts joined;
// each ends no later than the next one starts, cues that start past the
// recording's end are dropped and the last is cut at it. A duration of 0 or
// less means unknown: nothing is dropped or cut, and a last lyric line, whose
// end is unknown, is left out.
// The text is read as decodeSubtitleBytes() reads it with the hints.
SubtitleCues parseSubtitles(const QByteArray &bytes, SubtitleFormat format, double duration,
                            const SubtitleCancel &cancelled = {},
                            const SubtitleEncodingHints &hints = {});

// The subtitle file beside a recording with the same base name (.srt, then
// .vtt, .ass, .ssa, then .lrc; the suffix in any case), or an empty string.
QString subtitleFileFor(const QString &recordingPath);

// Sorts cues and joins and cuts them as parseSubtitles() does; for cues read
// from elsewhere (a track inside the recording).
void tidyCues(QList<Sentence> &cues, double duration);

// Reads and parses a subtitle file; its format comes from its suffix.
SubtitleCues readSubtitleFile(const QString &path, double duration,
                              const SubtitleCancel &cancelled = {},
                              const SubtitleEncodingHints &hints = {});
