#pragma once

#include "sentences/audiodecoder.h"
#include "sentences/envelope.h"
#include "sentences/subtitletracks.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

struct SentenceResult {
    QString path;
    std::shared_ptr<const Envelope> envelope;
    QList<Sentence> sentences;
    bool fromSubtitles = false;
    QString subtitleFile; // the file the cues came from, if any
    int malformedCues = 0;
    QList<SubtitleTrack> subtitleTracks; // the tracks inside the recording
    int subtitleStream = -1;             // the one the cues came from, if any
    QString subtitleNote;                // why no track inside could be used
};

struct AnalysisOutcome {
    SentenceResult result;
    bool ok = false;
    bool cancelled = false;
    QString error;
};

// Decodes the recording and finds its sentences: the cues of a subtitle file
// beside it or of a text track inside it (see findRecordingCues), else the
// pauses. Blocking; for a worker or the command line.
AnalysisOutcome analyseRecording(const QString &path, const DecodeControl &control = {},
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

    void start(const QString &path, const CueWish &wish = {});
    void cancel();
    bool isRunning() const;

signals:
    void progressChanged(int percent);
    void finished(const SentenceResult &result);
    void failed(const QString &message);

private:
    void runFinished(int generation, const QFuture<AnalysisOutcome> &future);

    QThreadPool m_pool;
    QFuture<AnalysisOutcome> m_future;
    int m_generation = 0;
};
