#pragma once

#include "sentences/audiodecoder.h"
#include "sentences/envelope.h"

#include <QList>
#include <QString>

#include <functional>

// A subtitle track inside a recording (mkv, mp4, webm).
struct SubtitleTrack {
    int stream = -1;  // the container's stream number
    QString language; // as tagged ("eng", "chi", "en-US"); empty when untagged
    QString title;
    QString codec;      // FFmpeg's name: "subrip", "ass", "mov_text", "hdmv_pgs_subtitle"
    bool isText = true; // false: pictures of text (PGS, DVD), which cannot be read

    bool operator==(const SubtitleTrack &) const = default;
};

// What the decoder module hands back after reading a recording's subtitle tracks.
struct TrackReading {
    QList<SubtitleTrack> tracks;
    int stream = -1;      // the track read; -1 when none was
    QList<Sentence> cues; // in the order read, texts as the track has them
    bool cancelled = false;
    QString error; // the file could not be opened
    // Where the file could not be read and was read past: from the last cue
    // read before the damage to the first after (texts empty).
    QList<Sentence> damaged;
};

// Picks the stream to read from the tracks found: a text track's stream, or -1.
using TrackChooser = std::function<int(const QList<SubtitleTrack> &tracks)>;

// Which cues the learner wants: the language dictated ("en", ISO 639-1), and
// a track chosen by hand (its stream; -1 to choose by language).
struct CueWish {
    QString language = QStringLiteral("en");
    int stream = -1;
    // The interface's language, the second hint to a subtitle file's encoding.
    QString interfaceLanguage = QStringLiteral("zh");
    // The encoding the learner chose for the subtitle file beside the
    // recording (empty: as chosen before, else detected), and where such
    // choices are kept (see SubtitleEncodingChoices; empty keeps none).
    QString encoding;
    QString encodingChoices;
};

// True when a track's language tag names the language ("eng", "en", "en-GB"
// all name English; "chi" and "zho" Chinese).
bool languageMatches(const QString &tag, const QString &language);

// The name of a track's language in the interface's language ("zh" or "en"):
// "英语" and "中文", or "English" and "Chinese", for "eng" and "chi"; the tag
// itself when it names no language known; empty for an empty tag.
QString languageName(const QString &tag, const QString &interfaceLanguage);

// The text track to read: the wished-for stream when it is a text track,
// else the first text track in the wished-for language, else the first text
// track; -1 when there is no text track.
int chooseSubtitleTrack(const QList<SubtitleTrack> &tracks, const CueWish &wish);

// Reads the tracks of a recording and the cues of the one the chooser picks,
// with FFmpeg in the decoder module. For a worker thread; the control is
// polled once per packet.
TrackReading readSubtitleTrack(const QString &path, const TrackChooser &choose,
                               const DecodeControl &control = {});

// The subtitle tracks inside a recording and, when readCues is set, the
// cues of the one chooseSubtitleTrack() picks, cleaned and tidied. stream is
// -1 when no track gave a cue; note then says why, when there were tracks.
struct TrackCues {
    QList<SubtitleTrack> tracks;
    int stream = -1;
    QList<Sentence> cues;
    QString note;
    bool cancelled = false;
    QList<Sentence> damaged; // see TrackReading
};
TrackCues findTrackCues(const QString &path, double duration, const CueWish &wish, bool readCues,
                        const DecodeControl &control = {});

// The decoder module's entry point for reading subtitle tracks (see
// decodermodule.h for the numbering).
using ReadSubtitleTrackEntry = void (*)(const QString &path, const TrackChooser &choose,
                                        const DecodeControl &control, TrackReading &result);
inline constexpr char ReadSubtitleTrackEntryName[] = "quillmar_read_subtitle_track_2";
