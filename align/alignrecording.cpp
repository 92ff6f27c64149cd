#include "align/alignrecording.h"

#include "align/levelframes.h"
#include "sentences/analysiscache.h"
#include "sentences/audiodecoder.h"
#include "sentences/sentencedetector.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

// Enough for the features (their filters stop at 6 kHz) and light to decode.
constexpr int RecordingRate = 16000;
// The first sentences: this much of the text synthesized, aligned against
// the start of the recording as soon as that holds it with room to spare.
constexpr double FirstSynthSeconds = 20.0;
constexpr double FirstRoomFactor = 2.0;
constexpr double FirstRoomSeconds = 15.0;
constexpr quint32 FormatVersion = 2;
// Raised whenever the way of aligning changes, so kept results are made anew.
constexpr quint32 MethodVersion = 3;

Features normalized(Features f)
{
    normalizeFeatures(f);
    return f;
}

// The units whose synthesized sound fits in the first seconds.
qsizetype firstUnits(const QList<TextUnit> &units)
{
    // About 14 characters a second is how fast the synthesizer reads.
    qsizetype chars = 0;
    qsizetype n = 0;
    while (n < units.size() && chars < FirstSynthSeconds * 14) {
        chars += units[n].text.size();
        ++n;
    }
    return n;
}

SynthResult joined(SynthResult a, const SynthResult &b, double offset)
{
    for (SynthUnit u : b.units) {
        u.start += offset;
        u.end += offset;
        u.soundStart += offset;
        u.soundEnd += offset;
        for (SynthWord &w : u.words)
            w.start += offset;
        a.units.append(u);
    }
    a.cancelled = a.cancelled || b.cancelled;
    if (a.error.isEmpty())
        a.error = b.error;
    return a;
}

} // namespace

QByteArray alignmentKey(const QString &text, const QString &voice, const AlignParams &params)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(text.toUtf8());
    hash.addData(QByteArray("|") + voice.toUtf8() + '|');
    QByteArray settings;
    QDataStream out(&settings, QIODevice::WriteOnly);
    out << FormatVersion << MethodVersion << params.features.windowSeconds
        << params.features.hopSeconds << params.features.filters << params.features.coefficients
        << params.coarseFactor << params.margin << params.fineRadius << params.snap
        << params.longest << params.poorBelow << params.poorShare << params.poorCostAbove
        << params.dropBelow << params.refuseShare;
    hash.addData(settings);
    return QByteArray("align:") + hash.result().toHex();
}

QByteArray serializeAlignment(const Alignment &alignment)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << FormatVersion << alignment.refused << qint32(alignment.unitsUsed)
        << qint32(alignment.unitsDropped) << quint32(alignment.sentences.size());
    for (const AlignedSentence &s : alignment.sentences) {
        out << s.start << s.end << s.text << s.fromText << s.poor << s.match << qint32(s.unit)
            << quint32(s.words.size());
        for (const AlignedWord &w : s.words)
            out << qint64(w.position) << qint64(w.length) << w.start << w.end;
    }
    return bytes;
}

std::optional<Alignment> deserializeAlignment(const QByteArray &bytes)
{
    QDataStream in(bytes);
    Alignment a;
    quint32 version = 0;
    quint32 count = 0;
    qint32 used = 0;
    qint32 dropped = 0;
    in >> version >> a.refused >> used >> dropped >> count;
    if (in.status() != QDataStream::Ok || version != FormatVersion || count > quint32(bytes.size()))
        return std::nullopt;
    a.unitsUsed = used;
    a.unitsDropped = dropped;
    for (quint32 k = 0; k < count; ++k) {
        AlignedSentence s;
        quint32 words = 0;
        qint32 unit = -1;
        in >> s.start >> s.end >> s.text >> s.fromText >> s.poor >> s.match >> unit >> words;
        s.unit = unit;
        if (in.status() != QDataStream::Ok || words > quint32(bytes.size()))
            return std::nullopt;
        for (quint32 w = 0; w < words; ++w) {
            qint64 position = 0;
            qint64 length = 0;
            AlignedWord word;
            in >> position >> length >> word.start >> word.end;
            word.position = qsizetype(position);
            word.length = qsizetype(length);
            s.words.append(word);
        }
        a.sentences.append(s);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return a;
}

AlignOutcome alignRecording(const QString &recording, const QString &text, const QString &voice,
                            const QString &cacheFolder, const AlignControl &control,
                            const AlignParams &params)
{
    AlignOutcome outcome;
    const AnalysisCache cache(cacheFolder);
    const QByteArray key = alignmentKey(text, voice, params);
    if (const std::optional<QByteArray> kept = cache.loadExtra(recording, key)) {
        if (std::optional<Alignment> a = deserializeAlignment(*kept)) {
            outcome.alignment = std::move(*a);
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

    const QList<TextUnit> units = textUnits(text);
    // The start of the text first, so the first sentences need not wait for
    // the whole of it.
    const qsizetype head = firstUnits(units);
    FeatureExtractor synthFeatures(22050, params.features);
    SynthResult synth;
    int synthRate = 0;
    const auto synthSink = [&](const float *samples, int count) {
        synthFeatures.add(samples, std::size_t(count));
    };
    synth = synthesize(units.mid(0, head), voice, synthSink, cancelled);
    if (!synth.error.isEmpty()) {
        outcome.error = synth.error;
        return outcome;
    }
    synthRate = synth.sampleRate;
    if (synth.cancelled) {
        outcome.cancelled = true;
        return outcome;
    }
    Q_ASSERT(synthRate == 22050);
    const double headSeconds = synth.units.isEmpty() ? 0.0 : synth.units.last().end;

    FeatureExtractor realFeatures(RecordingRate, params.features);
    LevelFrames levels(RecordingRate);
    bool firstSent = !control.first || head == 0 || head == units.size();
    const double firstAfter = headSeconds * FirstRoomFactor + FirstRoomSeconds;
    const auto sendFirst = [&] {
        const Envelope &envelope = levels.envelope();
        Alignment a = alignText(units.mid(0, head), synth, normalized(synthFeatures.features()),
                                normalized(realFeatures.features()), soundPieces(envelope), {},
                                envelope.duration, params);
        // The last unit may yet move with what follows, and so may what
        // lies near the end of the recording decoded so far.
        if (!a.refused) {
            const double decodedEnd = envelope.duration;
            a.sentences.removeIf([&](const AlignedSentence &s) {
                return s.unit < 0 || s.unit >= head - 1 || s.end > decodedEnd - 5.0;
            });
            if (!a.sentences.isEmpty())
                control.first(a);
        }
        firstSent = true;
    };
    DecodeControl decodeControl;
    decodeControl.isCancelled = cancelled;
    decodeControl.progress = [&](int percent) { progress(percent * 80 / 100); };
    const DecodeResult decoded = decodeSamples(
        recording, RecordingRate,
        [&](const float *samples, int count) {
            realFeatures.add(samples, std::size_t(count));
            levels.add(samples, count);
            if (!firstSent && levels.envelope().duration >= firstAfter)
                sendFirst();
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
    if (!firstSent)
        sendFirst();

    if (head < units.size()) {
        const SynthResult rest = synthesize(units.mid(head), voice, synthSink, cancelled);
        synth = joined(std::move(synth), rest, headSeconds);
        if (synth.cancelled) {
            outcome.cancelled = true;
            return outcome;
        }
    }
    progress(90);
    const Envelope &envelope = levels.envelope();
    DetectorParams detector;
    detector.longSentence = params.longest;
    outcome.alignment = alignText(units, synth, normalized(synthFeatures.take()),
                                  normalized(realFeatures.take()), soundPieces(envelope),
                                  detectSentences(envelope, detector), envelope.duration, params);
    outcome.ok = true;
    cache.storeExtra(recording, key, serializeAlignment(outcome.alignment));
    progress(100);
    return outcome;
}
