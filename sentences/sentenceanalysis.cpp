#include "sentences/sentenceanalysis.h"

#include "sentences/analysiscache.h"
#include "sentences/sentencedetector.h"
#include "sentences/subtitleencoding.h"
#include "sentences/subtitles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Sentences that end this close to the decoded edge may still grow or split
// once more is decoded; they wait for the next look.
constexpr double UnsettledSeconds = 3.0;

// The envelope so far on the recording's whole time line: what is not yet
// decoded is flat, so the strip keeps its scale while it fills in.
std::shared_ptr<const Envelope> onWholeLength(const Envelope &soFar, double expectedSeconds)
{
    auto whole = std::make_shared<Envelope>();
    whole->frameSeconds = soFar.frameSeconds;
    whole->levels = soFar.levels;
    if (expectedSeconds > soFar.duration) {
        whole->levels.resize(std::size_t(expectedSeconds / soFar.frameSeconds), 0.0f);
        whole->duration = expectedSeconds;
    } else {
        whole->duration = soFar.duration;
    }
    return whole;
}

// Where damage took the cues of a stretch, the stretches between cues that
// overlap the damage (from the end of the cue before to the start of the cue
// after) get their sentences from the pauses. Those stretches go to `uncovered`.
QList<Sentence> withPausesWhereDamaged(const QList<Sentence> &cues, const QList<Sentence> &damage,
                                       const Envelope &envelope, const DetectorParams &params,
                                       QList<Sentence> &uncovered)
{
    if (damage.isEmpty())
        return cues;
    QList<Sentence> gaps;
    double after = 0.0;
    for (const Sentence &cue : cues) {
        if (cue.start > after)
            gaps.append({after, cue.start, {}});
        after = std::max(after, cue.end);
    }
    if (envelope.duration > after)
        gaps.append({after, envelope.duration, {}});
    for (const Sentence &gap : std::as_const(gaps)) {
        const bool damaged = std::any_of(damage.begin(), damage.end(), [&](const Sentence &d) {
            return std::min(gap.end, d.end) - std::max(gap.start, d.start) > 0.001;
        });
        if (damaged)
            uncovered.append(gap);
    }
    if (uncovered.isEmpty())
        return cues;
    QList<Sentence> out = cues;
    for (const Sentence &sentence : detectSentences(envelope, params)) {
        const bool inside = std::any_of(uncovered.begin(), uncovered.end(), [&](const Sentence &g) {
            return sentence.start >= g.start && sentence.end <= g.end;
        });
        if (inside)
            out.append(sentence);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Sentence &a, const Sentence &b) { return a.start < b.start; });
    return out;
}

} // namespace

QStringList analysisNotes(const SentenceResult &result)
{
    QStringList notes;
    if (!result.unusedFile.isEmpty()) {
        const QString why = result.unusedFileWhy == SentenceResult::Unreadable
                                ? QCoreApplication::translate("SentenceAnalysis", "无法读取")
                            : result.unusedFileWhy == SentenceResult::WrongFormat
                                ? QCoreApplication::translate("SentenceAnalysis", "格式不对")
                                : QCoreApplication::translate("SentenceAnalysis", "里面没有字幕");
        notes.append(QCoreApplication::translate("SentenceAnalysis", "字幕文件“%1”没有用上：%2")
                         .arg(QFileInfo(result.unusedFile).fileName(), why));
    }
    if (!result.subtitleNote.isEmpty())
        notes.append(result.subtitleNote);
    if (result.source.kind() == SentenceSource::Kind::SubtitleFile
        && !result.subtitleEncoding.isEmpty()
        && (result.encodingChosen || !result.subtitleEncoding.startsWith(QLatin1String("UTF-")))) {
        notes.append(
            result.encodingChosen
                ? QCoreApplication::translate("SentenceAnalysis", "字幕文件按你选的 %1 编码读取")
                      .arg(result.subtitleEncoding)
                : QCoreApplication::translate("SentenceAnalysis", "字幕文件按 %1 编码读取")
                      .arg(result.subtitleEncoding));
    }
    for (const Sentence &stretch : result.uncovered) {
        notes.append(QCoreApplication::translate("SentenceAnalysis",
                                                 "字幕在 %1–%2 秒处损坏，这一段按停顿分句")
                         .arg(stretch.start, 0, 'f', 1)
                         .arg(stretch.end, 0, 'f', 1));
    }
    return notes;
}

AnalysisOutcome analyseRecording(const QString &path, const DecodeControl &control,
                                 const DetectorParams &params, const AnalysisCache *cache,
                                 const std::function<void(const SentenceResult &)> &found,
                                 const CueWish &wish)
{
    AnalysisOutcome outcome;
    SentenceResult &result = outcome.result;
    result.path = path;
    result.subtitleFile = subtitleFileFor(path);
    const bool subtitles = !result.subtitleFile.isEmpty();
    const SentenceSource fileSource =
        subtitles ? SentenceSource::subtitleFileAt(result.subtitleFile) : SentenceSource();
    const SentenceSource pauseSource = SentenceSource::pauses(params);
    SubtitleEncodingHints hints;
    hints.languages = {wish.language, wish.interfaceLanguage};
    hints.chosen = subtitles ? wish.encoding : QString();
    if (subtitles && hints.chosen.isEmpty())
        hints.chosen = SubtitleEncodingChoices(wish.encodingChoices).choice(result.subtitleFile);
    // Sentences kept from another detector or its other settings are not shown first.
    const QByteArray detectorKey = pauseSource.identity().toUtf8();

    std::optional<Envelope> envelope;
    QList<Sentence> decodedLost; // known only when decoded now, not when cached
    if (cache) {
        if (std::optional<CachedAnalysis> cached = cache->load(path)) {
            if (!subtitles && found && cached->detectorKey == detectorKey) {
                SentenceResult early = result;
                early.envelope = std::make_shared<const Envelope>(cached->envelope);
                early.sentences = cached->sentences;
                early.source = pauseSource;
                found(early);
            }
            envelope = std::move(cached->envelope);
        }
    }

    if (!envelope) {
        DecodeControl watched = control;
        QList<Sentence> shown;
        QList<Sentence> cues;
        bool cuesRead = false;
        bool cuesShown = false;
        if (found) {
            watched.partial = [&](const Envelope &soFar, double expectedSeconds) {
                SentenceResult early = result;
                if (subtitles && !cuesRead) {
                    cuesRead = true;
                    cues = readSubtitleFile(result.subtitleFile, expectedSeconds, {}, hints).cues;
                }
                if (!cues.isEmpty()) {
                    if (cuesShown)
                        return;
                    cuesShown = true;
                    early.sentences = cues;
                    early.fromSubtitles = true;
                    early.source = fileSource;
                } else {
                    // The detector sees the prefix as a whole recording; what
                    // it settles is added after what was shown already.
                    const double settled = soFar.duration - UnsettledSeconds;
                    const double after = shown.isEmpty() ? -1.0 : shown.last().end;
                    const qsizetype before = shown.size();
                    for (const Sentence &sentence : detectSentences(soFar, params)) {
                        if (sentence.end > settled)
                            break;
                        if (sentence.start > after)
                            shown.append(sentence);
                    }
                    if (shown.size() == before)
                        return;
                    early.sentences = shown;
                    early.source = pauseSource;
                }
                early.envelope = onWholeLength(soFar, expectedSeconds);
                found(early);
            };
        }
        DecodeResult decoded = decodeEnvelope(path, watched);
        decodedLost = decoded.lost;
        outcome.cancelled = decoded.cancelled;
        outcome.error = decoded.error;
        if (!decoded.envelope)
            return outcome;
        envelope = std::move(decoded.envelope);
        if (cache)
            cache->store(path, *envelope, detectSentences(*envelope, params), detectorKey);
    }

    auto shared = std::make_shared<const Envelope>(std::move(*envelope));
    result.envelope = shared;
    const bool pickedTrack = wish.stream >= 0;
    if (subtitles && !pickedTrack) {
        SubtitleCues cues =
            readSubtitleFile(result.subtitleFile, shared->duration, control.isCancelled, hints);
        if (cues.cancelled) {
            outcome.cancelled = true;
            return outcome;
        }
        result.subtitleEncoding = cues.encoding;
        result.encodingChosen = !hints.chosen.isEmpty();
        if (cues.cues.isEmpty()) {
            result.unusedFile = result.subtitleFile;
            result.unusedFileWhy = cues.unreadable      ? SentenceResult::Unreadable
                                   : cues.wrongFormat   ? SentenceResult::WrongFormat
                                   : cues.malformed > 0 ? SentenceResult::WrongFormat
                                                        : SentenceResult::NoCues;
        }
        result.malformedCues = cues.malformed;
        result.mergedCues = cues.merged;
        result.droppedCues = cues.dropped;
        result.fromSubtitles = !cues.cues.isEmpty();
        result.subtitlesUnusable = cues.cues.isEmpty();
        result.sentences = std::move(cues.cues);
        if (result.fromSubtitles)
            result.source = fileSource;
    }
    // The tracks inside are listed also when the file beside gives the cues.
    TrackCues inside =
        findTrackCues(path, shared->duration, wish, !result.fromSubtitles || pickedTrack, control);
    if (inside.cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    result.subtitleTracks = inside.tracks;
    result.subtitleNote = inside.note;
    if (inside.stream >= 0) {
        inside.cues = withPausesWhereDamaged(inside.cues, decodedLost + inside.damaged, *shared,
                                             params, result.uncovered);
        result.subtitleStream = inside.stream;
        result.subtitleFile.clear();
        result.subtitlesUnusable = false;
        result.fromSubtitles = true;
        result.sentences = std::move(inside.cues);
        QString language;
        for (const SubtitleTrack &track : inside.tracks) {
            if (track.stream == inside.stream)
                language = track.language;
        }
        result.source = SentenceSource::subtitleTrack(inside.stream, language);
    }
    // Also for a cached envelope: the rules may have changed since it was kept.
    if (!result.fromSubtitles) {
        result.sentences = detectSentences(*shared, params);
        result.source = pauseSource;
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
    const QString cacheFolder = m_cacheFolder;
    m_future = QtConcurrent::run(&m_pool, [this, path, cacheFolder, generation, wish,
                                           params = m_params](QPromise<AnalysisOutcome> &promise) {
        promise.setProgressRange(0, 100);
        DecodeControl control;
        control.isCancelled = [&promise] { return promise.isCanceled(); };
        control.progress = [&promise](int percent) { promise.setProgressValue(percent); };
        const AnalysisCache cache(cacheFolder);
        // Handed to the GUI thread; dropped there if a newer run has begun
        // (or the object is gone, which waits for this run first anyway).
        const auto found = [this, generation](const SentenceResult &soFar) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, soFar] {
                    if (generation == m_generation)
                        emit sentencesFound(soFar);
                },
                Qt::QueuedConnection);
        };
        promise.addResult(analyseRecording(path, control, params,
                                           cacheFolder.isEmpty() ? nullptr : &cache, found, wish));
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
