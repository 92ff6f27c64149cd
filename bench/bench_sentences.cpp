// Sentence analysis: accuracy on spoken sentences it makes itself (espeak-ng,
// sox) under noise, a music bed and very different gains, and in brisk
// speech; speed of analysing a 60-minute mp3 against FFmpeg's decoder alone;
// the first sentences while it is analysed and all of them when it is opened
// again; waveform repaint time and envelope memory. Prints "name value unit" lines.
// Arguments name the parts to run ("accuracy", "brisk", "speed", "first",
// "reopen"); none, all (the 60-minute mp3 is made once from the "accuracy"
// recordings).
#include "sentences/analysiscache.h"
#include "sentences/audiodecoder.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/sentencedetector.h"
#include "sentences/waveformview.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int Rate = 22050;

const char *const Texts[] = {
    "The train to the coast leaves at nine, so we should hurry.",
    "After the rain stopped, the children ran outside to play.",
    "She opened the letter, read it twice, and smiled.",
    "Most people, if they are honest, prefer a quiet evening at home.",
    "The museum is closed on Mondays.",
    "When the music started, everyone in the hall stood up.",
    "He forgot his keys again, which annoyed his sister.",
    "In the morning, the market is full of fresh fruit and vegetables.",
    "Please write your name, your address, and your phone number.",
    "Nobody expected the old bridge to last another winter.",
};

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
        return false;
    }
    return true;
}

// A sound file as mono samples at Rate.
std::vector<float> load(const QString &path)
{
    const QString raw = path + QStringLiteral(".raw");
    if (!run(QStringLiteral("sox"),
             {path, QStringLiteral("-r"), QString::number(Rate), QStringLiteral("-c"),
              QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-e"),
              QStringLiteral("signed"), raw}))
        return {};
    QFile f(raw);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    std::vector<float> s(std::size_t(bytes.size() / 2));
    for (std::size_t k = 0; k < s.size(); ++k) {
        const auto lo = quint8(bytes[qsizetype(2 * k)]);
        const auto hi = qint8(bytes[qsizetype(2 * k + 1)]);
        s[k] = float(qint16(lo | (hi << 8))) / 32768.0f;
    }
    return s;
}

// One spoken sentence as samples at Rate, trimmed to its speech.
std::vector<float> speak(const QString &dir, int i)
{
    const QString wav = dir + QStringLiteral("/s%1.wav").arg(i);
    if (!run(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), wav, QString::fromUtf8(Texts[i])}))
        return {};
    std::vector<float> s = load(wav);
    // Speech extent: first and last sample above about -50 dBFS.
    const auto loud = [](float v) { return std::abs(v) > 0.003f; };
    const auto first = std::find_if(s.begin(), s.end(), loud);
    const auto last = std::find_if(s.rbegin(), s.rend(), loud).base();
    return first < last ? std::vector<float>(first, last) : std::vector<float>{};
}

bool writeWav(const QString &path, const std::vector<float> &samples)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto n = quint32(samples.size());
    out.writeRawData("RIFF", 4);
    out << quint32(36 + n * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(Rate) << quint32(Rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(n * 2);
    for (float v : samples)
        out << qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
    return out.status() == QDataStream::Ok;
}

struct Truth {
    double start, end;
};

struct Condition {
    const char *name;
    double gainDb;  // applied to speech
    double noiseDb; // white noise RMS relative to speech RMS; <= -200 none
    double musicDb; // music bed RMS relative to speech RMS; <= -200 none
    bool clip;      // drive into hard clipping
};

struct Score {
    int found = 0, missed = 0, extra = 0, split = 0;
    double worstMs = 0.0;
};

Score score(const QList<Sentence> &got, const std::vector<Truth> &truth)
{
    Score sc;
    std::vector<int> hits(got.size(), 0);
    for (const Truth &t : truth) {
        QList<int> over;
        for (qsizetype i = 0; i < got.size(); ++i) {
            if (got[i].end > t.start && got[i].start < t.end) {
                over.append(int(i));
                ++hits[std::size_t(i)];
            }
        }
        if (over.isEmpty()) {
            ++sc.missed;
            continue;
        }
        if (over.size() > 1)
            ++sc.split;
        ++sc.found;
        const Sentence &a = got[over.first()];
        const Sentence &b = got[over.last()];
        sc.worstMs = std::max(
            {sc.worstMs, std::abs(a.start - t.start) * 1000, std::abs(b.end - t.end) * 1000});
    }
    for (int h : hits) {
        if (h == 0)
            ++sc.extra;
        else if (h > 1)
            --sc.found, ++sc.missed; // one sentence swallowed two
    }
    return sc;
}

void accuracy(const QString &dir)
{
    std::vector<std::vector<float>> spoken;
    for (int i = 0; i < int(std::size(Texts)); ++i) {
        spoken.push_back(speak(dir, i));
        if (spoken.back().empty()) {
            std::fprintf(stderr, "espeak-ng or sox failed\n");
            return;
        }
    }
    double speechPower = 0.0;
    std::size_t speechCount = 0;
    for (const auto &s : spoken) {
        for (float v : s)
            speechPower += double(v) * v;
        speechCount += s.size();
    }
    const double speechRms = std::sqrt(speechPower / double(speechCount));

    const Condition conditions[] = {
        {"clean", 0, -300, -300, false},       {"noise_30db", 0, -30, -300, false},
        {"noise_20db", 0, -20, -300, false},   {"noise_15db", 0, -15, -300, false},
        {"quiet_40db", -40, -45, -300, false}, {"music_bed_15db", 0, -300, -15, false},
        {"clipped", 18, -35, -300, true},
    };
    Score total;
    for (const Condition &c : conditions) {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> pause(0.5, 1.5);
        std::normal_distribution<double> gauss(0.0, 1.0);
        std::vector<float> mix;
        std::vector<Truth> truth;
        const auto silence = [&](double seconds) {
            mix.insert(mix.end(), std::size_t(seconds * Rate), 0.0f);
        };
        silence(1.0);
        for (const auto &s : spoken) {
            truth.push_back({double(mix.size()) / Rate, double(mix.size() + s.size()) / Rate});
            mix.insert(mix.end(), s.begin(), s.end());
            silence(pause(random));
        }
        silence(0.5);
        const double gain = std::pow(10.0, c.gainDb / 20);
        const double noise =
            c.noiseDb > -200 ? speechRms * std::pow(10.0, c.noiseDb / 20) * gain : 0.0;
        const double music =
            c.musicDb > -200 ? speechRms * std::pow(10.0, c.musicDb / 20) * gain : 0.0;
        for (std::size_t k = 0; k < mix.size(); ++k) {
            const double t = double(k) / Rate;
            double v = mix[k] * gain + noise * gauss(random);
            if (music > 0) {
                // A slow chord progression with a beat: always sounding, never steady.
                const double root = (int(t / 2.0) % 2) ? 196.0 : 220.0;
                const double beat = 0.6 + 0.4 * std::abs(std::sin(std::numbers::pi * t * 2.0));
                const double chord = std::sin(2 * std::numbers::pi * root * t)
                                     + std::sin(2 * std::numbers::pi * root * 1.25 * t)
                                     + std::sin(2 * std::numbers::pi * root * 1.5 * t);
                v += music * beat * chord / std::sqrt(1.5);
            }
            mix[k] = float(c.clip ? std::clamp(v, -0.5, 0.5) : v);
        }
        const QString path = dir + QStringLiteral("/%1.wav").arg(QLatin1String(c.name));
        if (!writeWav(path, mix))
            return;
        const DecodeResult decoded = decodeEnvelope(path);
        if (!decoded.envelope) {
            std::fprintf(stderr, "decode failed: %s\n", qPrintable(decoded.error));
            return;
        }
        const Score sc = score(detectSentences(*decoded.envelope), truth);
        std::printf("%s_found %d count\n%s_missed %d count\n%s_extra %d count\n%s_split %d count\n"
                    "%s_boundary_error_max_ms %.0f ms\n",
                    c.name, sc.found, c.name, sc.missed, c.name, sc.extra, c.name, sc.split, c.name,
                    sc.worstMs);
        total.found += sc.found;
        total.missed += sc.missed;
        total.extra += sc.extra;
        total.split += sc.split;
        total.worstMs = std::max(total.worstMs, sc.worstMs);
    }
    std::printf("sentences_expected %d count\n", int(std::size(conditions) * std::size(Texts)));
    std::printf("sentences_found %d count\nsentences_missed %d count\nsentences_extra %d count\n"
                "sentences_split %d count\nboundary_error_max_ms %.0f ms\n",
                total.found, total.missed, total.extra, total.split, total.worstMs);
    std::fflush(stdout);
}

// Brisk speech: sentences 0.28-0.45 s apart with commas inside them, in
// several voices at 160-180 words a minute under noise, and real read speech
// with its pauses shortened to the same range.
const char *const BriskTexts[] = {
    "Well, I think we should leave before the traffic starts.",
    "If it rains tomorrow, we can stay inside and read.",
    "My brother, who lives in Paris, called me today.",
    "Honestly, the film was much better than the book.",
    "Before lunch, she answered all of her emails.",
    "The coffee here is cheap, but it is very good.",
    "Yes, the meeting starts at ten in the big room.",
    "On Fridays, the office closes a little earlier.",
    "He smiled, waved at us, and walked away slowly.",
    "To be fair, nobody told us about the new rules.",
    "When the bus finally came, it was already full.",
    "Tom, could you pass me the salt and the pepper?",
    "Last summer, we drove all the way to Spain.",
    "The answer, of course, was hidden in the drawer.",
    "After a while, the noise outside stopped completely.",
    "I called you twice, but you were busy at work.",
};

struct BriskVoice {
    const char *name;
    const char *voice;
    int wordsPerMinute;
    double noiseDb; // white noise RMS relative to speech RMS; <= -200 none
};

// Speech in a recording: where its sentences sound, and the pauses inside
// them (commas, breaths) that must not end a sentence.
struct Spoken {
    std::vector<float> samples;
    std::vector<Truth> pauses; // seconds from the start of samples
};

// Trims a sentence to its speech and finds its inner pauses: 10 ms frames at
// least overFloorDb over the recording's floor (and over -50 dBFS) are
// speech, in runs of at least 50 ms so a click is not.
Spoken trimmed(const std::vector<float> &s, double overFloorDb = 10)
{
    constexpr int Frame = Rate / 100;
    std::vector<double> db;
    for (std::size_t k = 0; k + Frame <= s.size(); k += Frame) {
        double power = 0;
        for (int j = 0; j < Frame; ++j)
            power += double(s[k + std::size_t(j)]) * s[k + std::size_t(j)];
        db.push_back(10 * std::log10(power / Frame + 1e-12));
    }
    if (db.empty())
        return {};
    std::vector<double> sorted = db;
    std::sort(sorted.begin(), sorted.end());
    const double threshold = std::max(sorted[sorted.size() / 10] + overFloorDb, -50.0);
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < int(db.size());) {
        int j = i;
        while (j < int(db.size()) && db[std::size_t(j)] > threshold)
            ++j;
        if (j - i >= 5)
            runs.push_back({i, j});
        i = std::max(j, i + 1);
    }
    if (runs.empty())
        return {};
    Spoken out;
    const std::size_t first = std::size_t(runs.front().first) * Frame;
    const std::size_t last = std::size_t(runs.back().second) * Frame;
    out.samples.assign(s.begin() + std::ptrdiff_t(first), s.begin() + std::ptrdiff_t(last));
    for (std::size_t r = 1; r < runs.size(); ++r) {
        const double a = (runs[r - 1].second - runs.front().first) / 100.0;
        const double b = (runs[r].first - runs.front().first) / 100.0;
        if (b - a >= 0.1)
            out.pauses.push_back({a, b});
    }
    return out;
}

struct BriskScore {
    int found = 0, missed = 0, extra = 0, split = 0, splitAtComma = 0;
    double worstMs = 0.0;
};

// A spoken sentence is found when the found sentences over it hold no other
// one: one swallowing two finds neither. Boundary errors are of the found
// ones. A boundary between two found sentences on a pause inside a spoken one
// splits it at a comma (or a breath).
BriskScore briskScore(const QList<Sentence> &got, const std::vector<Truth> &truth,
                      const std::vector<std::vector<Truth>> &pauses)
{
    BriskScore sc;
    const auto overlaps = [](const Sentence &s, const Truth &t) {
        return s.end > t.start && s.start < t.end;
    };
    for (const Sentence &s : got) {
        if (std::none_of(truth.begin(), truth.end(),
                         [&](const Truth &t) { return overlaps(s, t); }))
            ++sc.extra;
    }
    for (std::size_t t = 0; t < truth.size(); ++t) {
        QList<qsizetype> over;
        bool alone = true;
        for (qsizetype i = 0; i < got.size(); ++i) {
            if (!overlaps(got[i], truth[t]))
                continue;
            over.append(i);
            for (std::size_t u = 0; u < truth.size(); ++u)
                alone = alone && (u == t || !overlaps(got[i], truth[u]));
        }
        if (over.isEmpty() || !alone) {
            ++sc.missed;
            continue;
        }
        ++sc.found;
        if (over.size() > 1)
            ++sc.split;
        sc.worstMs =
            std::max({sc.worstMs, std::abs(got[over.first()].start - truth[t].start) * 1000,
                      std::abs(got[over.last()].end - truth[t].end) * 1000});
    }
    for (qsizetype i = 1; i < got.size(); ++i) {
        const double boundary = (got[i - 1].end + got[i].start) / 2;
        for (std::size_t t = 0; t < truth.size(); ++t) {
            const bool onPause =
                std::any_of(pauses[t].begin(), pauses[t].end(), [&](const Truth &p) {
                    return boundary > truth[t].start + p.start - 0.1
                           && boundary < truth[t].start + p.end + 0.1;
                });
            if (onPause)
                ++sc.splitAtComma;
        }
    }
    return sc;
}

// Sentences one after another, 0.28-0.45 s apart (or within the given
// range), over white noise and a floor of their own.
struct BriskRecording {
    std::vector<float> mix;
    std::vector<Truth> truth;
    std::vector<std::vector<Truth>> pauses;
};

BriskRecording briskRecording(const std::vector<Spoken> &sentences, double noiseDb, double floorRms,
                              double shortestGap, unsigned seed)
{
    BriskRecording rec;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> gap(shortestGap, 0.45);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const auto silence = [&](double seconds) {
        rec.mix.insert(rec.mix.end(), std::size_t(seconds * Rate), 0.0f);
    };
    double power = 0;
    std::size_t count = 0;
    silence(0.6);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (i > 0)
            silence(gap(random));
        const Spoken &s = sentences[i];
        rec.truth.push_back(
            {double(rec.mix.size()) / Rate, double(rec.mix.size() + s.samples.size()) / Rate});
        rec.pauses.push_back(s.pauses);
        rec.mix.insert(rec.mix.end(), s.samples.begin(), s.samples.end());
        for (float v : s.samples)
            power += double(v) * v;
        count += s.samples.size();
    }
    silence(0.5);
    const double speechRms = std::sqrt(power / double(std::max<std::size_t>(count, 1)));
    const double noise =
        std::hypot(noiseDb > -200 ? speechRms * std::pow(10.0, noiseDb / 20) : 0.0, floorRms);
    for (float &v : rec.mix)
        v = float(v + noise * gauss(random));
    return rec;
}

void briskAccuracy(const QString &dir)
{
    const BriskVoice voices[] = {
        {"us_clean", "en-us", 170, -300},
        {"scottish_noise_35db", "en-gb-scotland", 160, -35},
        {"female_noise_30db", "en-us+f3", 180, -30},
        {"caribbean_noise_25db", "en-029", 175, -25},
        {"rp_noise_40db", "en-gb-x-rp", 165, -40},
    };
    constexpr int PerVoice = 8;
    std::vector<std::pair<QString, BriskRecording>> recordings;
    for (int v = 0; v < int(std::size(voices)); ++v) {
        std::vector<Spoken> spoken;
        for (int k = 0; k < PerVoice; ++k) {
            const int t = (v * 3 + k) % int(std::size(BriskTexts));
            const QString wav = dir + QStringLiteral("/brisk%1_%2.wav").arg(v).arg(k);
            if (!run(QStringLiteral("espeak-ng"),
                     {QStringLiteral("-v"), QLatin1String(voices[v].voice), QStringLiteral("-s"),
                      QString::number(voices[v].wordsPerMinute), QStringLiteral("-w"), wav,
                      QString::fromUtf8(BriskTexts[t])}))
                return;
            spoken.push_back(trimmed(load(wav)));
            if (spoken.back().samples.empty())
                return;
        }
        recordings.emplace_back(QLatin1String(voices[v].name),
                                briskRecording(spoken, voices[v].noiseDb, 0.0, 0.28, 11u + v));
    }
    // Read speech, if the test data is installed: its own floor fills the
    // shortened pauses.
    const QDir readSpeech(QStringLiteral("/usr/share/pocketsphinx/test/data/librivox"));
    const QStringList files =
        readSpeech.entryList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name);
    if (!files.isEmpty()) {
        std::vector<Spoken> spoken;
        double floorPower = 0;
        for (const QString &file : files) {
            const std::vector<float> s = load(readSpeech.filePath(file));
            // Breaths and lip noise rise some 10 dB over this recording's floor.
            spoken.push_back(trimmed(s, 15));
            // The floor: the quietest tenth of the file's 10 ms frames.
            std::vector<double> frames;
            for (std::size_t k = 0; k + Rate / 100 <= s.size(); k += Rate / 100) {
                double p = 0;
                for (std::size_t j = k; j < k + Rate / 100; ++j)
                    p += double(s[j]) * s[j];
                frames.push_back(p / (Rate / 100));
            }
            std::sort(frames.begin(), frames.end());
            floorPower += frames.empty() ? 0.0 : frames[frames.size() / 10];
        }
        recordings.emplace_back(
            QStringLiteral("read_speech"),
            briskRecording(spoken, -300, std::sqrt(floorPower / double(files.size())), 0.35, 5u));
    } else {
        std::fprintf(stderr, "no read speech: install pocketsphinx-testdata\n");
    }

    BriskScore total;
    int expected = 0;
    for (const auto &[name, rec] : recordings) {
        const QString path = dir + QStringLiteral("/brisk_%1.wav").arg(name);
        if (!writeWav(path, rec.mix))
            return;
        const DecodeResult decoded = decodeEnvelope(path);
        if (!decoded.envelope) {
            std::fprintf(stderr, "decode failed: %s\n", qPrintable(decoded.error));
            return;
        }
        const BriskScore sc = briskScore(detectSentences(*decoded.envelope), rec.truth, rec.pauses);
        const QByteArray n = QByteArray("brisk_") + name.toUtf8();
        std::printf("%s_found %d count\n%s_extra %d count\n%s_split_at_comma %d count\n"
                    "%s_boundary_error_max_ms %.0f ms\n",
                    n.constData(), sc.found, n.constData(), sc.extra, n.constData(),
                    sc.splitAtComma, n.constData(), sc.worstMs);
        expected += int(rec.truth.size());
        total.found += sc.found;
        total.missed += sc.missed;
        total.extra += sc.extra;
        total.split += sc.split;
        total.splitAtComma += sc.splitAtComma;
        total.worstMs = std::max(total.worstMs, sc.worstMs);
    }
    std::printf("brisk_expected %d count\nbrisk_found %d count\nbrisk_missed %d count\n"
                "brisk_extra %d count\nbrisk_split %d count\nbrisk_split_at_comma %d count\n"
                "brisk_boundary_error_max_ms %.0f ms\n",
                expected, total.found, total.missed, total.extra, total.split, total.splitAtComma,
                total.worstMs);
    std::fflush(stdout);
}

// A 60-minute mp3 made once from the spoken sentences and kept in /tmp.
QString longRecording(const QString &dir)
{
    const QString cached = QDir::tempPath() + QStringLiteral("/quillmar_bench_60min.mp3");
    if (QFileInfo(cached).size() > 0)
        return cached;
    const QString clean = dir + QStringLiteral("/clean.wav");
    const QString partial = cached + QStringLiteral(".part.mp3");
    if (!run(QStringLiteral("ffmpeg"),
             {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
              QStringLiteral("-y"), QStringLiteral("-stream_loop"), QStringLiteral("-1"),
              QStringLiteral("-i"), clean, QStringLiteral("-t"), QStringLiteral("3600"),
              QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-ac"),
              QStringLiteral("2"), QStringLiteral("-b:a"), QStringLiteral("128k"), partial})
        || !QFile::rename(partial, cached))
        return {};
    return cached;
}

void speed(const QString &dir)
{
    const QString mp3 = longRecording(dir);
    if (mp3.isEmpty())
        return;
    QElapsedTimer timer;
    timer.start();
    const AnalysisOutcome outcome = analyseRecording(mp3);
    const double analysisMs = double(timer.nsecsElapsed()) / 1e6;
    if (!outcome.ok) {
        std::fprintf(stderr, "analysis failed: %s\n", qPrintable(outcome.error));
        return;
    }
    // FFmpeg's decoder alone, to the same mono 8 kHz float samples, on one thread.
    timer.restart();
    if (!run(QStringLiteral("ffmpeg"),
             {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
              QStringLiteral("-threads"), QStringLiteral("1"), QStringLiteral("-i"), mp3,
              QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-ar"),
              QStringLiteral("8000"), QStringLiteral("-f"), QStringLiteral("f32le"),
              QStringLiteral("-y"), QStringLiteral("/dev/null")}))
        return;
    const double decodeMs = double(timer.nsecsElapsed()) / 1e6;
    const Envelope &envelope = *outcome.result.envelope;
    std::printf("recording_minutes %.1f min\n", envelope.duration / 60);
    std::printf("analysis_ms %.0f ms\ndecode_only_ms %.0f ms\nanalysis_ratio %.2f x\n", analysisMs,
                decodeMs, analysisMs / decodeMs);
    timer.restart();
    const QList<Sentence> sentences = detectSentences(envelope);
    std::printf("detect_ms %.1f ms\nsentences_60min %lld count\n",
                double(timer.nsecsElapsed()) / 1e6, static_cast<long long>(sentences.size()));
    std::printf("envelope_bytes %zu bytes\n", envelope.bytes());

    WaveformView view;
    view.resize(1920, 64);
    view.setAnalysis(outcome.result);
    view.setLoopRegion(600, 605);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&image);
    // A resize or a new envelope redraws the strip from the envelope.
    constexpr int Rebuilds = 20;
    timer.restart();
    for (int i = 0; i < Rebuilds; ++i) {
        view.resize(1920 - (i % 2), 64);
        view.render(&image);
    }
    std::printf("waveform_rebuild_ms %.2f ms\n", double(timer.nsecsElapsed()) / 1e6 / Rebuilds);
    view.resize(1920, 64);
    view.render(&image);
    constexpr int Repaints = 200;
    timer.restart();
    for (int i = 0; i < Repaints; ++i) {
        view.setPosition(10.0 * i);
        view.render(&image);
    }
    std::printf("waveform_repaint_ms %.3f ms\n", double(timer.nsecsElapsed()) / 1e6 / Repaints);
}

// Milliseconds from starting an analysis as the window does to the first
// sentences found; with `all`, to the first report that holds every sentence.
double msToSentences(const QString &recording, const QString &cacheFolder, bool all)
{
    SentenceAnalysis analysis;
    analysis.setCacheFolder(cacheFolder);
    QEventLoop loop;
    QElapsedTimer timer;
    double ms = -1.0;
    qsizetype expected = -1;
    if (all) {
        const AnalysisCache cache(cacheFolder);
        if (const auto cached = cache.load(recording))
            expected = cached->sentences.size();
    }
    const auto seen = [&](const SentenceResult &result) {
        if (ms < 0 && !result.sentences.isEmpty()
            && (!all || result.sentences.size() == expected)) {
            ms = double(timer.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    };
    QObject::connect(&analysis, &SentenceAnalysis::sentencesFound, &loop, seen);
    QObject::connect(&analysis, &SentenceAnalysis::finished, &loop, [&](const SentenceResult &r) {
        seen(r);
        loop.quit();
    });
    QObject::connect(&analysis, &SentenceAnalysis::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    timer.start();
    analysis.start(recording);
    loop.exec();
    return ms;
}

// The first sentences of a 60-minute mp3 while it is analysed for the first time.
void firstSentences(const QString &dir)
{
    const QString mp3 = longRecording(dir);
    if (mp3.isEmpty())
        return;
    QTemporaryDir cache;
    std::printf("first_sentences_ms %.0f ms\n", msToSentences(mp3, cache.path(), false));
    std::fflush(stdout);
}

// All its sentences when it is opened again, from the cache of analyses.
void reopenSentences(const QString &dir)
{
    const QString mp3 = longRecording(dir);
    if (mp3.isEmpty())
        return;
    QTemporaryDir cache;
    msToSentences(mp3, cache.path(), true); // the first opening fills the cache
    std::printf("reopen_sentences_ms %.1f ms\n", msToSentences(mp3, cache.path(), true));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QStringList parts = app.arguments().mid(1);
    const auto wanted = [&parts](const char *part) {
        return parts.isEmpty() || parts.contains(QLatin1String(part));
    };
    if (wanted("accuracy"))
        accuracy(dir.path());
    if (wanted("brisk"))
        briskAccuracy(dir.path());
    if (wanted("speed"))
        speed(dir.path());
    if (wanted("first"))
        firstSentences(dir.path());
    if (wanted("reopen"))
        reopenSentences(dir.path());
    return 0;
}
