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
#include <QDeadlineTimer>
#include <QFile>
#include <QFutureWatcher>
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
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto bytes = quint32(samples.size() * 2);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
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
        return gap(1.0) + words(5, -20) + gap(0.8) + words(7, -20) + gap(0.7) + words(3, -20)
               + gap(1.0);
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

TEST(Subtitles, ReadsTheThreeFormats)
{
    struct Row {
        const char *name;
        SubtitleFormat format;
        QByteArray bytes;
        double duration;
        QList<Sentence> expected;
        int malformed;
    };
    const auto gb18030 = [](const char *utf8) {
        QStringEncoder encoder("GB18030");
        return QByteArray(encoder.encode(QString::fromUtf8(utf8)));
    };
    const Row rows[] = {
        {"srt with BOM, CRLF and markup",
         SubtitleFormat::Srt,
         "\xEF\xBB\xBF"
         "1\r\n00:00:01,000 --> 00:00:02,500\r\n<i>Hello</i>,\r\nworld &amp; you\r\n\r\n"
         "2\r\n00:00:03,000 --> 00:00:04,000\r\n{\\an8}再见\r\n",
         10,
         {{1.0, 2.5, "Hello, world & you"}, {3.0, 4.0, QString::fromUtf8("再见")}},
         0},
        {"srt malformed cues skipped and counted",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 -> 00:00:02,000\nno arrow\n\n2\n00:00:05,000 --> "
         "00:00:04,000\nbackwards\n\n"
         "3\n00:00:06,000 --> 00:00:07,000\nkept\n\njust text\n\n4\n00:00:08,000 --> "
         "00:00:09,000\n",
         10,
         {{6.0, 7.0, "kept"}},
         3},
        {"srt unordered and overlapping cues sorted and clipped",
         SubtitleFormat::Srt,
         "2\n00:00:05,000 --> 00:00:08,000\nsecond\n\n1\n00:00:01,000 --> 00:00:06,000\nfirst\n",
         10,
         {{1.0, 5.0, "first"}, {5.0, 8.0, "second"}},
         0},
        {"srt cues past the end dropped, last cut",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 --> 00:00:06,000\na\n\n2\n00:00:07,000 --> 00:00:09,000\nb\n",
         5,
         {{1.0, 5.0, "a"}},
         0},
        {"srt in GB18030",
         SubtitleFormat::Srt,
         gb18030("1\n00:00:01,000 --> 00:00:02,000\n你好，世界\n"),
         10,
         {{1.0, 2.0, QString::fromUtf8("你好，世界")}},
         0},
        {"vtt header, notes, settings, identifiers, no hours",
         SubtitleFormat::Vtt,
         "WEBVTT - demo\n\nNOTE a comment\nover two lines\n\nSTYLE\n::cue { color: red }\n\n"
         "intro\n00:01.000 --> 00:02.000 align:start line:0\n<v Anna>Hi</v> <c.loud>there</c>\n\n"
         "01:00:00.500 --> 01:00:01.000\nlate\n\n00:03.0 --> 00:04.000\nbad stamp\n",
         4000,
         {{1.0, 2.0, "Hi there"}, {3600.5, 3601.0, "late"}},
         1},
        {"lrc with metadata, several stamps, offset and an end mark",
         SubtitleFormat::Lrc,
         "[ar:Someone]\n[ti:Song]\n[offset:500]\n[00:01.50][00:09.50]chorus\n[00:04.00]verse\n"
         "[00:07.00]\nno stamp here\n[xx:yy]broken\n[00:12.00]last line\n",
         20,
         {{1.0, 3.5, "chorus"},
          {3.5, 6.5, "verse"},
          {9.0, 11.5, "chorus"},
          {11.5, 20.0, "last line"}},
         2},
        {"lrc past the end of the recording",
         SubtitleFormat::Lrc,
         "[00:01.00]one\n[00:30.00]two\n",
         10,
         {{1.0, 10.0, "one"}},
         0},
    };
    for (const Row &row : rows) {
        const SubtitleCues got = parseSubtitles(row.bytes, row.format, row.duration);
        EXPECT_EQ(got.malformed, row.malformed) << row.name;
        ASSERT_EQ(got.cues.size(), row.expected.size()) << row.name;
        for (qsizetype i = 0; i < got.cues.size(); ++i) {
            EXPECT_NEAR(got.cues[i].start, row.expected[i].start, 1e-9) << row.name << " #" << i;
            EXPECT_NEAR(got.cues[i].end, row.expected[i].end, 1e-9) << row.name << " #" << i;
            EXPECT_EQ(got.cues[i].text, row.expected[i].text) << row.name << " #" << i;
        }
    }
}

TEST(Subtitles, FindsTheFileBesideTheRecording)
{
    struct Row {
        const char *recording;
        QStringList others;
        const char *expected; // empty: none
    };
    const Row rows[] = {
        {"talk.mp3", {"talk.srt", "talk.vtt", "talk.lrc"}, "talk.srt"},
        {"talk.mp3", {"talk.lrc", "talk.VTT"}, "talk.VTT"},
        {"song [live].mp3", {"song [live].lrc", "song x.lrc"}, "song [live].lrc"},
        {"talk.mp3", {"talk.en.srt", "other.srt", "talk.txt"}, ""},
        {"lesson.1.wav", {"lesson.1.lrc", "lesson.srt"}, "lesson.1.lrc"},
    };
    for (const Row &row : rows) {
        QTemporaryDir dir;
        putFile(dir.filePath(QString::fromUtf8(row.recording)), "x");
        for (const QString &other : row.others)
            putFile(dir.filePath(other), "x");
        const QString got = subtitleFileFor(dir.filePath(QString::fromUtf8(row.recording)));
        const QString expected =
            *row.expected ? dir.filePath(QString::fromUtf8(row.expected)) : QString();
        EXPECT_EQ(got, expected) << row.recording;
    }
}

TEST(SentenceNavigation, CurrentNextPreviousAndLabel)
{
    const QList<Sentence> list{{1.0, 2.0, {}}, {3.0, 4.5, {}}, {6.0, 7.0, {}}};
    struct Row {
        const char *name;
        PlayPlace place;
        int current, next, previous;
    };
    const Row rows[] = {
        {"loop on a sentence", {3.0, 4.5, 0.2}, 1, 2, 0},
        {"loop on the first", {1.0, 2.0, 6.5}, 0, 1, -1},
        {"loop on the last", {6.0, 7.0, 1.5}, 2, -1, 1},
        {"no loop, playing inside", {-1, -1, 3.2}, 1, 2, 0},
        {"no loop, in a pause", {-1, -1, 2.5}, -1, 1, 0},
        {"own loop, position decides", {2.2, 2.8, 6.2}, 2, -1, 1},
        {"before the first", {-1, -1, 0.5}, -1, 0, -1},
        {"after the last", {-1, -1, 8.0}, -1, -1, 2},
        {"nothing known", {-1, -1, -1}, -1, 0, -1},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(currentSentence(list, row.place), row.current) << row.name;
        EXPECT_EQ(repeatSentence(list, row.place), row.current) << row.name;
        EXPECT_EQ(nextSentence(list, row.place), row.next) << row.name;
        EXPECT_EQ(previousSentence(list, row.place), row.previous) << row.name;
    }
    EXPECT_EQ(nextSentence({}, {-1, -1, 3.0}), -1);
    EXPECT_EQ(sentenceLabel(2, 27), QString::fromUtf8("第 3/27 句"));
    EXPECT_EQ(sentenceLabel(-1, 27), QString());
    EXPECT_EQ(sentenceLabel(0, 0), QString());
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
            "1\n00:00:00,500 --> 00:00:01,250\n你好\n\nbroken\n\n2\n00:00:02,000 --> "
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
