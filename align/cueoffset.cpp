#include "align/cueoffset.h"

#include "align/features.h"
#include "align/levelframes.h"
#include "align/speechsynth.h"
#include "align/warp.h"
#include "sentences/analysiscache.h"
#include "sentences/audiodecoder.h"
#include "sentences/sentencedetector.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

constexpr int OffsetRecordingRate = 16000;
constexpr int OffsetSynthRate = 22050;
constexpr quint32 OffsetFormatVersion = 1;
// Where a boundary moved into a pause lies in it: as the sentences from
// pauses are padded, so the first and last sounds are not clipped.
constexpr double OffsetPadBefore = 0.08;
constexpr double OffsetPadAfter = 0.10;
// Of the recording either side of the cues, when they are aligned again.
constexpr double OffsetRoom = 0.5;
// The largest offset looked for, and how much of the cues is aligned at once.
constexpr double OffsetReach = 45.0;
constexpr double OffsetChunkSeconds = 60.0;

// The stretch of sound t falls inside; pieces.size() when t is in a pause.
// The pieces are in order and apart: a film has thousands of them.
std::size_t pieceAround(double t, const std::vector<SpeechPiece> &pieces)
{
    const auto after = std::upper_bound(pieces.begin(), pieces.end(), t,
                                        [](double v, const SpeechPiece &p) { return v < p.start; });
    if (after == pieces.begin())
        return pieces.size();
    const std::size_t k = std::size_t(after - pieces.begin()) - 1;
    return pieces[k].start < t && t < pieces[k].end ? k : pieces.size();
}

QString cueUnitText(const QString &cueText)
{
    return cueText.simplified();
}

// The median of the differences of the cues found; 0 when none was.
double medianDifference(const QList<CueFinding> &findings)
{
    std::vector<double> d;
    for (const CueFinding &f : findings) {
        if (f.found)
            d.push_back(f.start - f.cueStart);
    }
    if (d.empty())
        return 0.0;
    std::sort(d.begin(), d.end());
    const std::size_t n = d.size();
    return n % 2 ? d[n / 2] : (d[n / 2 - 1] + d[n / 2]) / 2;
}

// Consecutive units (by index) whose cues span no more than a minute.
QList<std::pair<qsizetype, qsizetype>> offsetChunks(const QList<double> &starts,
                                                    const QList<double> &ends)
{
    QList<std::pair<qsizetype, qsizetype>> out;
    qsizetype first = 0;
    for (qsizetype u = 1; u <= starts.size(); ++u) {
        if (u == starts.size() || ends[u] - starts[first] > OffsetChunkSeconds) {
            out.append({first, u});
            first = u;
        }
    }
    return out;
}

// Aligns some consecutive units of the cue texts to a stretch of the
// recording, with the features of both whole.
struct ChunkAligner {
    const QList<TextUnit> &units;
    const SynthResult &synth;
    const Features &synthFeatures;
    const Features &recording;
    const std::vector<SpeechPiece> &pieces;
    const AlignParams &params;

    // Units [u0, u1) between from and to seconds of the recording: the
    // sentences found, in the recording's time, numbered as the units are.
    QList<AlignedSentence> align(qsizetype u0, qsizetype u1, double from, double to) const
    {
        const double hop = params.features.hopSeconds;
        const int s0 = std::clamp(int(synth.units[u0].start / hop), 0, synthFeatures.frames());
        const int s1 =
            std::clamp(int(std::ceil(synth.units[u1 - 1].end / hop)), s0, synthFeatures.frames());
        const int c0 = std::clamp(int(from / hop), 0, recording.frames());
        const int c1 = std::clamp(int(std::ceil(to / hop)), c0, recording.frames());
        SynthResult part;
        part.sampleRate = synth.sampleRate;
        const double synthOffset = s0 * hop;
        for (qsizetype u = u0; u < u1; ++u) {
            SynthUnit unit = synth.units[u];
            unit.start -= synthOffset;
            unit.end -= synthOffset;
            unit.soundStart -= synthOffset;
            unit.soundEnd -= synthOffset;
            for (SynthWord &w : unit.words)
                w.start -= synthOffset;
            part.units.append(unit);
        }
        const double offset = c0 * hop;
        const double length = (c1 - c0) * hop;
        std::vector<SpeechPiece> inside;
        for (SpeechPiece p : pieces) {
            p.start = std::max(0.0, p.start - offset);
            p.end = std::min(length, p.end - offset);
            if (p.end > p.start)
                inside.push_back(p);
        }
        QList<AlignedSentence> found =
            alignText(units.mid(u0, u1 - u0), part, sliced(synthFeatures, s0, s1),
                      sliced(recording, c0, c1), inside, {}, length, params)
                .sentences;
        for (AlignedSentence &s : found) {
            s.start += offset;
            s.end += offset;
            if (s.unit >= 0)
                s.unit += int(u0);
        }
        return found;
    }
};

} // namespace

CueOffset decideCueOffset(const QList<CueFinding> &findings, const CueOffsetRule &rule)
{
    CueOffset verdict;
    verdict.cues = int(findings.size());
    std::vector<double> differences;
    for (const CueFinding &f : findings) {
        if (f.found)
            differences.push_back(f.start - f.cueStart);
    }
    verdict.found = int(differences.size());
    if (verdict.found < rule.fewest || verdict.found < rule.foundShare * verdict.cues)
        return verdict;
    std::vector<double> sorted = differences;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    double sum = 0.0;
    for (double d : differences) {
        if (std::abs(d - median) <= rule.agreeWithin) {
            sum += d;
            ++verdict.agreeing;
        }
    }
    if (verdict.agreeing < rule.agreeShare * verdict.found)
        return verdict;
    verdict.decided = true;
    const double mean = sum / verdict.agreeing;
    verdict.seconds = std::abs(mean) >= rule.least ? mean : 0.0;
    return verdict;
}

QList<CueFinding> cueFindings(const QList<Sentence> &cues, const Alignment &alignment)
{
    QList<CueFinding> findings;
    QList<int> cueOfUnit;
    for (qsizetype k = 0; k < cues.size(); ++k) {
        findings.append({cues[k].start, false, 0.0});
        if (!cueUnitText(cues[k].text).isEmpty())
            cueOfUnit.append(int(k));
    }
    if (alignment.refused)
        return findings;
    for (const AlignedSentence &s : alignment.sentences) {
        if (!s.fromText || s.poor || s.unit < 0 || s.unit >= cueOfUnit.size())
            continue;
        CueFinding &f = findings[cueOfUnit[s.unit]];
        // A unit split in parts starts with its first.
        f.start = f.found ? std::min(f.start, s.start) : s.start;
        f.found = true;
    }
    return findings;
}

double cueStartIntoPause(double t, const std::vector<SpeechPiece> &pieces, double reach)
{
    const std::size_t k = pieceAround(t, pieces);
    if (k == pieces.size())
        return t;
    const SpeechPiece &p = pieces[k];
    // Before the word it cuts, a little ahead of its sound; or after it, as
    // the pause that follows begins.
    if (t - p.start <= p.end - t)
        return t - p.start <= reach
                   ? std::max(k > 0 ? pieces[k - 1].end : 0.0, p.start - OffsetPadBefore)
                   : t;
    return p.end - t <= reach
               ? std::min(k + 1 < pieces.size() ? pieces[k + 1].start : p.end + OffsetPadAfter,
                          p.end + OffsetPadAfter)
               : t;
}

double cueEndIntoPause(double t, const std::vector<SpeechPiece> &pieces, double reach)
{
    const std::size_t k = pieceAround(t, pieces);
    if (k == pieces.size())
        return t;
    const SpeechPiece &p = pieces[k];
    // After the word it cuts, as its sound dies away; or before it.
    if (p.end - t <= t - p.start)
        return p.end - t <= reach
                   ? std::min(k + 1 < pieces.size() ? pieces[k + 1].start : p.end + OffsetPadAfter,
                              p.end + OffsetPadAfter)
                   : t;
    return t - p.start <= reach
               ? std::max(k > 0 ? pieces[k - 1].end : 0.0, p.start - OffsetPadBefore)
               : t;
}

QList<Sentence> shiftCues(const QList<Sentence> &cues, double seconds,
                          const std::vector<SpeechPiece> &pieces, double duration, double reach)
{
    QList<Sentence> out;
    QList<Sentence> moved; // each of out before its boundaries went into pauses
    for (Sentence cue : cues) {
        cue.start += seconds;
        cue.end += seconds;
        if (cue.end <= 0.0 || (duration > 0 && cue.start >= duration))
            continue;
        cue.start = std::max(0.0, cue.start);
        // Cues not moved keep what they say; only a boundary put into a
        // pause is kept inside the recording.
        if (duration > 0 && seconds != 0.0)
            cue.end = std::min(duration, cue.end);
        if (cue.end <= cue.start)
            continue;
        Sentence fitted = cue;
        fitted.start = cueStartIntoPause(cue.start, pieces, reach);
        fitted.end = cueEndIntoPause(cue.end, pieces, reach);
        if (duration > 0 && fitted.end != cue.end)
            fitted.end = std::min(duration, fitted.end);
        // A short cue inside one stretch of sound would lose both ends to
        // the same pause: it keeps its times rather than vanish.
        out.append(fitted.end > fitted.start ? fitted : cue);
        moved.append(cue);
    }
    // Two cues moved to the same pause from either side meet in its middle;
    // cues that overlap in the file keep doing so.
    for (qsizetype k = 1; k < out.size(); ++k) {
        Sentence &prev = out[k - 1];
        Sentence &cue = out[k];
        if (cue.start < prev.end && moved[k].start >= moved[k - 1].end) {
            const double middle =
                std::clamp((cue.start + prev.end) / 2, moved[k - 1].end, moved[k].start);
            const bool bothKept = prev.start < middle && middle < cue.end;
            prev.end = bothKept ? middle : moved[k - 1].end;
            cue.start = bothKept ? middle : moved[k].start;
        }
    }
    return out;
}

QByteArray cueOffsetKey(const QString &cueSource, const QList<Sentence> &cues, const QString &voice)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(cueSource.toUtf8());
    // The texts too: a file read again in another encoding says other words.
    for (const Sentence &cue : cues)
        hash.addData(cue.text.toUtf8() + '\n');
    hash.addData(QByteArray("|") + voice.toUtf8() + '|');
    hash.addData(QByteArray::number(OffsetFormatVersion));
    return QByteArray("cue-offset:") + hash.result().toHex();
}

QByteArray serializeCueOffset(const CueOffset &offset)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << OffsetFormatVersion << offset.decided << offset.seconds << qint32(offset.cues)
        << qint32(offset.found) << qint32(offset.agreeing);
    return bytes;
}

std::optional<CueOffset> deserializeCueOffset(const QByteArray &bytes)
{
    QDataStream in(bytes);
    quint32 version = 0;
    CueOffset offset;
    qint32 cues = 0;
    qint32 found = 0;
    qint32 agreeing = 0;
    in >> version >> offset.decided >> offset.seconds >> cues >> found >> agreeing;
    if (in.status() != QDataStream::Ok || version != OffsetFormatVersion || !in.atEnd()
        || !std::isfinite(offset.seconds))
        return std::nullopt;
    offset.cues = cues;
    offset.found = found;
    offset.agreeing = agreeing;
    return offset;
}

CueOffsetOutcome findCueOffset(const QString &recording, const QList<Sentence> &cues,
                               const QString &cueSource, const QString &voice,
                               const QString &cacheFolder, const CueOffsetControl &control,
                               const CueOffsetRule &rule)
{
    CueOffsetOutcome outcome;
    const AnalysisCache cache(cacheFolder);
    const QByteArray key = cueOffsetKey(cueSource, cues, voice);
    if (const std::optional<QByteArray> kept = cache.loadExtra(recording, key)) {
        if (const std::optional<CueOffset> offset = deserializeCueOffset(*kept)) {
            outcome.offset = *offset;
            outcome.ok = true;
            outcome.fromCache = true;
            return outcome;
        }
    }
    const auto cancelled = [&] { return control.isCancelled && control.isCancelled(); };
    const auto progress = [&](int percent) {
        if (control.progress)
            control.progress(percent);
    };

    QList<TextUnit> units;
    for (const Sentence &cue : cues) {
        const QString text = cueUnitText(cue.text);
        if (!text.isEmpty())
            units.append({text, 0});
    }
    if (units.isEmpty()) {
        outcome.offset = decideCueOffset(cueFindings(cues, {}), rule);
        outcome.ok = true;
        return outcome;
    }
    AlignParams params;
    // Where the speech starts, unpadded, and each cue whole.
    params.padBefore = 0.0;
    params.padAfter = 0.0;
    params.longest = 1e9;

    FeatureExtractor realFeatures(OffsetRecordingRate, params.features);
    LevelFrames levels(OffsetRecordingRate);
    DecodeControl decodeControl;
    decodeControl.isCancelled = cancelled;
    decodeControl.progress = [&](int percent) { progress(percent * 80 / 100); };
    const DecodeResult decoded = decodeSamples(
        recording, OffsetRecordingRate,
        [&](const float *samples, int count) {
            realFeatures.add(samples, std::size_t(count));
            levels.add(samples, count);
        },
        decodeControl);
    if (decoded.cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    if (!decoded.error.isEmpty()) {
        outcome.error = decoded.error;
        return outcome;
    }

    FeatureExtractor synthFeatures(OffsetSynthRate, params.features);
    const SynthResult synth = synthesize(
        units, voice,
        [&](const float *samples, int count) { synthFeatures.add(samples, std::size_t(count)); },
        cancelled);
    if (synth.cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    if (!synth.error.isEmpty() || synth.sampleRate != OffsetSynthRate) {
        outcome.error = synth.error;
        return outcome;
    }
    Features a = synthFeatures.take();
    Features b = realFeatures.take();
    normalizeFeatures(a);
    normalizeFeatures(b);
    const std::vector<SpeechPiece> pieces = soundPieces(levels.envelope());
    QList<double> cueStart;
    QList<double> cueEnd;
    for (const Sentence &cue : cues) {
        if (!cueUnitText(cue.text).isEmpty()) {
            cueStart.append(cue.start);
            cueEnd.append(cue.end);
        }
    }
    // A film's dialogue is not spread evenly over it, so the cues are not
    // aligned to the whole at once: a minute of them at a time, to the
    // stretch where they may be when off by up to OffsetReach, then, moved
    // by the offset most of them agree on, to the stretch they then cover.
    const QList<std::pair<qsizetype, qsizetype>> chunks = offsetChunks(cueStart, cueEnd);
    const ChunkAligner chunk{units, synth, a, b, pieces, params};
    Alignment first;
    for (qsizetype k = 0; k < chunks.size(); ++k) {
        const auto [u0, u1] = chunks[k];
        first.sentences.append(
            chunk.align(u0, u1, cueStart[u0] - OffsetReach, cueEnd[u1 - 1] + OffsetReach));
        if (cancelled()) {
            outcome.cancelled = true;
            return outcome;
        }
        progress(80 + int(10 * (k + 1) / chunks.size()));
    }
    const QList<CueFinding> firstFindings = cueFindings(cues, first);
    outcome.offset = decideCueOffset(firstFindings, rule);
    if (outcome.offset.found >= rule.fewest) {
        const double guess = medianDifference(firstFindings);
        Alignment again;
        for (qsizetype k = 0; k < chunks.size(); ++k) {
            const auto [u0, u1] = chunks[k];
            again.sentences.append(chunk.align(u0, u1, cueStart[u0] + guess - OffsetRoom,
                                               cueEnd[u1 - 1] + guess + OffsetRoom));
            if (cancelled()) {
                outcome.cancelled = true;
                return outcome;
            }
            progress(90 + int(10 * (k + 1) / chunks.size()));
        }
        const CueOffset second = decideCueOffset(cueFindings(cues, again), rule);
        if (second.decided)
            outcome.offset = second;
    }
    outcome.ok = true;
    cache.storeExtra(recording, key, serializeCueOffset(outcome.offset));
    progress(100);
    return outcome;
}
