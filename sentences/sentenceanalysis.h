#pragma once

#include "sentences/audiodecoder.h"
#include "sentences/envelope.h"
#include "sentences/sentencedetector.h"
#include "sentences/sentencesource.h"
#include "sentences/subtitletracks.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

class AnalysisCache;

struct SentenceResult {
    QString path;
    std::shared_ptr<const Envelope> envelope;
    QList<Sentence> sentences;
    bool fromSubtitles = false;
    SentenceSource source; // where the sentences came from
    QString subtitleFile;  // the file the cues came from, if any
    int malformedCues = 0;
    int mergedCues = 0;  // started with another cue: one sentence with both texts
    int droppedCues = 0; // past the end, or no time of their own left
    // A subtitle file was there but gave no cue: the sentences are the pauses.
    bool subtitlesUnusable = false;
    QList<SubtitleTrack> subtitleTracks; // the tracks inside the recording
    int subtitleStream = -1;             // the one the cues came from, if any
    QString subtitleNote;                // why no track inside could be used
    QString subtitleEncoding;            // what the subtitle file was read as
    bool encodingChosen = false;         // by the learner, for this file
    // A subtitle file beside the recording that gave no cue, and why.
    enum FileProblem { NoCues, WrongFormat, Unreadable };
    QString unusedFile;
    FileProblem unusedFileWhy = NoCues;
    // Stretches where damage took the track's cues; their sentences are the pauses.
    QList<Sentence> uncovered;
};

// What the learner is told about where the sentences came from, one line
// each: a subtitle file or track not used and why, the encoding a file was
// read with when it is not UTF-8 or was chosen, the stretches left to the
// pauses. Empty when there is nothing to say.
QStringList analysisNotes(const SentenceResult &result);

struct AnalysisOutcome {
    SentenceResult result;
    bool ok = false;
    bool cancelled = false;
    QString error;
};

// Decodes the recording and finds its sentences: the cues of a subtitle file
// beside it when it gives any, else those of a text track inside it (see
// findTrackCues; a track the learner picked wins over the file), else the
// pauses. Blocking; for a worker or the command line.
//
// With a cache, a recording analysed before is read from it instead of being
// decoded, and a new analysis is kept in it. `found` hears of the sentences
// while the analysis runs: each time with all those found so far, in order,
// each list extending the one before (the complete result may still differ
// from the last of them), with the envelope decoded so far.
AnalysisOutcome analyseRecording(const QString &path, const DecodeControl &control = {},
                                 const DetectorParams &params = {},
                                 const AnalysisCache *cache = nullptr,
                                 const std::function<void(const SentenceResult &)> &found = {},
                                 const CueWish &wish = {});

// Runs the analysis of one recording at a time off the GUI thread. Starting
// another recording, cancel() and destruction cancel the run in progress;
// a cancelled run reports nothing.
class SentenceAnalysis : public QObject
{
    Q_OBJECT
public:
    explicit SentenceAnalysis(QObject *parent = nullptr);
    ~SentenceAnalysis() override;

    // Where analyses are kept between runs; empty (the default) keeps none.
    void setCacheFolder(const QString &folder) { m_cacheFolder = folder; }

    void start(const QString &path, const CueWish &wish = {});
    // How the pauses are read, from the next start() on.
    void setDetectorParams(const DetectorParams &params) { m_params = params; }
    const DetectorParams &detectorParams() const { return m_params; }
    void cancel();
    bool isRunning() const;

signals:
    void progressChanged(int percent);
    // The sentences found so far while the run goes on; finished() follows
    // with the complete result.
    void sentencesFound(const SentenceResult &soFar);
    void finished(const SentenceResult &result);
    void failed(const QString &message);

private:
    void runFinished(int generation, const QFuture<AnalysisOutcome> &future);

    QThreadPool m_pool;
    QFuture<AnalysisOutcome> m_future;
    int m_generation = 0;
    QString m_cacheFolder;
    DetectorParams m_params;
};
