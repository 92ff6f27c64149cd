#include "align/cuewords.h"

#include "align/speechsynth.h"
#include "align/warp.h"
#include "sentences/audiodecoder.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

constexpr int CueRecordingRate = 16000;
// Cues are often timed a little loosely: the speech is looked for this far
// outside them too.
constexpr double CueRoom = 0.3;

bool sameCue(const Sentence &a, const Sentence &b)
{
    return a.start == b.start && a.end == b.end && a.text == b.text;
}

} // namespace

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
                             const AlignParams &params)
{
    const double hop = params.features.hopSeconds;
    const int first = std::max(0, int(std::floor((start - CueRoom) / hop)));
    const int last = std::min(recording.frames(), int(std::ceil((end + CueRoom) / hop)));
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

    const double offset = first * hop;
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
    if (m_cancelled)
        m_cancelled->store(true);
    wait();
}

void CueWordTimer::wait()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
}

void CueWordTimer::setRecording(const QString &path, const QString &language)
{
    if (path == m_path && language == m_language)
        return;
    if (m_cancelled)
        m_cancelled->store(true);
    ++m_generation;
    m_path = path;
    m_language = language;
    m_features.reset();
    m_kept.clear();
    m_waiting.reset();
    m_running.reset();
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
    if (m_path.isEmpty() || known(cue) || (m_running && sameCue(*m_running, cue)))
        return;
    m_waiting = cue;
    if (!m_running)
        runNext();
}

void CueWordTimer::runNext()
{
    if (!m_waiting)
        return;
    wait();
    const Sentence cue = *std::exchange(m_waiting, std::nullopt);
    m_running = cue;
    auto cancelled = std::make_shared<std::atomic_bool>(false);
    m_cancelled = cancelled;
    const quint64 generation = m_generation;
    const QString path = m_path;
    const QString voice = voiceFor(m_language, cue.text);
    std::shared_ptr<Features> features = m_features;
    QPointer<CueWordTimer> self(this);
    m_thread = QThread::create([=]() mutable {
        const AlignParams params;
        if (!features) {
            QString error;
            features = std::make_shared<Features>(recordingFeatures(
                path, params.features, [cancelled] { return cancelled->load(); }, error));
        }
        if (cancelled->load())
            return;
        const QList<WordTime> words =
            timeCueWords(cue.text, cue.start, cue.end, *features, voice, params);
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, cue, words, features] {
                if (!self || self->m_generation != generation)
                    return;
                self->m_features = features;
                self->m_kept.append({cue, words});
                self->m_running.reset();
                Q_EMIT self->found(cue, words);
                self->runNext();
            },
            Qt::QueuedConnection);
    });
    m_thread->start(QThread::LowPriority);
}
