#pragma once

#include "sentences/envelope.h"
#include "sentences/sentencenavigation.h"
#include "sentences/sentencesource.h"
#include "sentences/subtitletracks.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>
#include <utility>

class QLabel;
class SentenceAnalysis;
struct SentenceResult;
class WaveformView;
class WaveformZoom;

// The sentences of the open recording: found in the background when it opens,
// drawn in the waveform strip, and named in the sentence label ("第 3/27 句").
class SentenceTrack : public QObject
{
    Q_OBJECT
public:
    SentenceTrack(WaveformView *view, QLabel *label, QObject *parent);
    ~SentenceTrack() override;

    // Where analyses are kept between runs, so that a recording opened again
    // shows its sentences at once; empty keeps none.
    void setCacheFolder(const QString &folder);
    // The close view around the sentence shows what the strip shows; a
    // click on a sentence there plays it too.
    void setZoom(WaveformZoom *zoom);
    // Starts finding the sentences of a recording; an empty path forgets them.
    // They appear as they are found, and the label counts them as "…" until
    // all are known.
    void open(const QString &recordingPath);
    // All the sentences of the open recording are known.
    bool isComplete() const { return m_complete; }
    // The longest sentence a learner is given to dictate, in seconds; longer
    // stretches are split where a pause stands out. From the next open() on.
    void setLongestSentence(double seconds);
    double longestSentence() const { return m_longest; }
    const QList<Sentence> &sentences() const;
    // Shows instead the sentences of a transcript aligned to the open
    // recording's speech, each with its text (none where the transcript did
    // not match), keeping the recording's own for dropTranscript(); the next
    // open() finds the recording's own again. `whole` false: only the first
    // of them, shown while the rest is aligned, until the whole replaces them.
    // Also shows moved subtitle cues (a source of their own, not a transcript).
    void useTranscript(const QList<Sentence> &sentences, const SentenceSource &source,
                       bool whole = true);
    // The first sentences of a transcript are shown, not yet the whole.
    bool previewsTranscript() const
    {
        return m_source.kind() == SentenceSource::Kind::Transcript && !m_complete;
    }
    // The first sentences shown give way to the recording's own again (the
    // whole text was refused after all, or could not be aligned).
    void dropTranscriptPreview();
    // A transcript's sentences, first or whole, give way to the recording's
    // own again: the text was closed or another opened.
    void dropTranscript();
    // The sentences carry the texts spoken: subtitle cues or a transcript.
    bool hasTexts() const
    {
        return m_source.isSubtitles() || m_source.kind() == SentenceSource::Kind::Transcript;
    }
    // The language dictated, for choosing among the subtitle tracks of the
    // recordings opened from now on.
    void setLanguage(const QString &language);
    // The interface's language ("zh", "en"): a hint to a subtitle file's encoding.
    void setInterfaceLanguage(const QString &language);
    // Where the encodings chosen for subtitle files are kept; empty keeps none.
    void setEncodingChoicesFile(const QString &fileName);
    // Reads the subtitle file of the open recording again in the encoding
    // and keeps the choice for that file; an empty one detects it again.
    void chooseEncoding(const QString &encoding);
    // The subtitle file beside the open recording (used or not), and the
    // encoding it was read with; empty when there is none.
    const QString &subtitleFile() const { return m_subtitleFile; }
    const QString &subtitleEncoding() const { return m_encoding; }
    bool encodingChosen() const { return m_encodingChosen; }
    // Takes the sentences of the open recording from another subtitle track
    // (its stream), found again in the background.
    void chooseTrack(int stream);
    // The subtitle tracks inside the open recording, and the one its
    // sentences come from (-1: none); known once it has been analysed.
    const QList<SubtitleTrack> &subtitleTracks() const { return m_tracks; }
    int subtitleStream() const { return m_stream; }
    bool fromSubtitles() const { return m_source.isSubtitles(); }
    // Where the sentences shown come from; None while nothing is found.
    const SentenceSource &source() const { return m_source; }
    // The subtitle text of the sentence the loop region is exactly; empty
    // when there is none.
    QString cueTextFor(double loopStart, double loopEnd) const;
    // Where playback is: the loop in the strip, the position marker, and the
    // current sentence in the label.
    void setLoop(double start, double end);
    void setPosition(double seconds); // -1 while nothing plays

Q_SIGNALS:
    // Status texts: progress while a recording is analysed, then the outcome.
    void statusChanged(const QString &text);
    void sentenceClicked(int index);
    // Sentences of the open recording were found (more of them as the
    // analysis goes on, then all), or forgotten.
    void sentencesChanged();
    // The subtitle tracks, the chosen one, or the subtitle file changed.
    void tracksChanged();

private:
    void analysed(const SentenceResult &result);
    void foundSoFar(const SentenceResult &soFar);
    void showPlace();
    // These sentences from this source, drawn, placed and announced.
    void show(const QList<Sentence> &sentences, const SentenceSource &source, bool complete);

    QString m_path;
    CueWish m_wish;
    QList<SubtitleTrack> m_tracks;
    QString m_subtitleFile;
    QString m_encoding;
    bool m_encodingChosen = false;
    int m_stream = -1;
    void showInZoom();

    WaveformView *m_view;
    WaveformZoom *m_zoom = nullptr;
    QLabel *m_label;
    SentenceAnalysis *m_analysis;
    SentenceSource m_source;
    bool m_complete = false;
    double m_longest = DetectorParams().longSentence;
    PlayPlace m_place;
    // The recording's own sentences while a transcript's first ones show.
    // The recording's own sentences while a transcript's are shown.
    std::optional<std::pair<QList<Sentence>, SentenceSource>> m_ownSentences;
};
