// Sentences of a recording: pause detection on generated envelopes,
// decoding, the worker, the command line and the strip.
#include "sentences/audiodecoder.h"
#include "sentences/pauserules.h"
#include "sentences/printsentences.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/sentencedetector.h"
#include "sentences/sentencesource.h"
#include "sentences/waveformview.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

namespace {

// A piece of a generated envelope: seconds at a level in dB, with random
// frame-to-frame spread in dB (speech syllables, noise, music).
struct Piece {
    double seconds;
    double db;
    double spreadDb = 1.0;
};

Envelope envelopeOf(const QList<Piece> &pieces, double gainDb = 0.0, double clipDb = 1000.0)
{
    Envelope e;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (const Piece &p : pieces) {
        const int frames = int(std::lround(p.seconds / e.frameSeconds));
        for (int i = 0; i < frames; ++i) {
            const double db =
                p.db <= -200 ? -400 : std::min(clipDb, p.db + gainDb + p.spreadDb * unit(random));
            e.levels.push_back(float(std::pow(10.0, db / 20)));
        }
    }
    e.duration = double(e.levels.size()) * e.frameSeconds;
    return e;
}

// Speech-like: loud syllables of 0.25 s with 50 ms dips between them.
QList<Piece> words(int syllables, double db)
{
    QList<Piece> out;
    for (int i = 0; i < syllables; ++i) {
        if (i > 0)
            out.append({0.05, db - 18, 2.0});
        out.append({0.25, db, 5.0});
    }
    return out;
}

// Sentences of words at -20 dB over a -70 dB floor, with 1 s of floor around:
// each sentence a list of phrases (syllables each) with comma seconds between
// them, and the given seconds between sentences. Where each one sounds lands
// in starts and ends.
QList<Piece> spoken(const QList<QList<int>> &sentences, double comma, const QList<double> &gaps,
                    QList<double> &starts, QList<double> &ends)
{
    QList<Piece> out{{1.0, -70}};
    double at = 1.0;
    const auto add = [&](const QList<Piece> &pieces) {
        out += pieces;
        for (const Piece &p : pieces)
            at += p.seconds;
    };
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        if (i > 0)
            add({{gaps[i - 1], -70}});
        starts.append(at);
        for (qsizetype k = 0; k < sentences[i].size(); ++k) {
            if (k > 0)
                add({{comma, -70}});
            add(words(sentences[i][k], -20));
        }
        ends.append(at);
    }
    out.append({1.0, -70});
    return out;
}

// A music bed: never silent, never steady.
QList<Piece> music(double seconds, double db)
{
    QList<Piece> out;
    for (int i = 0; i < int(std::lround(seconds / 0.1)); ++i)
        out.append({0.1, db + (i % 4 < 2 ? 0 : 6), 3.0});
    return out;
}

// Writes 16-bit mono 8 kHz: the given seconds alternate between a 300 Hz tone
// and near-silence, starting with silence.
void writeBursts(const QString &path, const QList<double> &seconds)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QList<qint16> samples;
    bool on = false;
    for (double s : seconds) {
        const int n = int(s * 8000);
        for (int i = 0; i < n; ++i)
            samples.append(on ? qint16(10000 * std::sin(2 * std::numbers::pi * 300 * i / 8000.0))
                              : qint16(i % 3 - 1));
        on = !on;
    }
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (qint16 v : samples)
        out << v;
    ASSERT_EQ(file.write(monoWav(pcm, 8000)), 44 + pcm.size());
}

} // namespace

TEST(SentenceDetector, FindsSentencesInGeneratedRecordings)
{
    struct Row {
        const char *name;
        Envelope envelope;
        QList<double> starts; // where each sentence's sound begins
        QList<double> ends;
        DetectorParams params = {};
    };
    const QList<Piece> bed{{1.0, -70}};
    const QList<Piece> pause{{0.8, -70}};
    // Sentences sound from 1.0 to 2.45, 3.25 to 5.3 and 6.0 to 6.85 s.
    const auto threeSentences = [&](const std::function<QList<Piece>(double)> &gap) {
        return gap(1.0) + words(5, -20) + gap(0.8) + words(7, -20) + gap(0.7) + words(3, -20)
               + gap(1.0);
    };
    const auto noise = [](double db) {
        return [db](double seconds) { return QList<Piece>{{seconds, db, 1.5}}; };
    };
    const QList<double> starts{1.0, 3.25, 6.0};
    const QList<double> ends{2.45, 5.3, 6.85};
    // A brisk speaker: sentences 0.28-0.4 s apart, commas of 0.15 s, one
    // sentence opening with a single word and a comma ("Well, ...").
    QList<double> briskStarts, briskEnds;
    const Envelope brisk = envelopeOf(spoken({{1, 6}, {4, 3}, {5, 3}, {3, 4}, {6}}, 0.15,
                                             {0.3, 0.28, 0.4, 0.33}, briskStarts, briskEnds));
    // Two sentences of three phrases, no pause over 0.2 s: over 9 s as one.
    QList<double> runOnStarts, runOnEnds;
    const Envelope runOn =
        envelopeOf(spoken({{5, 5, 5}, {5, 5, 5}}, 0.1, {0.2}, runOnStarts, runOnEnds));
    DetectorParams longer;
    longer.longSentence = 12.0;
    const Row rows[] = {
        {"digital silence", envelopeOf({{5.0, -300}}), {}, {}},
        {"steady noise only", envelopeOf({{30.0, -45, 1.5}}), {}, {}},
        {"music bed only, no endless sentence", envelopeOf(music(60.0, -30)), {}, {}},
        {"speech over noise", envelopeOf(threeSentences(noise(-55))), starts, ends},
        {"loud recording", envelopeOf(threeSentences(noise(-55)), +15), starts, ends},
        {"very quiet recording", envelopeOf(threeSentences(noise(-55)), -30), starts, ends},
        {"noise 14 dB under speech", envelopeOf(threeSentences(noise(-34))), starts, ends},
        {"clipped", envelopeOf(threeSentences(noise(-40)), +22, -1.0), starts, ends},
        {"music bed under speech",
         envelopeOf(threeSentences([](double s) { return music(s, -38); })), starts, ends},
        {"comma breath stays inside",
         envelopeOf(bed + words(4, -20) + QList<Piece>{{0.25, -70}} + words(4, -20) + bed),
         {1.0},
         {3.55}},
        {"a click is no sentence",
         envelopeOf(bed + QList<Piece>{{0.05, -10}} + pause + words(3, -20) + bed),
         {1.85},
         {2.70}},
        {"shorter than the padding", envelopeOf({{0.04, -20}}), {}, {}},
        {"brisk speaker: breaks of 0.28 s split, commas and a first word's comma do not", brisk,
         briskStarts, briskEnds},
        {"over 8 s with no break: split where the pause stands out", runOn, runOnStarts, runOnEnds},
        {"the same, with 12 s allowed: one",
         runOn,
         {runOnStarts.first()},
         {runOnEnds.last()},
         longer},
    };
    for (const Row &row : rows) {
        const QList<Sentence> got = detectSentences(row.envelope, row.params);
        ASSERT_EQ(got.size(), row.starts.size()) << row.name;
        for (qsizetype i = 0; i < got.size(); ++i) {
            // Padded, but by no more than a word's onset: 50-150 ms outside the sound.
            EXPECT_LT(got[i].start, row.starts[i] - 0.03) << row.name << " #" << i;
            EXPECT_GT(got[i].start, row.starts[i] - 0.15) << row.name << " #" << i;
            EXPECT_GT(got[i].end, row.ends[i] + 0.03) << row.name << " #" << i;
            EXPECT_LT(got[i].end, row.ends[i] + 0.15) << row.name << " #" << i;
        }
    }
}

TEST(PauseRules, TheBreakIsWhereThisSpeakersPausesSeparate)
{
    struct Row {
        const char *name;
        std::vector<double> pauses;
        double above;  // the longest pause that must stay inside a sentence
        double atMost; // the shortest that must end one
    };
    const std::vector<double> words{0.02, 0.03, 0.04, 0.05, 0.06, 0.04, 0.03};
    const auto with = [&words](std::vector<double> more) {
        more.insert(more.end(), words.begin(), words.end());
        return more;
    };
    std::vector<double> even; // a ratio of 1.1 from one to the next
    for (double p = 0.1; p < 0.8; p *= 1.1)
        even.push_back(p);
    const Row rows[] = {
        {"slow reader", with({0.12, 0.15, 0.2, 0.18, 0.5, 0.9, 1.4, 0.7}), 0.2, 0.5},
        {"brisk speaker", with({0.1, 0.15, 0.19, 0.17, 0.28, 0.33, 0.45, 0.38, 0.3}), 0.19, 0.28},
        {"brisk speaker without commas", with({0.3, 0.32, 0.4, 0.36}), 0.2499, 0.3},
        // In heavy noise a comma measures 0.32 s: its jump to 0.51 s is the
        // one near the usual break, and wins over one as wide further down.
        {"noisy slow reader", with({0.16, 0.26, 0.32, 0.51, 0.59, 0.72, 0.83, 0.96}), 0.32, 0.51},
        {"pauses that do not separate", even, 0.3999, 0.4},
        {"one pause between sentence-sized pieces", {0.3}, 0.2499, 0.3},
        {"no pause", {}, 0.3999, 0.4},
    };
    for (const Row &row : rows) {
        const double at = sentenceBreak(row.pauses);
        EXPECT_GT(at, row.above) << row.name;
        EXPECT_LE(at, row.atMost) << row.name;
    }
}

namespace {

// Pieces of speech of the given lengths with the pauses between them, from 0.
std::vector<SpeechPiece> laidOut(const std::vector<double> &speech,
                                 const std::vector<double> &pauses)
{
    std::vector<SpeechPiece> out;
    double at = 0.0;
    for (std::size_t i = 0; i < speech.size(); ++i) {
        out.push_back({at, at + speech[i]});
        at += speech[i] + (i < pauses.size() ? pauses[i] : 0.0);
    }
    return out;
}

} // namespace

TEST(PauseRules, OnlyPausesBetweenSentenceSizedPiecesTellTheBreak)
{
    struct Row {
        const char *name;
        std::vector<double> speech, pauses, framing;
    };
    const Row rows[] = {
        {"a first word's comma cuts off a scrap",
         {0.3, 2.0, 1.05, 1.25},
         {0.2, 0.35, 0.15},
         {0.35, 0.15}},
        {"so does a word lost in noise before a longer pause", {2.0, 0.6, 2.0}, {0.27, 0.4}, {0.4}},
        {"a short word between shorter pauses does not", {1.5, 0.4, 1.2}, {0.3, 0.1}, {0.3}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(framingPauses(laidOut(row.speech, row.pauses), row.pauses, 1.0), row.framing)
            << row.name;
}

TEST(PauseRules, LongStretchesSplitAtPausesThatStandOut)
{
    struct Row {
        const char *name;
        std::vector<double> speech, pauses;
        std::vector<int> splits;
    };
    const std::vector<double> eleven(11, 0.8);
    const Row rows[] = {
        {"short enough", {3, 3}, {0.3}, {}},
        {"one pause stands out", {2.5, 2.5, 2.5, 2.5}, {0.15, 0.35, 0.15}, {1}},
        // 0.33 s is not clearly longer than 0.3 s, nor 0.3 than 0.28; all
        // three are than the commas.
        {"four sentences run together",
         {1.4, 1.4, 1.4, 1.4, 1.4, 1.4, 1.4, 1.4},
         {0.15, 0.3, 0.15, 0.33, 0.15, 0.28, 0.15},
         {1, 3, 5}},
        {"parts would be under a second", eleven, std::vector<double>(10, 0.2), {}},
        {"a long pause too near the start splits off nothing", {0.5, 4, 5}, {0.6, 0.3}, {1}},
        {"as short as it can be made", {9, 3}, {0.4}, {0}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(dictationSplits(laidOut(row.speech, row.pauses), row.pauses), row.splits)
            << row.name;
}

namespace {

constexpr int SpeechRate = 22050;

// The samples of a 16-bit mono wav (what espeak-ng writes), scaled to 1.0.
std::vector<float> wavSamples(const QByteArray &wav)
{
    const qsizetype data = wav.indexOf("data");
    std::vector<float> out;
    for (qsizetype i = data + 8; data >= 0 && i + 1 < wav.size(); i += 2)
        out.push_back(float(qint16(quint8(wav[i]) | (quint8(wav[i + 1]) << 8))) / 32768.0f);
    return out;
}

bool writeWav(const QString &path, const std::vector<float> &samples, int rate)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size() * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size() * 2);
    for (float v : samples)
        out << qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Speech trimmed to where its 10 ms frames stand overFloorDb above the
// recording's floor, its quietest tenth (and above -50 dBFS), in runs of 50 ms
// or more. The floor's power is added to floorPower.
std::vector<float> trimmedSpeech(const std::vector<float> &s, int rate, double overFloorDb,
                                 double &floorPower)
{
    const int frame = rate / 100;
    std::vector<double> db;
    for (std::size_t k = 0; k + std::size_t(frame) <= s.size(); k += std::size_t(frame)) {
        double power = 0;
        for (std::size_t j = k; j < k + std::size_t(frame); ++j)
            power += double(s[j]) * s[j];
        db.push_back(10 * std::log10(power / frame + 1e-12));
    }
    std::vector<double> sorted = db;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty())
        return {};
    const double floor = sorted[sorted.size() / 10];
    floorPower += std::pow(10.0, floor / 10);
    const double threshold = std::max(floor + overFloorDb, -50.0);
    int first = -1;
    int last = -1;
    for (int i = 0; i < int(db.size());) {
        int j = i;
        while (j < int(db.size()) && db[std::size_t(j)] > threshold)
            ++j;
        if (j - i >= 5) {
            first = first < 0 ? i : first;
            last = j;
        }
        i = std::max(j, i + 1);
    }
    if (first < 0)
        return {};
    return std::vector<float>(s.begin() + std::ptrdiff_t(first) * frame,
                              s.begin() + std::ptrdiff_t(last) * frame);
}

// A recording of sentences one after another, with where each one sounds.
struct BriskRecording {
    std::string name;
    Envelope envelope;
    std::vector<double> starts, ends;
    double tolerance = 0.15; // seconds a found boundary may lie off
};

BriskRecording briskMix(const QString &dir, const std::string &name,
                        const std::vector<std::vector<float>> &sentences, int rate, double noise,
                        double shortestGap, double tolerance, unsigned seed)
{
    BriskRecording rec{name, {}, {}, {}, tolerance};
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> gap(shortestGap, 0.45);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<float> mix(std::size_t(0.6 * rate), 0.0f);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (i > 0)
            mix.insert(mix.end(), std::size_t(gap(random) * rate), 0.0f);
        rec.starts.push_back(double(mix.size()) / rate);
        mix.insert(mix.end(), sentences[i].begin(), sentences[i].end());
        rec.ends.push_back(double(mix.size()) / rate);
    }
    mix.insert(mix.end(), std::size_t(0.5 * rate), 0.0f);
    for (float &v : mix)
        v += float(noise * gauss(random));
    const QString path = dir + QStringLiteral("/%1.wav").arg(QString::fromStdString(name));
    if (!writeWav(path, mix, rate))
        return rec;
    DecodeResult decoded = decodeEnvelope(path);
    if (decoded.envelope)
        rec.envelope = std::move(*decoded.envelope);
    return rec;
}

// Brisk speech, made once for the suite: two espeak-ng voices at 170 and
// 180 words a minute, sentences 0.28-0.45 s apart with commas inside, over
// light noise; and real read speech with its pauses shortened.
class BriskSpeech : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        recordings = new std::vector<BriskRecording>;
        QTemporaryDir dir;
        const char *const texts[] = {
            "Well, I think we should leave before the traffic starts.",
            "My brother, who lives in Paris, called me today.",
            "The coffee here is cheap, but it is very good.",
            "Yes, the meeting starts at ten in the big room.",
            "He smiled, waved at us, and walked away slowly.",
            "When the bus finally came, it was already full.",
        };
        const struct {
            const char *voice;
            const char *wordsPerMinute;
            double noise; // RMS, full scale 1.0
        } voices[] = {{"en-us", "170", 0.0}, {"en-gb-scotland", "180", 0.002}};
        unsigned seed = 1;
        for (const auto &voice : voices) {
            std::vector<std::vector<float>> sentences;
            for (const char *text : texts) {
                QProcess espeak;
                espeak.start(QStringLiteral("espeak-ng"),
                             {QStringLiteral("-v"), QLatin1String(voice.voice),
                              QStringLiteral("-s"), QLatin1String(voice.wordsPerMinute),
                              QStringLiteral("--stdout"), QString::fromUtf8(text)});
                if (!espeak.waitForFinished(30000))
                    return;
                double silent = 0;
                sentences.push_back(trimmedSpeech(wavSamples(espeak.readAllStandardOutput()),
                                                  SpeechRate, 10, silent));
            }
            recordings->push_back(briskMix(dir.path(), voice.voice, sentences, SpeechRate,
                                           voice.noise, 0.28, 0.15, seed++));
        }
        // Real read speech, its own floor filling the shortened pauses;
        // breaths and lip noise rise some 10 dB over that floor.
        const QDir read(QStringLiteral("/usr/share/pocketsphinx/test/data/librivox"));
        std::vector<std::vector<float>> sentences;
        double floorPower = 0;
        for (const QString &file : read.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
            QFile wav(read.filePath(file));
            if (wav.open(QIODevice::ReadOnly))
                sentences.push_back(
                    trimmedSpeech(wavSamples(wav.readAll()), 16000, 15, floorPower));
        }
        const double floor =
            std::sqrt(floorPower / double(std::max<std::size_t>(sentences.size(), 1)));
        // Its soft final fricatives lie above the 4 kHz the envelope holds.
        recordings->push_back(
            briskMix(dir.path(), "read speech", sentences, 16000, floor, 0.35, 0.2, seed++));
    }
    static void TearDownTestSuite()
    {
        delete recordings;
        recordings = nullptr;
    }
    static inline std::vector<BriskRecording> *recordings = nullptr;
};

} // namespace

TEST_F(BriskSpeech, EverySentenceIsFoundOnceAndNoCommaSplitsOne)
{
    ASSERT_EQ(recordings->size(), 3u) << "espeak-ng failed";
    for (const BriskRecording &rec : *recordings) {
        SCOPED_TRACE(rec.name);
        ASSERT_GE(rec.starts.size(), 5u) << "no speech to mix (pocketsphinx-testdata?)";
        ASSERT_FALSE(rec.envelope.isEmpty());
        const QList<Sentence> got = detectSentences(rec.envelope);
        ASSERT_EQ(std::size_t(got.size()), rec.starts.size());
        for (std::size_t i = 0; i < rec.starts.size(); ++i) {
            const Sentence &s = got[qsizetype(i)];
            EXPECT_NEAR(s.start, rec.starts[i], rec.tolerance) << "#" << i;
            EXPECT_NEAR(s.end, rec.ends[i], rec.tolerance) << "#" << i;
        }
    }
}

TEST(AudioDecoder, MeasuresTheEnvelopeOfAGeneratedFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(path, 1.5));
    QList<int> progress;
    DecodeControl control;
    control.progress = [&](int p) { progress.append(p); };
    const DecodeResult result = decodeEnvelope(path, control);
    ASSERT_TRUE(result.envelope) << result.error.toStdString();
    const Envelope &e = *result.envelope;
    EXPECT_NEAR(e.duration, 1.5, 0.02);
    EXPECT_NEAR(double(e.levels.size()) * e.frameSeconds, 1.5, 0.02);
    // A sine of amplitude 12000 has an RMS of 12000 / sqrt(2) of full scale.
    EXPECT_NEAR(e.levels[e.levels.size() / 2], 12000.0 / 32768.0 / std::sqrt(2.0), 0.01);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(AudioDecoder, FailsOrStopsCleanly)
{
    QTemporaryDir dir;
    const QString tone = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(tone, 0.5));
    putFile(dir.filePath(QStringLiteral("text.mp3")), QByteArray("not a recording\n").repeated(50));
    putFile(dir.filePath(QStringLiteral("empty.wav")), {});
    for (const QString &name :
         {QStringLiteral("missing.mp3"), QStringLiteral("text.mp3"), QStringLiteral("empty.wav")}) {
        const DecodeResult result = decodeEnvelope(dir.filePath(name));
        EXPECT_FALSE(result.envelope) << name.toStdString();
        EXPECT_FALSE(result.cancelled) << name.toStdString();
        EXPECT_FALSE(result.error.isEmpty()) << name.toStdString();
        EXPECT_FALSE(result.error.contains(QLatin1Char('\n'))) << name.toStdString();
    }
    DecodeControl stop;
    stop.isCancelled = [] { return true; };
    const DecodeResult cancelled = decodeEnvelope(tone, stop);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.envelope);
}

TEST(PrintSentences, PrintsSentencesOrFails)
{
    QTemporaryDir dir;
    const QString bursts = dir.filePath(QStringLiteral("bursts.wav"));
    writeBursts(bursts, {1.0, 1.2, 0.8, 0.9, 1.0});
    const QString subtitled = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(subtitled, 3.0));
    putFile(dir.filePath(QStringLiteral("tone.srt")),
            "broken\n\n1\n00:00:00,500 --> 00:00:01,250\n你好\n\n2\n00:00:02,000 --> "
            "00:00:09,000\nbye\n");
    putFile(dir.filePath(QStringLiteral("text.mp3")), QByteArray("not a recording\n").repeated(50));
    struct Row {
        QString file;
        int code;
        QString out;
    };
    const Row rows[] = {
        {subtitled, 0, QString::fromUtf8("0.500\t1.250\t你好\n2.000\t3.000\tbye\n")},
        {dir.filePath(QStringLiteral("missing.wav")), 2, {}},
        {dir.filePath(QStringLiteral("text.mp3")), 2, {}},
    };
    const auto print = [](const QString &file, QString &out, QString &err) {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return printSentences(file, outStream, errStream);
    };
    for (const Row &row : rows) {
        QString out;
        QString err;
        EXPECT_EQ(print(row.file, out, err), row.code) << row.file.toStdString();
        EXPECT_EQ(out, row.out) << row.file.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), row.code == 0 ? 0 : 1) << err.toStdString();
    }

    // From pauses: two columns, padded around the tones at 1.0-2.2 and 3.0-3.9 s.
    QString out;
    QString err;
    ASSERT_EQ(print(bursts, out, err), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    const double sound[2][2] = {{1.0, 2.2}, {3.0, 3.9}};
    for (int i = 0; i < 2; ++i) {
        const QStringList columns = lines[i].split(QLatin1Char('\t'));
        ASSERT_EQ(columns.size(), 2) << lines[i].toStdString();
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(columns[c].section(QLatin1Char('.'), 1).size(), 3) << lines[i].toStdString();
            EXPECT_NEAR(columns[c].toDouble(), sound[i][c] + (c == 0 ? -0.09 : 0.11), 0.05)
                << lines[i].toStdString();
        }
    }
}

namespace {

// Lets queued results arrive until the condition holds; the bound is
// generous, since a busy machine delays the worker.
bool waitUntil(const std::function<bool()> &done)
{
    return QTest::qWaitFor(done, 30000);
}

bool settled(const SentenceAnalysis &analysis)
{
    return waitUntil([&] { return analysis.findChildren<QFutureWatcherBase *>().isEmpty(); });
}

} // namespace

TEST(SentenceAnalysisRuns, OnlyTheLatestRecordingReports)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.wav"));
    const QString second = dir.filePath(QStringLiteral("second.wav"));
    writeBursts(first, {0.5, 1.0, 0.6, 1.0, 0.5});
    writeBursts(second, {0.5, 1.0, 0.5});
    putFile(dir.filePath(QStringLiteral("second.lrc")), "[00:00.40]one\nbad line\n[00:01.60]\n");

    SentenceAnalysis analysis;
    QSignalSpy finished(&analysis, &SentenceAnalysis::finished);
    QSignalSpy failed(&analysis, &SentenceAnalysis::failed);
    QSignalSpy progress(&analysis, &SentenceAnalysis::progressChanged);
    analysis.start(first);
    analysis.start(second);
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_TRUE(settled(analysis));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(failed.size(), 0);
    const auto result = finished.first().first().value<SentenceResult>();
    EXPECT_EQ(result.path, second);
    EXPECT_TRUE(result.fromSubtitles);
    EXPECT_EQ(result.source, SentenceSource::subtitleFile("[00:00.40]one\nbad line\n[00:01.60]\n"));
    EXPECT_EQ(result.malformedCues, 1);
    ASSERT_EQ(result.sentences.size(), 1);
    EXPECT_EQ(result.sentences.first(), (Sentence{0.4, 1.6, QStringLiteral("one")}));
    ASSERT_TRUE(result.envelope);
    EXPECT_NEAR(result.envelope->duration, 2.0, 0.02);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().first().toInt(), 100);

    analysis.start(first);
    ASSERT_TRUE(finished.wait(5000));
    const auto detected = finished.last().first().value<SentenceResult>();
    EXPECT_FALSE(detected.fromSubtitles);
    EXPECT_EQ(detected.source, SentenceSource::pauses());
    EXPECT_EQ(detected.sentences.size(), 2);
}

TEST(SentenceAnalysisRuns, FailureAndCancelReportOnce)
{
    QTemporaryDir dir;
    const QString tone = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(tone, 2.0));
    auto analysis = std::make_unique<SentenceAnalysis>();
    QSignalSpy finished(analysis.get(), &SentenceAnalysis::finished);
    QSignalSpy failed(analysis.get(), &SentenceAnalysis::failed);

    analysis->start(dir.filePath(QStringLiteral("missing.mp3")));
    ASSERT_TRUE(failed.wait(5000));
    ASSERT_TRUE(settled(*analysis));
    EXPECT_EQ(failed.size(), 1);

    analysis->start(tone);
    analysis->cancel();
    ASSERT_TRUE(settled(*analysis));
    EXPECT_EQ(finished.size(), 0);
    EXPECT_EQ(failed.size(), 1);

    // Closing the window while a run is under way waits for the worker.
    analysis->start(tone);
    analysis.reset();
}

TEST(WaveformStrip, ClicksPickSentencesAndResizesRedraw)
{
    const Envelope envelope = envelopeOf({{2.0, -70}, {2.0, -10, 1.0}, {6.0, -70}});
    WaveformView view;
    view.resize(400, 60);
    view.setEnvelope(std::make_shared<const Envelope>(envelope));
    view.setSentences({{1.0, 1.5, {}}, {2.0, 4.0, {}}, {8.0, 9.0, {}}});
    view.show();
    QSignalSpy clicked(&view, &WaveformView::sentenceClicked);
    struct Click {
        int x;
        int expected; // -1: nothing reported
    };
    for (const Click c :
         {Click{50, 0}, Click{120, 1}, Click{70, -1}, Click{300, -1}, Click{340, 2}}) {
        clicked.clear();
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(c.x, 30));
        if (c.expected < 0) {
            EXPECT_TRUE(clicked.isEmpty()) << c.x;
        } else {
            ASSERT_EQ(clicked.size(), 1) << c.x;
            EXPECT_EQ(clicked.first().first().toInt(), c.expected) << c.x;
        }
    }

    // The loud part (2-4 s of 10) is drawn tall wherever the width puts it.
    const QColor ink = view.palette().color(QPalette::WindowText);
    for (int width : {400, 800}) {
        view.resize(width, 60);
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        view.render(&image);
        const auto inked = [&](double seconds) {
            return image.pixelColor(int(seconds / 10 * width), 10) == ink;
        };
        EXPECT_TRUE(inked(3.0)) << width;
        EXPECT_FALSE(inked(6.0)) << width;
        EXPECT_FALSE(inked(1.0)) << width;
    }
}
