#include "align/cuewords.h"

#include "align/speechsynth.h"
#include "align/warp.h"
#include "sentences/audiodecoder.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace {

constexpr int CueRecordingRate = 16000;

bool sameCue(const Sentence &a, const Sentence &b)
{
    return a.start == b.start && a.end == b.end && a.text == b.text;
}

} // namespace

// What the decoding thread shares with the timer: the features so far.
struct CueWordTimer::Decoding {
    QMutex mutex;
    Features features;
    bool complete = false;
    std::atomic_bool cancelled = false;
    // The decoding tells the timer once it has passed this (seconds).
    std::atomic<double> wantedUntil = std::numeric_limits<double>::infinity();
};

Features recordingFeatures(const QString &recording, const FeatureParams &params,
                           const std::function<bool()> &isCancelled, QString &error)
{
    FeatureExtractor extractor(CueRecordingRate, params);
    DecodeControl control;
    control.isCancelled = isCancelled;
    const DecodeResult decoded = decodeSamples(
        recording, CueRecordingRate,
        [&](const float *samples, int count) { extractor.add(samples, std::size_t(count)); },
        control);
    if (decoded.cancelled || !decoded.error.isEmpty()) {
        error = decoded.error;
        return {};
    }
    extractor.finish();
    return extractor.take();
}

QList<WordTime> timeCueWords(const QString &text, double start, double end,
                             const Features &recording, const QString &voice,
                             const AlignParams &params, double featuresStart)
{
    const double hop = params.features.hopSeconds;
    const int skipped = int(std::lround(featuresStart / hop));
    const int first = std::max(0, int(std::floor((start - CueRoom) / hop)) - skipped);
    const int last = std::min(recording.frames(), int(std::ceil((end + CueRoom) / hop)) - skipped);
    if (last - first < 2 || text.trimmed().isEmpty())
        return {};
    Features slice;
    slice.width = recording.width;
    slice.values.assign(recording.values.begin() + std::ptrdiff_t(first) * recording.width,
                        recording.values.begin() + std::ptrdiff_t(last) * recording.width);

    FeatureExtractor synthFeatures(22050, params.features);
    const SynthResult synth =
        synthesize({TextUnit{text, 0}}, voice, [&](const float *samples, int count) {
            synthFeatures.add(samples, std::size_t(count));
        });
    if (!synth.error.isEmpty() || synth.units.size() != 1 || synth.units[0].words.isEmpty())
        return {};
    synthFeatures.finish();
    Features said = synthFeatures.take();
    if (said.frames() == 0)
        return {};
    normalizeFeatures(said);
    normalizeFeatures(slice);
    const float skip = unrelatedDistance(said, slice) * params.skipShare;
    const WarpPath path = warp(said, slice, fullBand(said.frames(), slice.frames()), skip);
    if (!path.found)
        return {};

    const double offset = (first + skipped) * hop;
    const auto at = [&](double t) {
        return std::clamp(offset + carryOver(t, path.firstColumn, hop), start, end);
    };
    const SynthUnit &unit = synth.units[0];
    QList<WordTime> words;
    for (qsizetype w = 0; w < unit.words.size(); ++w) {
        const SynthWord &sw = unit.words[w];
        const double wordEnd = w + 1 < unit.words.size() ? unit.words[w + 1].start : unit.soundEnd;
        words.append({sw.position, sw.length, at(sw.start), at(wordEnd)});
    }
    return words;
}

CueWordTimer::CueWordTimer(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("CueWordTimer"));
}

CueWordTimer::~CueWordTimer()
{
    stopThreads();
}

void CueWordTimer::stopThreads()
{
    if (m_decoding)
        m_decoding->cancelled.store(true);
    for (QThread **thread : {&m_decoder, &m_timer}) {
        if (*thread) {
            (*thread)->wait();
            delete *thread;
            *thread = nullptr;
        }
    }
}

void CueWordTimer::setRecording(const QString &path, const QString &language)
{
    if (path == m_path && language == m_language)
        return;
    stopThreads();
    ++m_generation;
    m_path = path;
    m_language = language;
    m_decoding.reset();
    m_kept.clear();
    m_waiting.clear();
    m_ready.clear();
    m_timing.reset();
}

std::optional<QList<WordTime>> CueWordTimer::known(const Sentence &cue) const
{
    for (const auto &[kept, words] : m_kept) {
        if (sameCue(kept, cue))
            return words;
    }
    return std::nullopt;
}

void CueWordTimer::request(const Sentence &cue)
{
    if (m_path.isEmpty() || known(cue) || (m_timing && sameCue(*m_timing, cue)))
        return;
    const auto same = [&cue](const Sentence &s) { return sameCue(s, cue); };
    if (std::any_of(m_waiting.cbegin(), m_waiting.cend(), same)
        || std::any_of(m_ready.cbegin(), m_ready.cend(),
                       [&same](const Ready &ready) { return same(ready.cue); }))
        return;
    m_waiting.append(cue);
    if (!m_decoding)
        startDecoding();
    dispatch();
}

void CueWordTimer::startDecoding()
{
    auto decoding = std::make_shared<Decoding>();
    m_decoding = decoding;
    const QString path = m_path;
    const quint64 generation = m_generation;
    QPointer<CueWordTimer> self(this);
    const auto tell = [self, generation] {
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation] {
                if (self && self->m_generation == generation)
                    self->dispatch();
            },
            Qt::QueuedConnection);
    };
    m_decoder = QThread::create([decoding, path, tell] {
        const FeatureParams params = AlignParams().features;
        FeatureExtractor extractor(CueRecordingRate, params);
        std::size_t shared = 0; // values handed over so far
        const auto handOver = [&] {
            const std::vector<float> &values = extractor.features().values;
            const QMutexLocker lock(&decoding->mutex);
            decoding->features.width = extractor.features().width;
            decoding->features.values.insert(decoding->features.values.end(),
                                             values.begin() + std::ptrdiff_t(shared), values.end());
            shared = values.size();
        };
        DecodeControl control;
        control.isCancelled = [decoding] { return decoding->cancelled.load(); };
        const DecodeResult decoded = decodeSamples(
            path, CueRecordingRate,
            [&](const float *samples, int count) {
                extractor.add(samples, std::size_t(count));
                const double seconds = double(extractor.features().frames()) * params.hopSeconds;
                if (seconds >= decoding->wantedUntil.load()) {
                    handOver();
                    decoding->wantedUntil.store(std::numeric_limits<double>::infinity());
                    tell();
                }
            },
            control);
        if (decoded.cancelled)
            return;
        extractor.finish();
        handOver();
        {
            const QMutexLocker lock(&decoding->mutex);
            decoding->complete = true;
        }
        tell();
    });
    m_decoder->start(QThread::LowPriority);
}

void CueWordTimer::dispatch()
{
    if (!m_decoding)
        return;
    const double hop = AlignParams().features.hopSeconds;
    double wanted = std::numeric_limits<double>::infinity();
    {
        const QMutexLocker lock(&m_decoding->mutex);
        const Features &all = m_decoding->features;
        const double decoded = all.frames() * hop;
        for (qsizetype k = 0; k < m_waiting.size();) {
            const Sentence &cue = m_waiting.at(k);
            const double needed = cue.end + CueRoom + hop;
            if (!m_decoding->complete && decoded < needed) {
                wanted = std::min(wanted, needed);
                ++k;
                continue;
            }
            // Only the cue's stretch travels to the timing thread.
            Ready ready{cue, {}, 0.0};
            const int first =
                std::clamp(int(std::floor((cue.start - CueRoom) / hop)) - 1, 0, all.frames());
            const int last = std::clamp(int(std::ceil(needed / hop)) + 1, first, all.frames());
            ready.stretch.width = all.width;
            ready.stretch.values.assign(all.values.begin() + std::ptrdiff_t(first) * all.width,
                                        all.values.begin() + std::ptrdiff_t(last) * all.width);
            ready.stretchStart = first * hop;
            m_ready.append(std::move(ready));
            m_waiting.removeAt(k);
        }
    }
    m_decoding->wantedUntil.store(wanted);
    timeNext();
}

void CueWordTimer::timeNext()
{
    if (m_timing || m_ready.isEmpty())
        return;
    if (m_timer) {
        m_timer->wait();
        delete m_timer;
        m_timer = nullptr;
    }
    Ready ready = m_ready.takeFirst();
    m_timing = ready.cue;
    const QString voice = voiceFor(m_language, ready.cue.text);
    const quint64 generation = m_generation;
    QPointer<CueWordTimer> self(this);
    m_timer = QThread::create([self, generation, voice, ready = std::move(ready)] {
        const QList<WordTime> words = timeCueWords(ready.cue.text, ready.cue.start, ready.cue.end,
                                                   ready.stretch, voice, {}, ready.stretchStart);
        const Sentence cue = ready.cue;
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, cue, words] {
                if (!self || self->m_generation != generation)
                    return;
                self->m_kept.append({cue, words});
                self->m_timing.reset();
                Q_EMIT self->found(cue, words);
                self->timeNext();
            },
            Qt::QueuedConnection);
    });
    m_timer->start(QThread::LowPriority);
}
