#include "sentences/sentenceanalysis.h"

#include "sentences/sentencedetector.h"
#include "sentences/subtitles.h"

#include <QFutureWatcher>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

AnalysisOutcome analyseRecording(const QString &path, const DecodeControl &control,
                                 const CueWish &wish)
{
    AnalysisOutcome outcome;
    DecodeResult decoded = decodeEnvelope(path, control);
    outcome.cancelled = decoded.cancelled;
    outcome.error = decoded.error;
    if (!decoded.envelope)
        return outcome;

    SentenceResult &result = outcome.result;
    result.path = path;
    auto envelope = std::make_shared<const Envelope>(std::move(*decoded.envelope));
    result.envelope = envelope;
    RecordingCues cues = findRecordingCues(path, envelope->duration, wish, control);
    if (cues.cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    result.subtitleFile = cues.subtitleFile;
    result.subtitleTracks = cues.tracks;
    result.subtitleStream = cues.stream;
    result.subtitleNote = cues.note;
    if (cues.found) {
        result.sentences = std::move(cues.cues);
        result.malformedCues = cues.malformed;
        result.fromSubtitles = true;
    } else {
        result.sentences = detectSentences(*envelope);
    }
    outcome.ok = true;
    return outcome;
}

SentenceAnalysis::SentenceAnalysis(QObject *parent) : QObject(parent)
{
    // Two threads, so a new recording need not wait for the cancelled run to wind down.
    m_pool.setMaxThreadCount(2);
}

SentenceAnalysis::~SentenceAnalysis()
{
    cancel();
    m_pool.waitForDone();
}

void SentenceAnalysis::start(const QString &path, const CueWish &wish)
{
    cancel();
    const int generation = ++m_generation;
    m_future = QtConcurrent::run(&m_pool, [path, wish](QPromise<AnalysisOutcome> &promise) {
        promise.setProgressRange(0, 100);
        DecodeControl control;
        control.isCancelled = [&promise] { return promise.isCanceled(); };
        control.progress = [&promise](int percent) { promise.setProgressValue(percent); };
        promise.addResult(analyseRecording(path, control, wish));
    });
    auto *watcher = new QFutureWatcher<AnalysisOutcome>(this);
    connect(watcher, &QFutureWatcher<AnalysisOutcome>::progressValueChanged, this,
            [this, generation](int percent) {
                if (generation == m_generation)
                    emit progressChanged(percent);
            });
    connect(watcher, &QFutureWatcher<AnalysisOutcome>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        runFinished(generation, watcher->future());
    });
    watcher->setFuture(m_future);
}

void SentenceAnalysis::cancel()
{
    ++m_generation;
    m_future.cancel();
}

bool SentenceAnalysis::isRunning() const
{
    return m_future.isRunning();
}

void SentenceAnalysis::runFinished(int generation, const QFuture<AnalysisOutcome> &future)
{
    if (generation != m_generation || future.isCanceled() || future.resultCount() == 0)
        return;
    const AnalysisOutcome outcome = future.result();
    if (outcome.cancelled)
        return;
    if (outcome.ok)
        emit finished(outcome.result);
    else
        emit failed(outcome.error);
}
