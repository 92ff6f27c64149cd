// Subtitles timed for another cut: the rule that finds a constant offset,
// the cue boundaries moved out of words, the offset found in real speech,
// and the offer in the window, kept with the recording's place.
#include "align/cueoffset.h"
#include "align/cueshift.h"
#include "learner/learnerdatabase.h"
#include "lesson/lesson.h"
#include "playback/resumestore.h"
#include "sentences/sentencedetector.h"
#include "sentences/sentencetrack.h"
#include "sentences/subtitles.h"
#include "sentences/waveformview.h"
#include "sentences/waveformzoom.h"
#include "support/joinedspeech.h"
#include "support/progressrecords.h"
#include "support/testutil.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

namespace {

constexpr double Unmatched = std::numeric_limits<double>::quiet_NaN();

// Cues 10 s apart, each found this much later than its time (NaN: not found).
QList<CueFinding> findingsOf(const std::vector<double> &differences)
{
    QList<CueFinding> out;
    for (std::size_t k = 0; k < differences.size(); ++k) {
        const double cue = 10.0 * double(k) + 3.0;
        const bool found = !std::isnan(differences[k]);
        out.append({cue, found, found ? cue + differences[k] : 0.0});
    }
    return out;
}

TEST(CueOffsetRule, AConstantOffsetOfMostCuesIsFound)
{
    const struct {
        const char *name;
        std::vector<double> differences;
        bool decided;
        double seconds;
    } rows[] = {
        {"in time", {0.05, -0.02, 0.1, 0.0, 0.03}, true, 0.0},
        {"speech 2 s after its cues", {2.0, 2.05, 1.95, 2.1, 1.98}, true, 2.02},
        {"speech 1.5 s before its cues", {-1.5, -1.45, -1.55, -1.5}, true, -1.5},
        {"0.3 s is left alone", {0.3, 0.32, 0.28, 0.3, 0.31}, true, 0.0},
        {"a few wrong matches", {2.0, 2.0, 2.1, 1.9, 2.0, 2.05, -3.0, 8.0}, true, 2.0083},
        {"a few cues not found", {-1.0, Unmatched, -1.1, -0.9, -1.0, -1.05}, true, -1.01},
        {"half the cues not found", {2.0, 2.0, 2.0, Unmatched, Unmatched, Unmatched}, false, 0.0},
        {"no agreement", {0.0, 2.0, 4.0, 6.0, 8.0}, false, 0.0},
        {"two cues say too little", {2.0, 2.0}, false, 0.0},
        {"no cues", {}, false, 0.0},
    };
    for (const auto &row : rows) {
        const CueOffset verdict = decideCueOffset(findingsOf(row.differences));
        EXPECT_EQ(verdict.decided, row.decided) << row.name;
        EXPECT_NEAR(verdict.seconds, row.seconds, 0.005) << row.name;
        EXPECT_EQ(verdict.isOff(), row.seconds != 0.0) << row.name;
        EXPECT_EQ(verdict.cues, int(row.differences.size())) << row.name;
    }
}

TEST(CueOffsetRule, EachCueIsFoundByItsOwnUnit)
{
    // Cue 1 has no text, so the second unit is cue 2; a poor match and a
    // sentence from the pauses find nothing; a unit split in two starts
    // with its first part.
    const QList<Sentence> cues = {
        {1.0, 2.0, QStringLiteral("One.")},   {3.0, 4.0, QString()},
        {5.0, 6.0, QStringLiteral("Three.")}, {7.0, 8.0, QStringLiteral("Four\nlines.")},
        {9.0, 10.0, QStringLiteral("Five.")},
    };
    Alignment a;
    const auto sentence = [](double start, int unit, bool poor) {
        AlignedSentence s;
        s.start = start;
        s.end = start + 0.5;
        s.fromText = unit >= 0;
        s.unit = unit;
        s.poor = poor;
        return s;
    };
    a.sentences = {sentence(1.5, 0, false), sentence(5.5, 1, false), sentence(7.6, 2, false),
                   sentence(7.4, 2, false), sentence(9.5, 3, true),  sentence(11.0, -1, false)};
    const QList<CueFinding> f = cueFindings(cues, a);
    ASSERT_EQ(f.size(), 5);
    const struct {
        bool found;
        double start;
    } want[] = {{true, 1.5}, {false, 0.0}, {true, 5.5}, {true, 7.4}, {false, 0.0}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(f[k].found, want[k].found) << k;
        EXPECT_DOUBLE_EQ(f[k].cueStart, cues[k].start) << k;
        if (want[k].found) {
            EXPECT_DOUBLE_EQ(f[k].start, want[k].start) << k;
        }
    }
    a.refused = true;
    for (const CueFinding &refused : cueFindings(cues, a))
        EXPECT_FALSE(refused.found);
}

TEST(CueBoundaries, ABoundaryInsideAWordMovesToTheNearestPause)
{
    // Sound at 1-2 s, 2.5-4 s and 6-7 s.
    const std::vector<SpeechPiece> pieces = {{1.0, 2.0}, {2.5, 4.0}, {6.0, 7.0}};
    const struct {
        const char *name;
        double t;
        double start; // where a cue starting at t starts
        double end;   // where a cue ending at t ends
    } rows[] = {
        {"in a pause: stays", 5.0, 5.0, 5.0},
        {"before all sound: stays", 0.5, 0.5, 0.5},
        {"just inside a stretch's start", 2.6, 2.42, 2.42},
        {"just before a stretch's end", 3.9, 4.1, 4.1},
        {"just before the first stretch's end", 1.95, 2.1, 2.1},
        {"deep inside a long stretch: out of reach", 3.2, 3.2, 3.2},
        {"inside the last stretch, near its end", 6.9, 7.1, 7.1},
        {"inside the first stretch, near its start", 1.05, 0.92, 0.92},
    };
    for (const auto &row : rows) {
        EXPECT_NEAR(cueStartIntoPause(row.t, pieces, 0.3), row.start, 1e-9) << row.name;
        EXPECT_NEAR(cueEndIntoPause(row.t, pieces, 0.3), row.end, 1e-9) << row.name;
    }
    // Between words a few hundredths apart the boundary goes no further
    // than the pause.
    const std::vector<SpeechPiece> close = {{1.0, 2.0}, {2.04, 3.0}, {3.05, 4.0}};
    EXPECT_NEAR(cueStartIntoPause(2.1, close, 0.3), 2.0, 1e-9);
    EXPECT_NEAR(cueEndIntoPause(2.95, close, 0.3), 3.05, 1e-9);
}

TEST(CueBoundaries, ShiftedCuesStayInTheRecordingAndApart)
{
    const std::vector<SpeechPiece> pieces = {{1.0, 2.0}, {2.5, 4.0}, {6.0, 7.0}};
    const QList<Sentence> cues = {
        {0.2, 1.0, QStringLiteral("a")},   {2.1, 2.55, QStringLiteral("b")},
        {3.0, 5.0, QStringLiteral("c")},   {8.5, 9.8, QStringLiteral("d")},
        {10.0, 12.0, QStringLiteral("e")},
    };
    const struct {
        const char *name;
        double seconds;
        QList<Sentence> want;
    } rows[] = {
        {"0.8 later: into the pauses, the last cut at the end",
         0.8,
         {{1.0, 2.1, "a"}, {2.9, 3.35, "b"}, {4.1, 5.8, "c"}, {9.3, 10.0, "d"}}},
        {"1.2 earlier: the first moved out, the rest into pauses",
         -1.2,
         {{0.9, 1.35, "b"}, {2.1, 4.1, "c"}, {7.3, 8.6, "d"}, {8.8, 10.0, "e"}}},
        {"not moved: the cues as they are, those cutting words moved",
         0.0,
         {{0.2, 1.0, "a"}, {2.1, 2.42, "b"}, {3.0, 5.0, "c"}, {8.5, 9.8, "d"}}},
    };
    for (const auto &row : rows) {
        const QList<Sentence> got = shiftCues(cues, row.seconds, pieces, 10.0);
        ASSERT_EQ(got.size(), row.want.size()) << row.name;
        for (qsizetype k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].start, row.want[k].start, 1e-9) << row.name << " " << k;
            EXPECT_NEAR(got[k].end, row.want[k].end, 1e-9) << row.name << " " << k;
            EXPECT_EQ(got[k].text, row.want[k].text) << row.name << " " << k;
            if (k > 0) {
                EXPECT_LE(got[k - 1].end, got[k].start) << row.name << " " << k;
            }
        }
    }
}

TEST(CueBoundaries, UnmovedCuesLoseOnlyTheirCutsIntoWords)
{
    // Words at 1-2 s, 2.5-4 s and 6-7 s of a 10 s recording, then two a
    // twentieth of a second apart.
    const std::vector<SpeechPiece> pieces = {
        {1.0, 2.0}, {2.5, 4.0}, {6.0, 7.0}, {7.5, 8.0}, {8.05, 9.0}};
    const struct {
        const char *name;
        QList<Sentence> cues;
        QList<Sentence> want;
    } rows[] = {
        {"boundaries in pauses: exactly as they were",
         {{0.9, 2.2, "a"}, {2.3, 4.5, "b"}, {5.5, 7.25, "c"}},
         {{0.9, 2.2, "a"}, {2.3, 4.5, "b"}, {5.5, 7.25, "c"}}},
        {"a start inside a word: before the word, padded", {{1.15, 2.2, "a"}}, {{0.92, 2.2, "a"}}},
        {"an end inside a word: after it", {{0.9, 3.8, "a"}}, {{0.9, 4.1, "a"}}},
        {"both out of reach inside a long word: as they were",
         {{6.4, 6.6, "a"}},
         {{6.4, 6.6, "a"}}},
        {"a cue whose ends would meet in one pause keeps its times",
         {{2.6, 2.7, "a"}},
         {{2.6, 2.7, "a"}}},
        {"neighbours both cutting one word's start meet before it",
         {{1.0, 2.55, "a"}, {2.58, 3.6, "b"}},
         {{1.0, 2.42, "a"}, {2.42, 3.6, "b"}}},
        {"neighbours both cutting one word's end meet after it",
         {{0.9, 1.9, "a"}, {1.95, 3.0, "b"}},
         {{0.9, 2.1, "a"}, {2.1, 3.0, "b"}}},
        {"neighbours pushed past each other in a narrow pause meet halfway",
         {{6.8, 7.95, "a"}, {8.1, 8.5, "b"}},
         {{7.1, 8.025, "a"}, {8.025, 8.5, "b"}}},
        {"cues overlapping in the file keep their overlap",
         {{0.9, 3.9, "a"}, {3.5, 4.5, "b"}},
         {{0.9, 4.1, "a"}, {3.5, 4.5, "b"}}},
        {"a cue past the end of the recording is not cut", {{8.0, 10.5, "a"}}, {{8.0, 10.5, "a"}}},
    };
    for (const auto &row : rows) {
        const QList<Sentence> got = shiftCues(row.cues, 0.0, pieces, 10.0);
        ASSERT_EQ(got.size(), row.want.size()) << row.name;
        for (qsizetype k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].start, row.want[k].start, 1e-9) << row.name << " " << k;
            EXPECT_NEAR(got[k].end, row.want[k].end, 1e-9) << row.name << " " << k;
            EXPECT_EQ(got[k].text, row.want[k].text) << row.name << " " << k;
        }
    }
}

// A recording's loudness: sound in the stretches given, quiet elsewhere.
std::shared_ptr<const Envelope> envelopeWithSound(double seconds,
                                                  const std::vector<SpeechPiece> &sound)
{
    auto envelope = std::make_shared<Envelope>();
    envelope->duration = seconds;
    const int frames = int(std::lround(seconds / envelope->frameSeconds));
    for (int k = 0; k < frames; ++k) {
        const double t = (k + 0.5) * envelope->frameSeconds;
        const bool loud = std::any_of(sound.begin(), sound.end(), [t](const SpeechPiece &p) {
            return p.start <= t && t < p.end;
        });
        envelope->levels.push_back(loud ? 0.2f : 0.0005f);
    }
    return envelope;
}

TEST(CueShiftPauses, CutsAreMendedOnceAndWellTimedCuesAreLeftAlone)
{
    const auto envelope = envelopeWithSound(12.0, {{1.0, 3.0}, {4.0, 6.5}, {8.0, 10.0}});
    const std::vector<SpeechPiece> pieces = soundPieces(*envelope);
    ASSERT_EQ(pieces.size(), 3u);
    const SentenceSource file = SentenceSource::subtitleFile("cues");
    const QList<Sentence> inPauses = {{0.8, 3.2, "a"}, {3.8, 6.7, "b"}, {7.8, 10.2, "c"}};
    QList<Sentence> cutting = inPauses;
    cutting[1].start = pieces[1].start + 0.15;
    // Half a second early: moved by the move kept, they cut the same word.
    QList<Sentence> early = cutting;
    for (Sentence &cue : early) {
        cue.start -= 0.5;
        cue.end -= 0.5;
    }
    const struct {
        const char *name;
        QList<Sentence> cues;
        KeptCueShift kept;
        int replaced;         // times the cues are replaced
        const char *identity; // the suffix of the source then shown
    } rows[] = {
        {"well timed: nothing replaced", inPauses, {}, 0, ""},
        {"a start cutting a word: in the pause before it", cutting, {}, 1, "@0"},
        {"the move declined: still out of the word",
         cutting,
         {1.5, file.identity(), true},
         1,
         "@0"},
        {"the move kept: moved, and out of words once",
         early,
         {0.5, file.identity(), false},
         1,
         "@+500"},
        {"the move kept for other cues: only out of the word",
         cutting,
         {1.5, SentenceSource::subtitleFile("other").identity(), false},
         1,
         "@0"},
    };
    for (const auto &row : rows) {
        QWidget bar;
        QLabel text;
        QPushButton accept;
        QPushButton decline;
        CueShift shift(&bar, &text, &accept, &decline);
        QSignalSpy replaced(&shift, &CueShift::replaced);
        shift.open(QStringLiteral("/nowhere/film.mkv"), row.kept, QStringLiteral("en"));
        EXPECT_EQ(shift.willReplace(row.cues, file, true, envelope), row.replaced > 0) << row.name;
        EXPECT_FALSE(shift.willReplace(row.cues, file, false, envelope)) << row.name;
        shift.sentencesShown(row.cues, file, true, envelope);
        ASSERT_EQ(replaced.size(), row.replaced) << row.name;
        if (row.replaced == 0)
            continue;
        const auto cues = replaced.last().at(0).value<QList<Sentence>>();
        const auto source = replaced.last().at(1).value<SentenceSource>();
        EXPECT_EQ(source.identity(), file.identity() + QLatin1String(row.identity)) << row.name;
        ASSERT_EQ(cues.size(), 3) << row.name;
        EXPECT_LT(cues[1].start, pieces[1].start) << row.name;
        EXPECT_GT(cues[1].start, pieces[1].start - 0.15) << row.name;
        for (int k : {0, 2}) {
            EXPECT_NEAR(cues[k].start, inPauses[k].start, 1e-9) << row.name << " " << k;
            EXPECT_NEAR(cues[k].end, inPauses[k].end, 1e-9) << row.name << " " << k;
        }
        // Shown, the fitted cues are this object's own: not fitted again.
        shift.sentencesShown(cues, source, true, envelope);
        EXPECT_FALSE(shift.willReplace(cues, source, true, envelope)) << row.name;
        EXPECT_EQ(replaced.size(), row.replaced) << row.name;
        // The cues as their file times them, shown once more (read again):
        // replaced as before, not left cutting the word.
        shift.sentencesShown(row.cues, file, true, envelope);
        ASSERT_EQ(replaced.size(), row.replaced + 1) << row.name;
        EXPECT_EQ(replaced.last().at(1).value<SentenceSource>(), source) << row.name;
    }
}

TEST(CueOffsetStore, RoundTripsAndRejectsDamage)
{
    const CueOffset offset{true, -2.25, 9, 8, 7};
    const QByteArray bytes = serializeCueOffset(offset);
    ASSERT_EQ(deserializeCueOffset(bytes), offset);
    EXPECT_FALSE(deserializeCueOffset(bytes.left(bytes.size() - 1)));
    EXPECT_FALSE(deserializeCueOffset(bytes + 'x'));
    EXPECT_FALSE(deserializeCueOffset(QByteArray()));
    // Other cues, or the same read in another encoding, are asked anew.
    const QList<Sentence> cues = {{1.0, 2.0, QStringLiteral("Hello.")}};
    const QList<Sentence> otherTexts = {{1.0, 2.0, QStringLiteral("HellÃ¶.")}};
    EXPECT_EQ(cueOffsetKey("subtitle-file:a", cues, "en"),
              cueOffsetKey("subtitle-file:a", cues, "en"));
    EXPECT_NE(cueOffsetKey("subtitle-file:a", cues, "en"),
              cueOffsetKey("subtitle-file:b", cues, "en"));
    EXPECT_NE(cueOffsetKey("subtitle-file:a", cues, "en"),
              cueOffsetKey("subtitle-file:a", otherTexts, "en"));
}

TEST(CueOffsetPlace, KeptWithThePlaceWrittenOnlyWhenThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("resume.json"));
    // A place written before cue offsets were kept reads as none.
    putFile(path, R"([{"path":"/old.mp3","loopStart":1,"loopEnd":2,"position":3}])");
    ResumeStore store(path);
    const std::optional<ResumePoint> old = store.find(QStringLiteral("/old.mp3"));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->cueShift, 0.0);
    EXPECT_TRUE(old->cueShiftFor.isEmpty());
    EXPECT_FALSE(old->cueShiftDeclined);

    const struct {
        const char *name;
        double shift;
        const char *cues;
        bool declined;
        QStringList keys; // beyond the loop and position
    } rows[] = {
        {"nothing found", 0.0, "", false, {}},
        {"moved", -2.4, "subtitle-file:ab", false, {"cueShift", "cueShiftFor"}},
        {"declined",
         1.5,
         "subtitle-track:2:eng",
         true,
         {"cueShift", "cueShiftDeclined", "cueShiftFor"}},
        {"in time", 0.0, "subtitle-file:ab", false, {"cueShiftFor"}},
    };
    for (const auto &row : rows) {
        ResumePoint point;
        point.cueShift = row.shift;
        point.cueShiftFor = QString::fromLatin1(row.cues);
        point.cueShiftDeclined = row.declined;
        const QJsonObject json = resumePointToJson(point);
        QStringList keys = json.keys();
        for (const char *always : {"loopStart", "loopEnd", "position"})
            keys.removeOne(QLatin1String(always));
        keys.sort();
        EXPECT_EQ(keys, row.keys) << row.name;
        ASSERT_TRUE(store.remember(QStringLiteral("/new.mp3"), point));
        const std::optional<ResumePoint> back = ResumeStore(path).find(QStringLiteral("/new.mp3"));
        ASSERT_TRUE(back) << row.name;
        EXPECT_EQ(back->cueShift, point.cueShift) << row.name;
        EXPECT_EQ(back->cueShiftFor, point.cueShiftFor) << row.name;
        EXPECT_EQ(back->cueShiftDeclined, point.cueShiftDeclined) << row.name;
    }
    EXPECT_DOUBLE_EQ(ResumeStore(path).find(QStringLiteral("/old.mp3"))->loopEnd, 2.0);
}

TEST(CueOffsetPlace, StoredRecordsMoveWithTheirCues)
{
    QTemporaryDir dir;
    const RecordingKey key{QStringLiteral("k"), 1};
    const QString path = QStringLiteral("/x/k.wav");
    LearnerDatabase db(dir.filePath(QStringLiteral("learner.db")));
    // Each moved by 2 s lands where the next one was: the move must not
    // trip over the rows still to move.
    for (double start : {1.0, 3.0, 5.0}) {
        SentenceProgress p = sentenceAt(start, QStringLiteral("cue %1").arg(start));
        p.end = start + 2.0;
        db.saveSentence(key, path, p, attemptAt(QDate(2026, 3, 1), 9, 50));
    }
    db.flush();
    const struct {
        double seconds;
        double firstStart;
    } rows[] = {{2.0, 3.0}, {-2.0, 1.0}, {-0.75, 0.25}, {0.0, 0.25}};
    for (const auto &row : rows) {
        db.shiftSentences(key, path, row.seconds);
        db.flush();
        const QList<SentenceProgress> stored = db.sentences(key);
        ASSERT_EQ(stored.size(), 3) << row.seconds;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(stored[k].start, row.firstStart + 2.0 * k, 1e-9) << row.seconds;
            EXPECT_NEAR(stored[k].end, row.firstStart + 2.0 * k + 2.0, 1e-9) << row.seconds;
            EXPECT_EQ(stored[k].expected, QStringLiteral("cue %1").arg(1.0 + 2.0 * k));
            EXPECT_EQ(stored[k].tries, 1);
        }
    }
}

// ---- in speech the aligner did not make ----

// The reader of the pocketsphinx test data (support/joinedspeech.h).
const QStringList CueReaderLines = readerSentences();

QList<Spoken> cueReaderRecording(const QTemporaryDir &dir, const QString &out)
{
    QString error;
    const QList<Spoken> truth = readerSpeech(dir.path(), out, error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return truth;
}

QString srtTime(double t)
{
    const int ms = int(std::lround(t * 1000));
    return QStringLiteral("%1:%2:%3,%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// The sentences as cues, each late by `late` seconds (early when negative);
// those that would start before the recording are left out, as a cut film's
// subtitles have no cue for what is not in it.
QByteArray shiftedSrt(const QList<Spoken> &truth, double late)
{
    QString srt;
    int n = 0;
    for (const Spoken &s : truth) {
        if (s.start + late < 0)
            continue;
        srt += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                   .arg(++n)
                   .arg(srtTime(s.start + late), srtTime(s.end + late), s.text);
    }
    return srt.toUtf8();
}

TEST(CueOffsetSpeech, SubtitlesLateOrEarlyAreFoundWithinATenthOrSo)
{
    QTemporaryDir dir;
    const QString reader = dir.filePath(QStringLiteral("reader.wav"));
    const QList<Spoken> truth = cueReaderRecording(dir, reader);
    ASSERT_EQ(truth.size(), CueReaderLines.size());
    const double duration = soundSeconds(reader);
    const struct {
        const char *name;
        double late;
        bool off;
    } rows[] = {
        {"2 s late", 2.0, true},
        {"1.5 s early", -1.5, true},
        {"in time", 0.0, false},
        {"0.3 s late: left alone", 0.3, false},
    };
    for (const auto &row : rows) {
        const QString srt = dir.filePath(QStringLiteral("cues.srt"));
        putFile(srt, shiftedSrt(truth, row.late));
        const SubtitleCues cues = readSubtitleFile(srt, duration);
        ASSERT_GE(cues.cues.size(), 4) << row.name;
        const CueOffsetOutcome outcome = findCueOffset(
            reader, cues.cues, QStringLiteral("subtitle-file:x"), QStringLiteral("en"), QString());
        ASSERT_TRUE(outcome.ok) << row.name << outcome.error.toStdString();
        EXPECT_TRUE(outcome.offset.decided) << row.name;
        EXPECT_EQ(outcome.offset.isOff(), row.off) << row.name;
        if (row.off) {
            EXPECT_NEAR(outcome.offset.seconds, -row.late, 0.15) << row.name;
        }
    }

    // Cues of another text say nothing; kept, the verdict is read back.
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QList<Sentence> other;
    for (const Spoken &s : truth)
        other.append({s.start + 2.0, s.end + 2.0,
                      QStringLiteral("The weather stays mild and dry in the west all week.")});
    const CueOffsetOutcome unrelated = findCueOffset(
        reader, other, QStringLiteral("subtitle-file:y"), QStringLiteral("en"), cache);
    ASSERT_TRUE(unrelated.ok);
    EXPECT_FALSE(unrelated.offset.isOff());
    const CueOffsetOutcome again = findCueOffset(reader, other, QStringLiteral("subtitle-file:y"),
                                                 QStringLiteral("en"), cache);
    EXPECT_TRUE(again.fromCache);
    EXPECT_EQ(again.offset, unrelated.offset);
}

// A window opening a recording whose subtitles beside it are 2 s late; the
// places are kept in a file, so what is remembered comes back on opening.
struct LateCuesWindow {
    QTemporaryDir shared;
    QString reader = shared.filePath(QStringLiteral("reader.wav"));
    QList<Spoken> truth = cueReaderRecording(shared, reader);
    WindowHarness h{true};

    // cues: the subtitle file for the sentences spoken; 2 s late unless given.
    explicit LateCuesWindow(bool learner = false,
                            const std::function<QByteArray(const QList<Spoken> &)> &cues = {})
    {
        putFile(shared.filePath(QStringLiteral("reader.srt")),
                cues ? cues(truth) : shiftedSrt(truth, 2.0));
        h.resumeFile = shared.filePath(QStringLiteral("resume.json"));
        if (learner)
            h.learnerDatabase = shared.filePath(QStringLiteral("learner.db"));
        h.create();
    }
    void open()
    {
        h.w().OpenSourceFile(reader);
        h.player.length = soundSeconds(reader);
        h.player.setStateAndNotify(MediaPlayer::Playing);
        FakePlayer::flushEvents();
    }
    void reopen()
    {
        h.dialogs.answers.enqueue(Dialogs::Button::No); // the new document is not saved
        h.w().CloseSourceFile();
        open();
    }
    // The lesson's sentences are the cues, late by this much.
    bool startsNear(double late) const
    {
        const QList<Sentence> &s = h.feature<Lesson>().sentences();
        if (s.size() != truth.size())
            return false;
        for (qsizetype k = 0; k < s.size(); ++k) {
            if (std::abs(s[k].start - (truth[k].start + late)) > 0.25 || s[k].text != truth[k].text)
                return false;
        }
        return true;
    }
    QFrame *bar() const { return h.widget<QFrame>("Bar_CueShift"); }
};

TEST(CueOffsetWindow, TheOfferMovesTheCuesAndTheMoveIsKept)
{
    LateCuesWindow w;
    WindowHarness &h = w.h;
    QFrame *bar = w.bar();
    CueShift &shift = h.feature<CueShift>();
    QSignalSpy checking(&shift, &CueShift::checking);
    w.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(2.0); }, 30000));
    // Said once, without stopping anything; how far the check has come is
    // shown beside the status line until then.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->isHidden(); }, 60000));
    ASSERT_GE(checking.size(), 2);
    EXPECT_GE(checking.first().at(0).toInt(), 0);
    EXPECT_EQ(checking.last().at(0).toInt(), -1);
    EXPECT_TRUE(h.widget<QLabel>("Label_CueCheck")->isHidden());
    EXPECT_TRUE(
        h.widget<QLabel>("Label_CueShift")->text().startsWith(QStringLiteral("字幕比声音晚 ")))
        << h.widget<QLabel>("Label_CueShift")->text().toStdString();
    h.widget<QPushButton>("Button_CueShiftAccept")->click();
    EXPECT_TRUE(bar->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(0.0); }, 10000));
    // The close view of the strip shows the moved cues too.
    auto *zoom = h.widget<WaveformZoom>("WaveformZoom");
    const double second = h.feature<Lesson>().sentences()[1].start;
    EXPECT_NEAR(zoom->sentenceRect(1).left(), zoom->xForTime(second), 1.0);

    // Opened again: moved at once, nothing asked; the menu can move them back.
    w.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(0.0); }, 30000));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(shift.isChecking());
    QAction *moved = h.action(QStringLiteral("Action_CueShift"));
    ASSERT_TRUE(moved);
    EXPECT_TRUE(moved->isChecked());
    moved->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(2.0); }, 10000));

    // Moved back, they stay where the file has them, and are not offered again.
    w.reopen();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return w.startsNear(2.0) && h.action("Action_CueShift"); }, 30000));
    EXPECT_FALSE(shift.isChecking());
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(h.action(QStringLiteral("Action_CueShift"))->isChecked());
}

TEST(CueOffsetWindow, LeftAsTheyAreTheCuesAreNotOfferedAgain)
{
    LateCuesWindow w;
    w.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.bar()->isHidden(); }, 60000));
    w.h.widget<QPushButton>("Button_CueShiftDecline")->click();
    EXPECT_TRUE(w.bar()->isHidden());
    EXPECT_TRUE(w.startsNear(2.0));

    w.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(2.0); }, 30000));
    EXPECT_FALSE(w.h.feature<CueShift>().isChecking());
    EXPECT_TRUE(w.bar()->isHidden());
    // Still there to take back in the menu.
    QAction *move = w.h.action(QStringLiteral("Action_CueShift"));
    ASSERT_TRUE(move);
    EXPECT_FALSE(move->isChecked());
    move->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.startsNear(0.0); }, 10000));
}

TEST(CueOffsetWindow, WhatWasPractisedStaysWithItsCue)
{
    LateCuesWindow w(true);
    Lesson &lesson = w.h.feature<Lesson>();
    auto *list = w.h.widget<QTableView>("TableView_Sentences");
    const auto apply = [&](int index, const char *typed) {
        Q_EMIT list->activated(list->model()->index(index, 0));
        w.h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QString::fromUtf8(typed));
        w.h.clickApply();
    };
    // Tries on each sentence, and whether each still has its own text.
    const auto tries = [&] {
        QList<int> out;
        for (int k = 0; k < lesson.count(); ++k)
            out.append(lesson.at(k).expected == w.truth[k].text ? lesson.at(k).tries : -1);
        return out;
    };
    w.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.bar()->isHidden(); }, 60000));
    // A line for the second cue before the cues are moved, one for the
    // third after: each stays with its cue, moved, back and opened again.
    apply(1, "he was not");
    ASSERT_EQ(tries(), QList<int>({0, 1, 0, 0, 0}));
    w.h.widget<QPushButton>("Button_CueShiftAccept")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(0.0); }, 10000));
    EXPECT_EQ(tries(), QList<int>({0, 1, 0, 0, 0}));
    apply(2, "unless to be");
    EXPECT_EQ(tries(), QList<int>({0, 1, 1, 0, 0}));
    w.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(0.0) && lesson.count() == 5; }, 30000));
    EXPECT_EQ(tries(), QList<int>({0, 1, 1, 0, 0}));
    w.h.action(QStringLiteral("Action_CueShift"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(2.0); }, 10000));
    EXPECT_EQ(tries(), QList<int>({0, 1, 1, 0, 0}));
    w.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.startsNear(2.0) && lesson.count() == 5; }, 30000));
    EXPECT_EQ(tries(), QList<int>({0, 1, 1, 0, 0}));
}

TEST(CueOffsetWindow, ACueCuttingAWordStartsInThePauseBeforeIt)
{
    // Subtitles in time, but for the second cue: it starts 0.15 s into the
    // first word it says, and a loop on it would clip that word.
    LateCuesWindow w(true, [](const QList<Spoken> &truth) {
        QList<Spoken> cues = truth;
        cues[1].start += 0.15;
        return shiftedSrt(cues, 0.0);
    });
    Lesson &lesson = w.h.feature<Lesson>();
    const SentenceTrack &track = w.h.feature<SentenceTrack>();
    const auto fitted = [&] {
        return lesson.count() == 5 && track.source().identity().endsWith(QLatin1String("@0"));
    };
    w.open();
    ASSERT_TRUE(QTest::qWaitFor(fitted, 30000));
    const QList<Sentence> shown = lesson.sentences();
    EXPECT_GT(shown[1].start, w.truth[0].end);
    EXPECT_LE(shown[1].start, w.truth[1].start + 0.02);
    EXPECT_EQ(shown[1].text, w.truth[1].text);
    // The strip and its close view show the same sentences as the lesson.
    EXPECT_EQ(w.h.widget<WaveformView>("WaveformView")->sentences(), shown);
    auto *zoom = w.h.widget<WaveformZoom>("WaveformZoom");
    EXPECT_NEAR(zoom->sentenceRect(1).left(), zoom->xForTime(shown[1].start), 1.0);
    // In time: nothing is offered once the check is over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.h.feature<CueShift>().isChecking(); }, 60000));
    EXPECT_TRUE(w.bar()->isHidden());
    EXPECT_EQ(w.h.feature<CueShift>().offset(), 0.0);

    auto *list = w.h.widget<QTableView>("TableView_Sentences");
    Q_EMIT list->activated(list->model()->index(1, 0));
    w.h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("he was not"));
    w.h.clickApply();
    ASSERT_EQ(lesson.at(1).tries, 1);
    // Opened again: the same sentence, with what was practised on it.
    w.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fitted() && !lesson.sentences().isEmpty(); }, 30000));
    EXPECT_EQ(lesson.sentences(), shown);
    for (int k = 0; k < lesson.count(); ++k) {
        EXPECT_EQ(lesson.at(k).tries, k == 1 ? 1 : 0) << k;
        EXPECT_EQ(lesson.at(k).expected, w.truth[k].text) << k;
    }
}

} // namespace
