#pragma once

#include "sentences/sentencedetector.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Where a recording's division into sentences came from. Its identity is a
// short text that stays the same from run to run for the same source, so the
// analysis cache and the learner database can keep it beside what they store
// and tell later whether the sentences they hold are still those shown.
class SentenceSource
{
public:
    enum class Kind {
        None,          // nothing analysed yet
        Pauses,        // found in the sound by the pause detector
        SubtitleFile,  // the cues of a subtitle file beside the recording
        SubtitleTrack, // the cues of a text track inside the recording
        Transcript,    // a transcript aligned to the speech
    };

    SentenceSource() = default;

    // The pause detector with these settings; a new detector version gives
    // another identity, as its sentences may fall elsewhere.
    static SentenceSource pauses(const DetectorParams &params = {});
    // A subtitle file, known by what it holds (a renamed copy is the same source).
    static SentenceSource subtitleFile(const QByteArray &content);
    // Reads the file; a file that cannot be read gives a source of no content.
    static SentenceSource subtitleFileAt(const QString &path);
    // A track inside the recording: its stream number and language tag.
    static SentenceSource subtitleTrack(int stream, const QString &language);
    // A transcript, known by what it holds.
    static SentenceSource transcript(const QByteArray &content);

    // The cues of this source moved by seconds (to the millisecond) to where
    // their speech is: a division of its own, as its times differ, though its
    // texts are the source's. Only subtitle sources are moved; 0 gives the
    // source unmoved.
    SentenceSource shiftedBy(double seconds) const;
    double shift() const { return m_shiftMs / 1000.0; }
    SentenceSource unshifted() const { return shiftedBy(0.0); }
    // The cues of this source, not moved, with the boundaries that cut a
    // word moved into a pause: their times differ from the source's too.
    // Moved cues have theirs in pauses already.
    SentenceSource inPauses() const;
    // Cues fitted to the speech: moved, or their boundaries put into pauses.
    bool isFitted() const { return m_shiftMs != 0 || m_inPauses; }

    // Reads back a kept identity; nullopt for text no source wrote.
    static std::optional<SentenceSource> fromIdentity(const QString &identity);

    Kind kind() const { return m_kind; }
    // "pauses:1:…", "subtitle-file:<sha256>", "subtitle-track:2:eng",
    // "transcript:<sha256>"; empty for None. Moved cues add "@+2400" (the
    // milliseconds moved by): "subtitle-file:<sha256>@-1500"; cues only put
    // into pauses add "@0".
    QString identity() const;
    bool isSubtitles() const
    {
        return m_kind == Kind::SubtitleFile || m_kind == Kind::SubtitleTrack;
    }
    bool isNone() const { return m_kind == Kind::None; }

    bool operator==(const SentenceSource &) const = default;

private:
    SentenceSource(Kind kind, QString detail) : m_kind(kind), m_detail(std::move(detail)) {}
    QString plainIdentity() const;

    Kind m_kind = Kind::None;
    // What tells sources of one kind apart: the detector's version and
    // settings, a content digest, or the track's stream and language.
    QString m_detail;
    int m_shiftMs = 0;
    bool m_inPauses = false; // only while not moved
};
