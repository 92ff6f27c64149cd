// A recording's text aligned to its speech: the text's units, the features,
// the warp, the boundaries carried over and moved into pauses, and whole
// alignments against speech the aligner did not make (a reader's recording
// and another synthesizer's voice, with noise).
#include "align/aligner.h"
#include "align/alignrecording.h"
#include "align/features.h"
#include "align/speechsynth.h"
#include "align/textunits.h"
#include "align/transcriptaligner.h"
#include "align/warp.h"
#include "learner/sentenceprogress.h"
#include "lesson/lesson.h"
#include "sentences/analysiscache.h"
#include "support/buildpaths.h"
#include "support/joinedspeech.h"
#include "support/testutil.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include <gtest/gtest.h>

namespace {

QStringList texts(const QList<TextUnit> &units)
{
    QStringList out;
    for (const TextUnit &u : units)
        out.append(u.text);
    return out;
}

TEST(TextUnits, FollowTheLayoutOfTheText)
{
    const struct {
        const char *name;
        const char *text;
        QStringList units;
    } rows[] = {
        {"a paragraph a line",
         "It rained. We stayed in! Did you?\nThe next day was fine.",
         {"It rained.", "We stayed in!", "Did you?", "The next day was fine."}},
        {"prose wrapped mid-sentence",
         "The river rose all night and by the\nmorning the bridge was gone. Nobody\ncame.",
         {"The river rose all night and by the morning the bridge was gone.", "Nobody came."}},
        {"a title before prose",
         "Chapter One\n\nIt was late. She slept.",
         {"Chapter One", "It was late.", "She slept."}},
        {"verse, a line each",
         "Twinkle, twinkle, little star,\nHow I wonder what you are!\nUp above the world so high,",
         {"Twinkle, twinkle, little star,", "How I wonder what you are!",
          "Up above the world so high,"}},
        {"a dialogue, a turn a line",
         "Anna: Where were you?\nBen: At home\nAnna: Why",
         {"Anna: Where were you?", "Ben: At home", "Anna: Why"}},
        {"closing quotes and brackets stay",
         "He said \"Stop.\" Then (after a while.) she left.",
         {"He said \"Stop.\"", "Then (after a while.)", "she left."}},
        {"abbreviations and numbers",
         "Mr. Smith paid 3.50 dollars. Dr. J. Lee agreed.",
         {"Mr. Smith paid 3.50 dollars.", "Dr. J. Lee agreed."}},
        {"Chinese punctuation",
         "今天下雨了。你去吗？“去！”他说。",
         {"今天下雨了。", "你去吗？", "“去！”", "他说。"}},
        {"Chinese wrapped at a fixed width",
         "我们在山脚下等了很久，直到太阳落山以后才开\n始往回走。路上没有人。",
         {"我们在山脚下等了很久，直到太阳落山以后才开始往回走。", "路上没有人。"}},
        {"CR LF line ends", "One.\r\nTwo.\r\n", {"One.", "Two."}},
        {"nothing but blanks", " \n\t\n", {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(texts(textUnits(QString::fromUtf8(row.text))), row.units) << row.name;
}

TEST(TextUnits, PositionsPointIntoTheTranscript)
{
    const QString text = QStringLiteral("  First one. Second\none.\n\nThird.");
    for (const TextUnit &u : textUnits(text))
        EXPECT_EQ(text.mid(u.position, 5), u.text.left(5)) << u.text.toStdString();
}

TEST(TextUnits, ALongUnitSplitsAtTheClauseNearestTheMiddle)
{
    const struct {
        const char *text;
        const char *first; // the text before the split; null when none
    } rows[] = {
        {"When the rain stopped, we walked home, tired and wet, and slept.",
         "When the rain stopped, we walked home,"},
        {"我们等了很久，太阳落山以后，才往回走。", "我们等了很久，"},
        {"It cost 1,000 dollars and took 3:15 hours", nullptr},
        {"No punctuation here at all", nullptr},
        {"Ends with a comma,", nullptr},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        const qsizetype at = clauseSplitNearMiddle(text);
        if (!row.first)
            EXPECT_EQ(at, -1) << row.text;
        else
            EXPECT_EQ(text.left(at).trimmed(), QString::fromUtf8(row.first)) << row.text;
    }
}

std::vector<float> tone(double hz, double seconds, int rate)
{
    std::vector<float> out(std::size_t(seconds * rate));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = 0.3f * float(std::sin(2 * std::numbers::pi * hz * double(i) / rate));
    return out;
}

// Half a second of one tone, half a second of another, and again.
std::vector<float> alternating(double hzA, double hzB, int rate)
{
    std::vector<float> out;
    for (int k = 0; k < 4; ++k) {
        const std::vector<float> part = tone(k % 2 ? hzB : hzA, 0.5, rate);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

TEST(Features, DoNotDependOnTheSampleRate)
{
    // The synthesis and the recording come at different rates; normalised,
    // the same sound matches itself across them rather than another sound.
    for (const auto &[hzA, hzB] : {std::pair{300.0, 1200.0}, std::pair{800.0, 3500.0}}) {
        const std::vector<float> a = alternating(hzA, hzB, 16000);
        const std::vector<float> b = alternating(hzA, hzB, 22050);
        Features fa = extractFeatures(a.data(), a.size(), 16000);
        Features fb = extractFeatures(b.data(), b.size(), 22050);
        ASSERT_EQ(fa.frames(), fb.frames()) << hzA;
        // Two seconds at 40 ms steps with 100 ms windows.
        EXPECT_NEAR(fa.frames(), 49, 1);
        EXPECT_EQ(fa.width, 13);
        normalizeFeatures(fa);
        normalizeFeatures(fb);
        // Frame 5 is inside the first tone, frame 18 inside the second.
        EXPECT_LT(frameDistance(fa.frame(5), fb.frame(5), 13) * 2,
                  frameDistance(fa.frame(5), fb.frame(18), 13))
            << hzA;
        EXPECT_LT(frameDistance(fa.frame(18), fb.frame(18), 13) * 2,
                  frameDistance(fa.frame(18), fb.frame(5), 13))
            << hzB;
    }
}

TEST(Features, ComeTheSameInPiecesAsInOne)
{
    const std::vector<float> a = tone(700.0, 2.0, 16000);
    const Features whole = extractFeatures(a.data(), a.size(), 16000);
    FeatureExtractor pieces(16000);
    for (std::size_t at = 0; at < a.size(); at += 777)
        pieces.add(a.data() + at, std::min<std::size_t>(777, a.size() - at));
    EXPECT_EQ(pieces.take().values, whole.values);
}

// A sequence of distinct frames, one per letter.
Features sequence(const std::string &letters)
{
    Features f;
    f.width = 2;
    for (char c : letters) {
        f.values.push_back(float(c - 'a'));
        f.values.push_back(float((c - 'a') * (c - 'a') % 7));
    }
    return f;
}

TEST(Warp, FindsTheStretchedAndShiftedCopy)
{
    const struct {
        const char *a;
        const char *b;
        std::vector<int> firstColumn;
    } rows[] = {
        {"abcd", "abcd", {0, 1, 2, 3}},
        {"abcd", "aabbbcdd", {0, 2, 5, 6}},
        // What the recording holds before and after the text is left out.
        {"cdef", "xyzcddefzyx", {3, 4, 6, 7}},
        {"abcdefgh", "aabcdddefggh", {0, 2, 3, 4, 7, 8, 9, 11}},
        // What the text holds past the recording's end, or before its start,
        // keeps the column where the path ends or starts.
        {"abcdwxyz", "abcd", {0, 1, 2, 3, 3, 3, 3, 3}},
        {"wxyzabcd", "abcd", {0, 0, 0, 0, 0, 1, 2, 3}},
    };
    for (const auto &row : rows) {
        const Features a = sequence(row.a);
        const Features b = sequence(row.b);
        const WarpPath p = warp(a, b, fullBand(a.frames(), b.frames()), 3.0f);
        ASSERT_TRUE(p.found) << row.b;
        EXPECT_EQ(p.firstColumn, row.firstColumn) << row.a << " in " << row.b;
    }
}

TEST(Warp, KeepsInsideItsBand)
{
    const Features a = sequence("abcdefghij");
    const Features b = sequence("abcdefghijabcdefghij");
    const WarpBand band = diagonalBand(a.frames(), b.frames(), 2);
    const WarpPath p = warp(a, b, band, 100.0f);
    ASSERT_TRUE(p.found);
    for (int i = 0; i < a.frames(); ++i) {
        EXPECT_GE(p.firstColumn[std::size_t(i)], band.first[std::size_t(i)]);
        EXPECT_LT(p.lastColumn[std::size_t(i)], band.last[std::size_t(i)]);
    }
    EXPECT_LT(band.cells(), (long long)a.frames() * b.frames() / 2);
}

TEST(Boundaries, MoveIntoThePauses)
{
    const std::vector<SpeechPiece> pieces = {{1.0, 2.0}, {2.2, 3.5}, {4.5, 6.0}};
    const struct {
        double t;
        double start;
        double end;
    } rows[] = {
        {0.5, 1.0, 0.5},  // before any sound: starts with it
        {1.1, 1.0, 1.1},  // inside a word: to its start, or kept as an end
        {1.95, 2.2, 2.0}, // near a word's end
        {2.1, 2.2, 2.0},  // in a short pause
        {4.0, 4.5, 3.5},  // in a long pause: the sound after, the sound before
        {5.2, 5.2, 5.2},  // mid-word, no pause within reach
        {6.5, 6.5, 6.0},  // after the last sound
    };
    for (const auto &row : rows) {
        EXPECT_DOUBLE_EQ(snapStart(row.t, pieces, 0.3), row.start) << row.t;
        EXPECT_DOUBLE_EQ(snapEnd(row.t, pieces, 0.3), row.end) << row.t;
    }
}

TEST(Boundaries, CarryOverThePath)
{
    const std::vector<int> firstColumn = {0, 2, 4, 10, 11};
    EXPECT_DOUBLE_EQ(carryOver(0.0, firstColumn, 0.04), 0.0);
    EXPECT_DOUBLE_EQ(carryOver(0.08, firstColumn, 0.04), 0.16);
    EXPECT_NEAR(carryOver(0.10, firstColumn, 0.04), 0.28, 1e-9); // halfway between rows
    EXPECT_DOUBLE_EQ(carryOver(9.0, firstColumn, 0.04), 0.44);   // past the end: the last
}

AlignedSentence sentenceWithWords(const QString &text, double start, double end)
{
    AlignedSentence s;
    s.text = text;
    s.start = start;
    s.end = end;
    s.fromText = true;
    const QStringList words = text.split(QLatin1Char(' '));
    qsizetype at = 0;
    const double each = (end - start) / double(words.size());
    for (int k = 0; k < words.size(); ++k) {
        s.words.append({at, words[k].size(), start + k * each, start + (k + 1) * each});
        at += words[k].size() + 1;
    }
    return s;
}

TEST(Boundaries, LongSentencesSplitAtAClauseOrTheLongestPause)
{
    const AlignedSentence punctuated =
        sentenceWithWords(QStringLiteral("one two three four, five six seven eight"), 0.0, 12.0);
    QList<AlignedSentence> parts = splitLong(punctuated, {}, 8.0);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].text, QStringLiteral("one two three four,"));
    EXPECT_EQ(parts[1].text, QStringLiteral("five six seven eight"));
    EXPECT_DOUBLE_EQ(parts[0].end, parts[1].start);
    EXPECT_EQ(parts[1].words.size(), 4);
    EXPECT_EQ(parts[1].words[0].position, 0);

    // No punctuation: at the longest pause between words (here before "six").
    const AlignedSentence bare =
        sentenceWithWords(QStringLiteral("one two three four five six seven eight"), 0.0, 12.0);
    const std::vector<SpeechPiece> pieces = {{0.0, 2.9}, {3.1, 7.2}, {7.9, 12.0}};
    parts = splitLong(bare, pieces, 8.0);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].text, QStringLiteral("one two three four five"));
    EXPECT_NEAR(parts[0].end, 7.55, 1e-9);

    EXPECT_EQ(splitLong(bare, pieces, 20.0).size(), 1);
}

TEST(Boundaries, PauseSentencesFillWhatTheTextLeavesUncovered)
{
    const QList<AlignedSentence> aligned = {sentenceWithWords(QStringLiteral("a b"), 2.0, 4.0)};
    const QList<Sentence> pauses = {{0.0, 1.5, {}}, {1.9, 4.1, {}}, {3.8, 6.0, {}}};
    const QList<AlignedSentence> out = fillFromPauses(aligned, pauses);
    ASSERT_EQ(out.size(), 3);
    EXPECT_FALSE(out[0].fromText);
    EXPECT_DOUBLE_EQ(out[0].end, 1.5);
    EXPECT_EQ(out[1].text, QStringLiteral("a b"));
    EXPECT_DOUBLE_EQ(out[2].start, 4.0); // clipped where the text's sentence ends
}

TEST(Synthesis, VoiceFollowsTheLanguageOrTheScript)
{
    const struct {
        const char *language;
        const char *text;
        const char *voice;
    } rows[] = {
        {"en", "Hello there.", "en"},
        {"fr", "Bonjour.", "fr"},
        {"zh", "你好。", "cmn"},
        {"en", "你好。", "cmn"},
        {"ja", "日本語です。", "ja"},
        {"zh", "こんにちは、世界。", "ja"},
        {"zh", "Hello there.", "en"},
        {"en", "Привет.", "ru"},
        {"", "", "en"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(voiceFor(QString::fromUtf8(row.language), QString::fromUtf8(row.text)),
                  QString::fromUtf8(row.voice))
            << row.text;
}

TEST(Synthesis, MarksWhereEachWordStarts)
{
    const QList<TextUnit> units = textUnits(QStringLiteral("Good morning, Anna. 你好！"));
    std::size_t samples = 0;
    const SynthResult r = synthesize(units, QStringLiteral("en"), [&](const float *, int count) {
        samples += std::size_t(count);
    });
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    ASSERT_EQ(r.units.size(), 2);
    const SynthUnit &u = r.units[0];
    ASSERT_EQ(u.words.size(), 3);
    QStringList words;
    for (const SynthWord &w : u.words)
        words.append(units[0].text.mid(w.position, w.length));
    EXPECT_EQ(words, (QStringList{"Good", "morning", "Anna"}));
    EXPECT_LT(u.words[0].start, u.words[1].start);
    EXPECT_LT(u.soundStart, u.soundEnd);
    EXPECT_LE(u.end, r.units[1].start + 1e-9);
    EXPECT_NEAR(r.units[1].end, double(samples) / r.sampleRate, 1e-6);
}

TEST(AlignmentStore, RoundTripsAndRejectsDamage)
{
    Alignment a;
    a.unitsUsed = 2;
    a.unitsDropped = 1;
    a.sentences = {sentenceWithWords(QStringLiteral("He was not ill."), 1.5, 3.25),
                   AlignedSentence{4.0, 5.0, {}, false, false, 0.0f, -1, {}}};
    a.sentences[0].poor = true;
    a.sentences[0].match = 0.25f;
    const QByteArray bytes = serializeAlignment(a);
    const std::optional<Alignment> back = deserializeAlignment(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->sentences, a.sentences);
    EXPECT_EQ(back->unitsDropped, 1);
    EXPECT_FALSE(deserializeAlignment(bytes.left(bytes.size() - 3)));
    EXPECT_FALSE(deserializeAlignment(QByteArray("nonsense")));

    // Kept with the recording, under the text's key; another text or a
    // changed recording finds nothing.
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("r.wav"));
    QFile f(recording);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("some bytes");
    f.close();
    const AnalysisCache cache(dir.filePath(QStringLiteral("cache")));
    const QByteArray key = alignmentKey(QStringLiteral("text"), QStringLiteral("en"));
    ASSERT_TRUE(cache.storeExtra(recording, key, bytes));
    EXPECT_EQ(cache.loadExtra(recording, key), bytes);
    EXPECT_FALSE(cache.loadExtra(
        recording, alignmentKey(QStringLiteral("text edited"), QStringLiteral("en"))));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("more");
    f.close();
    EXPECT_FALSE(cache.loadExtra(recording, key));
}

// ---- whole alignments against speech the aligner did not make ----

bool run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// The reader of the pocketsphinx test data (support/joinedspeech.h).
const QStringList ReaderSentences = readerSentences();

QList<Spoken> readerRecording(const QTemporaryDir &dir, const QString &out)
{
    QString error;
    const QList<Spoken> truth = readerSpeech(dir.path(), out, error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return truth;
}

// Another synthesizer's voice, a sentence at a time.
const QStringList FestivalSentences = {
    "The train leaves at seven every morning.",
    "On Sundays it waits for the bus from the village.",
    "Most passengers sleep until the coast.",
    "Then the sea appears between the hills.",
};

QList<Spoken> festivalRecording(const QTemporaryDir &dir, const QString &out)
{
    QString error;
    const QList<Spoken> truth = voiceSpeech(dir.path(), FestivalSentences, out, 0.01, error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return truth;
}

Alignment align(const QString &recording, const QString &text)
{
    const AlignOutcome outcome =
        alignRecording(recording, text, voiceFor(QStringLiteral("en"), text), QString());
    EXPECT_TRUE(outcome.ok) << outcome.error.toStdString();
    return outcome.alignment;
}

void expectMatches(const Alignment &a, const QList<Spoken> &truth, const char *name)
{
    EXPECT_FALSE(a.refused) << name;
    ASSERT_EQ(a.sentences.size(), truth.size()) << name;
    for (qsizetype k = 0; k < truth.size(); ++k) {
        const AlignedSentence &s = a.sentences[k];
        EXPECT_EQ(s.text, truth[k].text) << name;
        EXPECT_NEAR(s.start, truth[k].start, 0.25) << name << " " << k;
        EXPECT_NEAR(s.end, truth[k].end, 0.25) << name << " " << k;
        EXPECT_FALSE(s.words.isEmpty());
    }
}

TEST(AlignSpeech, AReaderAndAnotherVoiceGetTheirTextsExactly)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    const QList<Spoken> readerTruth = readerRecording(dir, reader);
    // The text wrapped as a book prints it.
    expectMatches(
        align(reader, QStringLiteral(
                          "And Mister John Dashwood had then leisure to consider how much\n"
                          "there might be prudently in his power to do for them. He was not an\n"
                          "ill disposed young man. Unless to be rather cold hearted and rather\n"
                          "selfish is to be ill disposed. Had he married a more amiable woman, he\n"
                          "might have been made still more respectable than he was. He might\n"
                          "even have been made amiable himself.\n")),
        readerTruth, "reader");

    QTemporaryDir other;
    const QString synthetic = other.filePath(QStringLiteral("festival.wav"));
    const QList<Spoken> festivalTruth = festivalRecording(other, synthetic);
    // A sentence a line.
    expectMatches(align(synthetic, FestivalSentences.join(QLatin1Char('\n'))), festivalTruth,
                  "festival");
}

TEST(AlignSpeech, ATextOfOtherSpeechIsRefused)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    readerRecording(dir, reader);
    const struct {
        const char *name;
        const char *text;
    } rows[] = {
        {"a translation",
         "Et monsieur John Dashwood eut alors le loisir de considérer combien il pourrait "
         "raisonnablement faire pour elles. Ce n'était pas un jeune homme mal intentionné. A moins "
         "d'être plutôt froid et plutôt égoïste, c'est être mal intentionné. S'il avait épousé une "
         "femme plus aimable, il aurait pu être rendu encore plus respectable qu'il ne l'était."},
        {"another text",
         "The weather today is sunny with a light breeze from the west. Tomorrow there will be "
         "rain in the northern regions. Temperatures will stay mild through the weekend. Farmers "
         "are hoping for more rain before the harvest begins."},
    };
    for (const auto &row : rows) {
        const Alignment a = align(reader, QString::fromUtf8(row.text));
        EXPECT_TRUE(a.refused) << row.name;
        // The pauses give the sentences then, without text.
        EXPECT_GE(a.sentences.size(), 4) << row.name;
        for (const AlignedSentence &s : a.sentences)
            EXPECT_TRUE(s.text.isEmpty()) << row.name;
        EXPECT_FALSE(TranscriptAligner::statusFor(a).isEmpty());
    }
}

TEST(AlignSpeech, APartialTextIsUsedWhereItMatches)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    const QList<Spoken> truth = readerRecording(dir, reader);
    const Alignment a = align(reader, (ReaderSentences.mid(0, 3)).join(QLatin1Char(' ')));
    ASSERT_FALSE(a.refused);
    int exact = 0;
    for (const AlignedSentence &s : a.sentences) {
        if (s.text.isEmpty())
            continue;
        const qsizetype k = ReaderSentences.indexOf(s.text);
        ASSERT_GE(k, 0) << s.text.toStdString();
        EXPECT_NEAR(s.start, truth[k].start, 0.25) << k;
        EXPECT_NEAR(s.end, truth[k].end, 0.25) << k;
        ++exact;
    }
    EXPECT_GE(exact, 2);
    // The rest of the recording still has its sentences, from the pauses.
    EXPECT_GT(a.sentences.last().end, truth.last().start);
    EXPECT_TRUE(a.sentences.last().text.isEmpty());
}

// Sentences of a long prose text every Debian system has.
QStringList proseSentences(int count)
{
    QFile f(QStringLiteral("/usr/share/common-licenses/GPL-3"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(f.readAll()).simplified();
    QStringList out;
    for (const QString &s : all.split(QRegularExpression(QStringLiteral("(?<=[.?!])\\s+")))) {
        if (s.count(QLatin1Char(' ')) >= 4 && s.size() < 200)
            out.append(s);
        if (out.size() == count)
            break;
    }
    return out;
}

TEST(AlignSpeech, ARecordingOfPartOfALongTextGetsThatPartsSentences)
{
    // A text that runs minutes past the recording, or starts minutes before
    // it: the coarse search must find where the recording lies in the text.
    const QStringList text = proseSentences(45);
    ASSERT_EQ(text.size(), 45);
    const struct {
        const char *name;
        int from;
    } rows[] = {{"the text goes on past the recording", 0},
                {"the recording is from the middle of the text", 8}};
    for (const auto &row : rows) {
        QTemporaryDir dir;
        const QString spoken = dir.filePath(QStringLiteral("spoken.txt"));
        QFile f(spoken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.mid(row.from, 30).join(QLatin1Char('\n')).toUtf8());
        f.close();
        const QString wav = dir.filePath(QStringLiteral("spoken.wav"));
        // Another voice and speed than the aligner's.
        ASSERT_TRUE(run(QStringLiteral("espeak-ng"),
                        {"-v", "en-us+m3", "-s", "165", "-f", spoken, "-w", wav}));
        AlignParams params;
        // As for an hour's recording and its text, at a tenth of the scale.
        params.fullBandCells = 1'000'000;
        params.margin = 10.0;
        const AlignOutcome outcome =
            alignRecording(wav, text.join(QLatin1Char('\n')), voiceFor(QStringLiteral("en"), {}),
                           QString(), {}, params);
        ASSERT_TRUE(outcome.ok) << row.name;
        ASSERT_FALSE(outcome.alignment.refused) << row.name;
        int right = 0;
        int wrong = 0;
        for (const AlignedSentence &s : outcome.alignment.sentences) {
            if (s.text.isEmpty())
                continue;
            // Long sentences come in parts.
            qsizetype k = 0;
            while (k < text.size() && !text[k].contains(s.text))
                ++k;
            const bool spokenHere = k >= row.from && k < row.from + 30;
            (spokenHere ? right : wrong) += 1;
        }
        EXPECT_GE(right, 27) << row.name;
        EXPECT_LE(wrong, 2) << row.name;
    }
}

TEST(AlignSpeech, OnlyASentenceNotAsSpokenIsMarkedUnsure)
{
    // Every sentence of an exact text unmarked, the first, the last and a
    // one-word title too; a unit not as spoken marked, or given no
    // sentence. The table says which alterations are caught in every run;
    // in ten runs 120 of the 180 were.
    QTemporaryDir dir;
    std::map<SpeechSet, QString> recordings;
    for (SpeechSet set : {SpeechSet::Reader, SpeechSet::NoisyReader, SpeechSet::TitledVoice}) {
        const QString file = dir.filePath(QStringLiteral("set%1.wav").arg(int(set)));
        QString error;
        ASSERT_FALSE(speechSet(set, dir.path(), file, error).isEmpty()) << error.toStdString();
        recordings[set] = file;
    }
    int alterations = 0;
    int caught = 0;
    for (const AlteredText &t : alteredTexts()) {
        const Alignment a = align(recordings[t.set], t.units.join(QLatin1Char('\n')));
        ASSERT_FALSE(a.refused) << t.name;
        for (qsizetype u = 0; u < t.units.size(); ++u) {
            const auto found =
                std::find_if(a.sentences.begin(), a.sentences.end(),
                             [&](const AlignedSentence &s) { return s.text == t.units[u]; });
            if (u == t.altered) {
                ++alterations;
                const bool kept = found != a.sentences.end();
                const bool marked = !kept || found->poor;
                caught += marked;
                if (t.caught) {
                    EXPECT_TRUE(marked) << t.name << ": " << found->match;
                }
            } else if (t.altered < 0) {
                ASSERT_NE(found, a.sentences.end()) << t.name << " " << u;
                EXPECT_FALSE(found->poor) << t.name << " " << u << ": " << found->match;
            } else if (std::abs(u - t.altered) > 1 && found != a.sentences.end()) {
                // Only a neighbour may lose some of its speech to it.
                EXPECT_FALSE(found->poor) << t.name << " " << u << ": " << found->match;
            }
        }
    }
    EXPECT_EQ(alterations, 18);
    EXPECT_GE(caught, 8);
}

TEST(AlignSpeech, TheWorkerHandsOverAndKeepsTheResult)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    readerRecording(dir, reader);
    const QString text = ReaderSentences.join(QLatin1Char(' '));
    TranscriptAligner aligner(nullptr, dir.filePath(QStringLiteral("cache")));
    QSignalSpy finished(&aligner, &TranscriptAligner::finished);
    QSignalSpy progress(&aligner, &TranscriptAligner::progress);
    aligner.start(reader, text, QStringLiteral("en"));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.at(0).at(1).toBool());
    EXPECT_FALSE(progress.isEmpty());
    const Alignment first = finished.at(0).at(0).value<Alignment>();
    EXPECT_EQ(first.sentences.size(), ReaderSentences.size());

    // Again: from the cache, the same.
    aligner.start(reader, text, QStringLiteral("en"));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(finished.at(1).at(1).toBool());
    EXPECT_EQ(finished.at(1).at(0).value<Alignment>().sentences, first.sentences);

    // Cancelled: nothing more arrives.
    QSignalSpy failed(&aligner, &TranscriptAligner::failed);
    aligner.start(reader, text + QStringLiteral(" Edited."), QStringLiteral("en"));
    aligner.cancel();
    aligner.start(dir.filePath(QStringLiteral("missing.wav")), text, QStringLiteral("en"));
    ASSERT_TRUE(failed.wait(30000));
    EXPECT_EQ(finished.size(), 2);
}

TEST(AlignSpeech, TheFirstSentencesComeBeforeTheWhole)
{
    // The reader's sentences, then another voice's: more text than the
    // first go takes.
    QTemporaryDir dir;
    QStringList files = readerPieces();
    for (int k = 0; k < FestivalSentences.size(); ++k) {
        const QString text = dir.filePath(QStringLiteral("s%1.txt").arg(k));
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(FestivalSentences[k].toUtf8());
        f.close();
        files.append(dir.filePath(QStringLiteral("f%1.wav").arg(k)));
        run(QStringLiteral("text2wave"),
            {text, "-o", files.last(), "-eval", "(voice_kal_diphone)"});
    }
    const QStringList sentences = ReaderSentences + FestivalSentences;
    const QString recording = dir.filePath(QStringLiteral("long.wav"));
    QString error;
    const QList<Spoken> truth =
        joinSpeech(dir.path(), QString(), files, sentences, recording, 0.003, error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    TranscriptAligner aligner;
    QSignalSpy first(&aligner, &TranscriptAligner::firstSentences);
    QSignalSpy finished(&aligner, &TranscriptAligner::finished);
    aligner.start(recording, sentences.join(QLatin1Char(' ')), QStringLiteral("en"));
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_EQ(first.size(), 1);
    const Alignment early = first.at(0).at(0).value<Alignment>();
    ASSERT_GE(early.sentences.size(), 2);
    for (const AlignedSentence &s : early.sentences) {
        const qsizetype k = sentences.indexOf(s.text);
        ASSERT_GE(k, 0) << s.text.toStdString();
        EXPECT_NEAR(s.start, truth[k].start, 0.25) << k;
        EXPECT_NEAR(s.end, truth[k].end, 0.25) << k;
    }
    expectMatches(finished.at(0).at(0).value<Alignment>(), truth, "long");
}

TEST(AlignSpeech, TheCommandLinePrintsTheAlignedSentences)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    const QList<Spoken> truth = readerRecording(dir, reader);
    const QString text = dir.filePath(QStringLiteral("text.txt"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ReaderSentences.join(QStringLiteral("\r\n")).toUtf8());
    f.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(BuildPaths::program(), {"--print-sentences", reader, "--text", text});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), truth.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QStringList fields = lines[k].split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 3) << lines[k].toStdString();
        EXPECT_EQ(fields[0].section(QLatin1Char('.'), 1).size(), 3); // three decimals
        EXPECT_NEAR(fields[0].toDouble(), truth[k].start, 0.25);
        EXPECT_NEAR(fields[1].toDouble(), truth[k].end, 0.25);
        EXPECT_EQ(fields[2], truth[k].text);
    }
}

TEST(AlignWindow, ARecordingWithItsTextBecomesALessonOfItsSentences)
{
    QTemporaryDir shared;
    const QString reader = shared.filePath(QStringLiteral("reader.wav"));
    const QList<Spoken> truth = readerRecording(shared, reader);
    const QString answer = shared.filePath(QStringLiteral("answer.txt"));
    QFile f(answer);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ReaderSentences.join(QLatin1Char(' ')).toUtf8());
    f.close();

    WindowHarness h(true);
    h.learnerDatabase = shared.filePath(QStringLiteral("learner.db"));
    h.create();
    h.w().OpenSourceFile(reader);
    h.player.length = truth.last().end + 0.1;
    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    Lesson &lesson = h.feature<Lesson>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lesson.count() > 0; }, 30000));
    h.dialogs.fileAnswers.enqueue(answer);
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();

    // The lesson's sentences become the text's, each at its place.
    const auto texts = [&] {
        QStringList out;
        for (const Sentence &s : lesson.sentences())
            out.append(s.text);
        return out;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return texts() == ReaderSentences; }, 30000))
        << texts().join(QLatin1Char('|')).toStdString();
    for (qsizetype k = 0; k < truth.size(); ++k) {
        EXPECT_NEAR(lesson.sentences()[k].start, truth[k].start, 0.25) << k;
        EXPECT_NEAR(lesson.sentences()[k].end, truth[k].end, 0.25) << k;
    }

    // Sentence 2 played; a part of it typed does not pass it, the whole does.
    auto *list = h.widget<QTableView>("TableView_Sentences");
    Q_EMIT list->activated(list->model()->index(1, 0));
    ASSERT_EQ(lesson.current(), 1);
    const auto apply = [&](const QString &text) {
        h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(text);
        h.clickApply();
    };
    apply(QStringLiteral("he was not"));
    EXPECT_NE(lesson.at(1).state, SentenceState::Passed);
    EXPECT_LT(lesson.at(1).bestScore, 100);
    EXPECT_EQ(lesson.at(1).expected, ReaderSentences[1]);
    Q_EMIT list->activated(list->model()->index(1, 0));
    apply(QStringLiteral("he was not an ill disposed young man"));
    EXPECT_EQ(lesson.at(1).bestScore, 100);

    // The text closed: the recording's own sentences, without texts.
    h.action(QStringLiteral("Action_CloseAnswerFile"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return texts().join(QString()).isEmpty() && !texts().isEmpty(); }, 30000))
        << texts().join(QLatin1Char('|')).toStdString();
    // Another text opened, the first three sentences only: aligned in its
    // turn, with its sentences' texts and never the last text's.
    const QString other = shared.filePath(QStringLiteral("other.txt"));
    QFile g(other);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(ReaderSentences.mid(0, 3).join(QLatin1Char('\n')).toUtf8());
    g.close();
    h.dialogs.fileAnswers.enqueue(other);
    h.action(QStringLiteral("Action_OpenAnswerFile"))->trigger();
    // (A partial text's last unit may be dropped: see APartialTextIsUsedWhereItMatches.)
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return texts().mid(0, 2) == ReaderSentences.mid(0, 2); }, 30000))
        << texts().join(QLatin1Char('|')).toStdString();
    for (const QString &text : texts())
        EXPECT_FALSE(ReaderSentences.mid(3).contains(text)) << text.toStdString();
}

} // namespace
