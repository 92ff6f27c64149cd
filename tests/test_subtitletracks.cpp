// Subtitles inside recordings and ASS/SSA files: cleaning cue texts, reading
// scripts, choosing a track by language, and reading the tracks of files made
// with ffmpeg through the analysis, the command line and the sentence strip.
#include "sentences/printsentences.h"
#include "sentences/sentenceanalysis.h"
#include "sentences/sentencetrack.h"
#include "sentences/subtitles.h"
#include "sentences/subtitletext.h"
#include "sentences/subtitletracks.h"
#include "sentences/waveformview.h"
#include "support/mediafiles.h"
#include "support/testutil.h"
#include "support/tonewav.h"
#include "video/videopane.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

TEST(CueText, CleansMarkupAndLeavesOutSounds)
{
    const struct {
        const char *text;
        const char *expected; // empty: not a sentence
    } rows[] = {
        {"<i>Hello</i> there", "Hello there"},
        {"{\\an8}{\\i1}Look out!{\\i0}", "Look out!"},
        {"First line\\NSecond line", "First line Second line"},
        {"<font color=\"#ffff00\">Yes</font>, sir", "Yes, sir"},
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"3 < 4, and 5 > 2", "3 < 4, and 5 > 2"},
        {"[door closes] Who's there?", "Who's there?"},
        {"(sighs)\\NFine. (laughs)", "Fine."},
        {"\xE2\x99\xAA la la la \xE2\x99\xAA I'm home.", "I'm home."},
        {"（笑）你好", "你好"},
        {"[music]", ""},
        {"(LAUGHS)", ""},
        {"{\\i1}[MUSIC PLAYING]{\\i0}", ""},
        {"\xE2\x99\xAA Sing along with me \xE2\x99\xAA", ""},
        {"\xE2\x99\xAA\xE2\x99\xAA", ""},
        {"\xE2\x99\xAA and on it goes", ""},
        {"- [gasps]", ""},
        {"<i></i>", ""},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(cleanCueText(text), QString::fromUtf8(row.expected)) << row.text;
        EXPECT_EQ(isSoundOnlyCue(text), *row.expected == '\0') << row.text;
    }
}

TEST(AssScripts, ReadsEventsInTheirOwnFieldOrder)
{
    const QByteArray script =
        "\xEF\xBB\xBF[Script Info]\r\nScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\n"
        "Format: Name, Fontname, Fontsize\r\nStyle: Default,Arial,20\r\n\r\n[Events]\r\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
        "Dialogue: 0,0:00:04.00,0:00:06.50,Default,,0,0,0,,Second, with a comma\r\n"
        "Dialogue: 0,0:00:01.00,0:00:03.00,Default,Anna,0,0,0,,{\\an8\\fs30}Good "
        "{\\i1}morning{\\i0}.\\NHow are you?\r\n"
        "Comment: 0,0:00:07.00,0:00:08.00,Default,,0,0,0,,a note for the typesetter\r\n"
        "Dialogue: 0,0:00:07.00,0:00:08.00,Default,,0,0,0,,{\\i1}[MUSIC]{\\i0}\r\n"
        "Dialogue: 0,0:00:09.00,0:00:08.00,Default,,0,0,0,,backwards\r\n"
        "Dialogue: 0,0:00:10.00\r\n"
        "Dialogue: 0,0:00:11.00,0:00:12.00,Default,,0,0,0,,Past the end\r\n";
    const QByteArray ssa = "[Script Info]\nScriptType: v4.00\n\n[Events]\n"
                           "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                           "Effect, Text\n"
                           "Dialogue: Marked=0,0:00:02.50,0:00:03.75,*Default,,0000,0000,0000,,"
                           "Old style\n";
    const struct {
        const char *name;
        QByteArray bytes;
        double duration;
        QList<Sentence> expected;
        int malformed;
    } rows[] = {
        {"ass",
         script,
         10,
         {{1.0, 3.0, "Good morning. How are you?"}, {4.0, 6.5, "Second, with a comma"}},
         2},
        {"ssa", ssa, 10, {{2.5, 3.75, "Old style"}}, 0},
        {"no events", "[Script Info]\nTitle: x\n", 10, {}, 0},
    };
    for (const auto &row : rows) {
        const SubtitleCues got = parseSubtitles(row.bytes, SubtitleFormat::Ass, row.duration);
        EXPECT_EQ(got.malformed, row.malformed) << row.name;
        EXPECT_EQ(got.cues, row.expected) << row.name;
    }
}

TEST(SubtitleTracks, ChoosesTheTrackInTheDictatedLanguage)
{
    const auto track = [](int stream, const char *language, bool text = true) {
        SubtitleTrack t;
        t.stream = stream;
        t.language = QString::fromLatin1(language);
        t.isText = text;
        return t;
    };
    const QList<SubtitleTrack> mixed{track(2, "chi"), track(3, "eng"), track(4, "fre")};
    const struct {
        const char *name;
        QList<SubtitleTrack> tracks;
        const char *language;
        int wished;
        int expected;
    } rows[] = {
        {"English by its tag", mixed, "en", -1, 3},
        {"Chinese by the other tag", {track(2, "zho"), track(3, "eng")}, "zh", -1, 2},
        {"regional tag", {track(5, "fr"), track(6, "en-GB")}, "en", -1, 6},
        {"no match: the first", mixed, "de", -1, 2},
        {"untagged: the first", {track(2, ""), track(3, "")}, "en", -1, 2},
        {"chosen by hand", mixed, "en", 4, 4},
        {"chosen stream gone: by language", mixed, "en", 9, 3},
        {"pictures skipped", {track(2, "eng", false), track(3, "ger")}, "en", -1, 3},
        {"pictures only", {track(2, "eng", false)}, "en", -1, -1},
        {"pictures chosen by hand", {track(2, "eng", false), track(3, "eng")}, "en", 2, 3},
        {"none", {}, "en", -1, -1},
    };
    for (const auto &row : rows) {
        CueWish wish;
        wish.language = QString::fromLatin1(row.language);
        wish.stream = row.wished;
        EXPECT_EQ(chooseSubtitleTrack(row.tracks, wish), row.expected) << row.name;
    }
}

namespace {

// Recordings made once for the suite: a video with Chinese and English
// SubRip tracks, an mp4 with a mov_text track, a wav with an ASS script
// beside it, and a video whose only subtitles are pictures.
class SubtitleTrackFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = std::make_unique<QTemporaryDir>();
        const QString english = dir->filePath(QStringLiteral("en.srt"));
        const QString chinese = dir->filePath(QStringLiteral("zh.srt"));
        putFile(english, subRip({{0.5, 1.5, QStringLiteral("<i>Hello there.</i>")},
                                 {2.0, 2.5, QStringLiteral("[music]")},
                                 {3.0, 4.0, QStringLiteral("{\\an8}Good-bye.")}}));
        putFile(chinese, subRip({{0.5, 1.5, QString::fromUtf8("你好。")}}));
        const QString pictures = dir->filePath(QStringLiteral("pictures.sup"));
        putFile(pictures, pgsStream());
        const QStringList sound{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("sine=frequency=300:duration=5")};
        const QStringList video{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("testsrc=size=64x48:rate=5:duration=5")};
        const QString S = QStringLiteral("-metadata:s:s:%1");
        made = runFfmpeg(sound + video
                         + QStringList{QStringLiteral("-i"),
                                       chinese,
                                       QStringLiteral("-i"),
                                       english,
                                       QStringLiteral("-map"),
                                       QStringLiteral("0:a"),
                                       QStringLiteral("-map"),
                                       QStringLiteral("1:v"),
                                       QStringLiteral("-map"),
                                       QStringLiteral("2"),
                                       QStringLiteral("-map"),
                                       QStringLiteral("3"),
                                       QStringLiteral("-c:a"),
                                       QStringLiteral("pcm_s16le"),
                                       QStringLiteral("-c:v"),
                                       QStringLiteral("mpeg4"),
                                       QStringLiteral("-c:s"),
                                       QStringLiteral("srt"),
                                       S.arg(0),
                                       QStringLiteral("language=chi"),
                                       S.arg(1),
                                       QStringLiteral("language=eng"),
                                       file("two.mkv")})
               && runFfmpeg(sound
                            + QStringList{QStringLiteral("-i"), english, QStringLiteral("-map"),
                                          QStringLiteral("0:a"), QStringLiteral("-map"),
                                          QStringLiteral("1"), QStringLiteral("-c:a"),
                                          QStringLiteral("aac"), QStringLiteral("-c:s"),
                                          QStringLiteral("mov_text"), S.arg(0),
                                          QStringLiteral("language=eng"), file("movtext.mp4")})
               && runFfmpeg(sound
                            + QStringList{QStringLiteral("-i"), pictures, QStringLiteral("-map"),
                                          QStringLiteral("0:a"), QStringLiteral("-map"),
                                          QStringLiteral("1"), QStringLiteral("-c:a"),
                                          QStringLiteral("pcm_s16le"), QStringLiteral("-c:s"),
                                          QStringLiteral("copy"), S.arg(0),
                                          QStringLiteral("language=eng"), file("pictures.mkv")})
               && writeToneWav(file("talk.wav"), 5.0);
        putFile(file("talk.ass"),
                "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
                "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\b1}Bold{\\b0} words\n"
                "Dialogue: 0,0:00:02.50,0:00:03.00,Default,,0,0,0,,(applause)\n"
                "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,{\\pos(10,10)}Last one\n");
    }
    static void TearDownTestSuite() { dir.reset(); }
    void SetUp() override { ASSERT_TRUE(made) << "ffmpeg could not make the recordings"; }

    static QString file(const char *name) { return dir->filePath(QLatin1String(name)); }

    static inline std::unique_ptr<QTemporaryDir> dir;
    static inline bool made = false;
};

QStringList cueTexts(const QList<Sentence> &sentences)
{
    QStringList out;
    for (const Sentence &s : sentences)
        out.append(s.text);
    return out;
}

} // namespace

TEST_F(SubtitleTrackFiles, GiveTheirCuesAsSentences)
{
    const struct {
        const char *name;
        const char *file;
        const char *language;
        QStringList expected; // empty: sentences from pauses
        int tracks;
        bool note;
    } rows[] = {
        {"mkv, English wanted", "two.mkv", "en", {"Hello there.", "Good-bye."}, 2, false},
        {"mkv, Chinese wanted", "two.mkv", "zh", {QString::fromUtf8("你好。")}, 2, false},
        {"mkv, neither: the first", "two.mkv", "ja", {QString::fromUtf8("你好。")}, 2, false},
        {"mp4 with mov_text", "movtext.mp4", "en", {"Hello there.", "Good-bye."}, 1, false},
        {"ASS script beside a wav", "talk.wav", "en", {"Bold words", "Last one"}, 0, false},
        {"pictures only: pauses", "pictures.mkv", "en", {}, 1, true},
    };
    for (const auto &row : rows) {
        CueWish wish;
        wish.language = QString::fromLatin1(row.language);
        const AnalysisOutcome outcome = analyseRecording(file(row.file), {}, {}, nullptr, {}, wish);
        ASSERT_TRUE(outcome.ok) << row.name << ": " << outcome.error.toStdString();
        const SentenceResult &result = outcome.result;
        EXPECT_EQ(result.fromSubtitles, !row.expected.isEmpty()) << row.name;
        if (!row.expected.isEmpty()) {
            EXPECT_EQ(cueTexts(result.sentences), row.expected) << row.name;
        }
        EXPECT_EQ(result.subtitleTracks.size(), row.tracks) << row.name;
        EXPECT_EQ(!result.subtitleNote.isEmpty(), row.note) << row.name;
    }

    // The cue times are the track's, as the player counts them.
    const AnalysisOutcome english = analyseRecording(file("two.mkv"));
    ASSERT_EQ(english.result.sentences.size(), 2);
    EXPECT_NEAR(english.result.sentences[0].start, 0.5, 0.03);
    EXPECT_NEAR(english.result.sentences[1].end, 4.0, 0.03);
    EXPECT_EQ(english.result.subtitleTracks.at(1).language, QStringLiteral("eng"));
    EXPECT_EQ(english.result.subtitleStream, english.result.subtitleTracks.at(1).stream);
    EXPECT_EQ(english.result.source.identity(),
              QStringLiteral("subtitle-track:%1:eng").arg(english.result.subtitleStream));

    // A subtitle file beside the recording wins over its tracks.
    QFile::copy(file("two.mkv"), file("beside.mkv"));
    putFile(file("beside.srt"), subRip({{1.0, 2.0, QStringLiteral("From the file")}}));
    const AnalysisOutcome beside = analyseRecording(file("beside.mkv"));
    EXPECT_EQ(cueTexts(beside.result.sentences), QStringList{QStringLiteral("From the file")});
    EXPECT_EQ(beside.result.subtitleTracks.size(), 2);
    EXPECT_EQ(beside.result.subtitleStream, -1);
    EXPECT_EQ(beside.result.source.kind(), SentenceSource::Kind::SubtitleFile);
}

TEST_F(SubtitleTrackFiles, PrintSentencesPrintsTheTrackCues)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    ASSERT_EQ(printSentences(file("movtext.mp4"), outStream, errStream), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("0.500\t1.500\tHello there.\n3.000\t4.000\tGood-bye.\n"));
}

TEST_F(SubtitleTrackFiles, StripReportsTracksAndSwitchesThem)
{
    WaveformView view;
    QLabel label;
    SentenceTrack track(&view, &label, nullptr);
    QStringList statuses;
    QObject::connect(&track, &SentenceTrack::statusChanged,
                     [&statuses](const QString &text) { statuses.append(text); });
    const auto finalStatus = [&statuses] {
        return !statuses.isEmpty() && !statuses.last().contains(QLatin1Char('%'));
    };

    // Image-only subtitles: a status line saying so, and sentences from pauses.
    track.open(file("pictures.mkv"));
    ASSERT_TRUE(QTest::qWaitFor(finalStatus, 30000));
    EXPECT_FALSE(track.fromSubtitles());
    EXPECT_EQ(track.source().kind(), SentenceSource::Kind::Pauses);
    EXPECT_TRUE(statuses.last().contains(QString::fromUtf8("图像")))
        << statuses.last().toStdString();

    statuses.clear();
    track.open(file("two.mkv"));
    ASSERT_TRUE(QTest::qWaitFor(finalStatus, 30000));
    EXPECT_EQ(cueTexts(track.sentences()),
              (QStringList{QStringLiteral("Hello there."), QStringLiteral("Good-bye.")}));
    ASSERT_EQ(track.subtitleTracks().size(), 2);
    EXPECT_EQ(track.subtitleStream(), track.subtitleTracks().at(1).stream);

    // The learner picks the Chinese track.
    statuses.clear();
    QSignalSpy changed(&track, &SentenceTrack::tracksChanged);
    track.chooseTrack(track.subtitleTracks().at(0).stream);
    ASSERT_TRUE(QTest::qWaitFor(finalStatus, 30000));
    EXPECT_EQ(cueTexts(track.sentences()), QStringList{QString::fromUtf8("你好。")});
    EXPECT_EQ(track.subtitleStream(), track.subtitleTracks().at(0).stream);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(track.source(), SentenceSource::subtitleTrack(track.subtitleStream(),
                                                            track.subtitleTracks().at(0).language));
}

TEST(SubtitlesOnScreen, HiddenWhileTheLoopIsOnTheUnansweredSentence)
{
    const struct {
        const char *name;
        double loopStart, loopEnd, position;
        bool answered;
        bool hidden;
    } rows[] = {
        {"no loop", -1, -1, 1.5, false, false},
        {"loop start only", 1, -1, 1.5, false, false},
        {"inside the loop", 1, 2, 1.5, false, true},
        {"inside, answered", 1, 2, 1.5, true, false},
        {"outside the loop", 1, 2, 2.5, false, false},
        {"nothing playing", 1, 2, -1, false, false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(captionHidden(row.loopStart, row.loopEnd, row.position, row.answered), row.hidden)
            << row.name;
}

TEST(SubtitlesOnScreen, ShowTheCueUnderThePictureOnceALineIsApplied)
{
    WindowHarness h;
    h.setOption(&TOptionFlags::SelectAfterApplying, false);
    h.setOption(&TOptionFlags::PlayAfterApplying, false);
    QAction *show = h.action(QStringLiteral("Action_ShowSubtitles"));
    ASSERT_TRUE(show);
    EXPECT_FALSE(show->isChecked()); // it would give the answer away
    show->trigger();
    EXPECT_EQ(h.settings().preference(QStringLiteral("ShowSubtitles"), QString()),
              QStringLiteral("1"));

    const QString recording = h.path(QStringLiteral("talk.wav"));
    ASSERT_TRUE(writeToneWav(recording, 5.0));
    putFile(h.path(QStringLiteral("talk.srt")),
            subRip({{1.0, 2.0, QStringLiteral("The first one.")},
                    {3.0, 4.0, QStringLiteral("The second one.")}}));
    h.player.length = 5.0;
    h.w().OpenSourceFile(recording);
    h.player.setStateAndNotify(MediaPlayer::Playing);
    FakePlayer::flushEvents();
    SentenceTrack &track = h.feature<SentenceTrack>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return track.sentences().size() == 2; }, 30000));

    auto *caption = h.widget<QLabel>("Label_Subtitle");
    const auto shownAt = [&](double seconds) {
        h.player.position = seconds;
        h.transport().updatePositionDisplay();
        return caption->text();
    };
    EXPECT_EQ(shownAt(3.5), QStringLiteral("The second one."));
    EXPECT_EQ(shownAt(2.5), QString());
    // Looping the first sentence: its text waits for the learner's line.
    h.loop().setPoints(1.0, 2.0);
    EXPECT_NE(shownAt(1.5), QStringLiteral("The first one."));
    EXPECT_FALSE(caption->text().isEmpty());
    h.widget<QLineEdit>("LabeledEdit_Dictation")->setText(QStringLiteral("The first one"));
    h.clickApply();
    EXPECT_EQ(shownAt(1.5), QStringLiteral("The first one."));
    // The next sentence looped waits for its own line.
    h.loop().setPoints(3.0, 4.0);
    EXPECT_NE(shownAt(3.5), QStringLiteral("The second one."));

    // Switched off, nothing is shown.
    show->trigger();
    EXPECT_EQ(shownAt(3.5), QString());
    EXPECT_EQ(h.settings().preference(QStringLiteral("ShowSubtitles"), QString()),
              QStringLiteral("0"));
}

// An mkv damaged in the middle, as downloads and bad disks leave them: the
// cues after the damage are read, and the stretch whose cues were lost gets
// its sentences from the pauses, with a line saying so.
TEST(DamagedTracks, AreReadPastTheDamage)
{
    QTemporaryDir dir;
    QList<CueText> cues;
    for (int i = 0; i < 15; ++i)
        cues.append(
            {1.0 + 3.5 * i, 3.0 + 3.5 * i, QStringLiteral("Sentence number %1.").arg(i + 1)});
    const QString srt = dir.filePath(QStringLiteral("cues.srt"));
    putFile(srt, subRip(cues));
    const QString whole = dir.filePath(QStringLiteral("whole.mkv"));
    // A tone while each cue is said, near silence between.
    ASSERT_TRUE(runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("aevalsrc='if(between(mod(t,3.5),1,3),0.3*sin(2*PI*300*t),"
                        "0.0005*random(0))':s=8000:d=53"),
         QStringLiteral("-i"), srt, QStringLiteral("-map"), QStringLiteral("0:a"),
         QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c:a"),
         QStringLiteral("pcm_s16le"), QStringLiteral("-c:s"), QStringLiteral("srt"), whole}));
    const QByteArray bytes = readAll(whole);
    const struct {
        const char *name;
        char fill;
        qsizetype length;
    } rows[] = {
        {"3 KB of zeros", '\0', 3000},
        {"40 KB of garbage", char(0xAB), 40000},
    };
    for (const auto &row : rows) {
        QByteArray damaged = bytes;
        damaged.replace(damaged.size() / 2 - row.length / 2, row.length,
                        QByteArray(row.length, row.fill));
        const QString file = dir.filePath(QStringLiteral("damaged.mkv"));
        putFile(file, damaged);
        const AnalysisOutcome outcome = analyseRecording(file);
        ASSERT_TRUE(outcome.ok) << row.name;
        const SentenceResult &result = outcome.result;
        QList<Sentence> read;
        QList<Sentence> fromPauses;
        for (const Sentence &s : result.sentences)
            (s.text.isEmpty() ? fromPauses : read).append(s);
        ASSERT_FALSE(read.isEmpty()) << row.name;
        EXPECT_LT(read.size(), 15) << row.name << ": the damage took no cue";
        EXPECT_EQ(read.last().text, QStringLiteral("Sentence number 15.")) << row.name;
        EXPECT_NEAR(read.last().start, 50.0, 0.01) << row.name;
        const qsizetype after =
            std::count_if(read.begin(), read.end(), [](const Sentence &s) { return s.start > 33; });
        EXPECT_GE(after, 5) << row.name;
        ASSERT_FALSE(result.uncovered.isEmpty()) << row.name;
        EXPECT_FALSE(fromPauses.isEmpty()) << row.name;
        for (const Sentence &s : fromPauses) {
            const bool inside = std::any_of(
                result.uncovered.begin(), result.uncovered.end(),
                [&](const Sentence &g) { return s.start >= g.start && s.end <= g.end; });
            EXPECT_TRUE(inside) << row.name << " " << s.start;
        }
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        ASSERT_EQ(printSentences(file, outStream, errStream), 0) << row.name;
        EXPECT_TRUE(err.contains(QString::fromUtf8("损坏"))) << row.name << err.toStdString();
    }
}

TEST_F(SubtitleTrackFiles, TheTrackMenuNamesLanguagesInTheInterfaceLanguage)
{
    const struct {
        InterfaceLanguage language;
        const char *chinese, *english;
    } rows[] = {
        {InterfaceLanguage::Chinese, "中文", "英语"},
        {InterfaceLanguage::English, "Chinese", "English"},
    };
    for (const auto &row : rows) {
        WindowHarness h(true);
        h.language = row.language;
        h.create();
        h.w().OpenSourceFile(file("two.mkv"));
        SentenceTrack &track = h.feature<SentenceTrack>();
        ASSERT_TRUE(QTest::qWaitFor([&] { return track.subtitleTracks().size() == 2; }, 30000));
        const QList<SubtitleTrack> tracks = track.subtitleTracks();
        const auto caption = [&](int i) {
            QAction *choice =
                h.action(QStringLiteral("Action_SubtitleTrack_%1").arg(tracks[i].stream));
            return choice ? choice->text() : QString();
        };
        EXPECT_EQ(caption(0), QString::fromUtf8(row.chinese));
        EXPECT_EQ(caption(1), QString::fromUtf8(row.english));
    }
}

// A file the detector cannot tell (a few Big5 characters read as GB18030)
// is read again in the encoding the learner picks, and so it opens next time.
TEST(SubtitleEncodingMenu, RereadsTheFileAndKeepsTheChoice)
{
    WindowHarness h(true);
    h.resumeFile = h.path(QStringLiteral("places/resume"));
    h.create();
    const QString recording = h.path(QStringLiteral("talk.wav"));
    ASSERT_TRUE(writeToneWav(recording, 5.0));
    const QString big5 = QString::fromUtf8("謝謝你");
    QStringEncoder encoder("Big5");
    putFile(h.path(QStringLiteral("talk.srt")),
            encoder.encode(QStringLiteral("1\n00:00:01,000 --> 00:00:02,000\n") + big5 + u'\n'));
    SentenceTrack &track = h.feature<SentenceTrack>();
    const auto readAs = [&](const char *encoding) {
        return QTest::qWaitFor(
            [&] {
                return track.isComplete() && track.subtitleEncoding() == QLatin1String(encoding);
            },
            30000);
    };
    h.w().OpenSourceFile(recording);
    ASSERT_TRUE(readAs("GB18030"));
    ASSERT_EQ(track.sentences().size(), 1);
    EXPECT_NE(track.sentences().first().text, big5);
    QAction *auto_ = h.action(QStringLiteral("Action_SubtitleEncoding_Auto"));
    ASSERT_TRUE(auto_);
    EXPECT_TRUE(auto_->isChecked());
    EXPECT_TRUE(auto_->text().contains(QStringLiteral("GB18030"))) << auto_->text().toStdString();

    h.action(QStringLiteral("Action_SubtitleEncoding_Big5"))->trigger();
    ASSERT_TRUE(readAs("Big5"));
    EXPECT_EQ(track.sentences().first().text, big5);
    EXPECT_TRUE(h.action(QStringLiteral("Action_SubtitleEncoding_Big5"))->isChecked());

    // Opened again: the choice holds for this file.
    h.dialogs.answers.enqueue(Dialogs::Button::No); // the empty dictation is not kept
    h.w().OpenSourceFile(recording);
    EXPECT_FALSE(track.isComplete());
    ASSERT_TRUE(readAs("Big5"));
    EXPECT_EQ(track.sentences().first().text, big5);
    EXPECT_TRUE(track.encodingChosen());

    // Back to detection.
    h.action(QStringLiteral("Action_SubtitleEncoding_Auto"))->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return track.isComplete() && !track.encodingChosen(); }, 30000));
    EXPECT_EQ(track.subtitleEncoding(), QStringLiteral("GB18030"));
}
