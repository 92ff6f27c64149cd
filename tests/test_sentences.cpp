// Sentences of a recording: pause detection on generated envelopes, subtitle
// files, navigation, decoding, the worker, the command line and the strip.
#include "sentences/audiodecoder.h"
#include "sentences/printsentences.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/sentencedetector.h"
#include "sentences/sentencenavigation.h"
#include "sentences/subtitles.h"
#include "sentences/waveformview.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include <QDataStream>
#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
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
            const double db = p.db <= -200 ? -400 : std::min(clipDb, p.db + gainDb + p.spreadDb * unit(random));
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
            samples.append(on ? qint16(10000 * std::sin(2 * std::numbers::pi * 300 * i / 8000.0)) : qint16(i % 3 - 1));
        on = !on;
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto bytes = quint32(samples.size() * 2);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    for (qint16 v : samples)
        out << v;
}

} // namespace

TEST(SentenceDetector, FindsSentencesInGeneratedRecordings)
{
    struct Row {
        const char *name;
        Envelope envelope;
        QList<double> starts; // where each sentence's sound begins
        QList<double> ends;
    };
    const QList<Piece> bed{{1.0, -70}};
    const QList<Piece> pause{{0.8, -70}};
    // Sentences sound from 1.0 to 2.45, 3.25 to 5.3 and 6.0 to 6.85 s.
    const auto threeSentences = [&](const std::function<QList<Piece>(double)> &gap) {
        return gap(1.0) + words(5, -20) + gap(0.8) + words(7, -20) + gap(0.7) + words(3, -20) + gap(1.0);
    };
    const auto noise = [](double db) {
        return [db](double seconds) { return QList<Piece>{{seconds, db, 1.5}}; };
    };
    const QList<double> starts{1.0, 3.25, 6.0};
    const QList<double> ends{2.45, 5.3, 6.85};
    const Row rows[] = {
        {"digital silence", envelopeOf({{5.0, -300}}), {}, {}},
        {"steady noise only", envelopeOf({{30.0, -45, 1.5}}), {}, {}},
        {"music bed only, no endless sentence", envelopeOf(music(60.0, -30)), {}, {}},
        {"speech over noise", envelopeOf(threeSentences(noise(-55))), starts, ends},
        {"loud recording", envelopeOf(threeSentences(noise(-55)), +15), starts, ends},
        {"very quiet recording", envelopeOf(threeSentences(noise(-55)), -30), starts, ends},
        {"noise 14 dB under speech", envelopeOf(threeSentences(noise(-34))), starts, ends},
        {"clipped", envelopeOf(threeSentences(noise(-40)), +22, -1.0), starts, ends},
        {"music bed under speech", envelopeOf(threeSentences([](double s) { return music(s, -38); })), starts, ends},
        {"comma breath stays inside", envelopeOf(bed + words(4, -20) + QList<Piece>{{0.25, -70}} + words(4, -20) + bed),
         {1.0}, {3.55}},
        {"a click is no sentence", envelopeOf(bed + QList<Piece>{{0.05, -10}} + pause + words(3, -20) + bed), {1.85},
         {2.70}},
        {"shorter than the padding", envelopeOf({{0.04, -20}}), {}, {}},
    };
    for (const Row &row : rows) {
        const QList<Sentence> got = detectSentences(row.envelope);
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
