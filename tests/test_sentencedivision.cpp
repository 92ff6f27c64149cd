// Where a recording's sentences come from and which sentence a span is:
// subtitle files, the identity of a division, and navigation by sentence.
#include "sentences/sentencenavigation.h"
#include "sentences/sentencesource.h"
#include "sentences/subtitles.h"
#include "support/testutil.h"

#include <QSet>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        {"srt malformed cues skipped and counted; text after a blank line stays with its cue",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 -> 00:00:02,000\nno arrow\n\n2\n00:00:05,000 --> "
         "00:00:04,000\nbackwards\n\n"
         "3\n00:00:06,000 --> 00:00:07,000\nkept\n\njust text\n\n4\n00:00:08,000 --> "
         "00:00:09,000\n",
         10,
         {{6.0, 7.0, "kept just text"}},
         2},
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

// A loop set from a sentence, a stored sentence and a subtitle's times all
// name a sentence by its span; the loop rules and the millisecond texts move
// it by a little, another sentence is far off.
TEST(SentenceNavigation, ASpanIsTheSentenceWithinFiveMilliseconds)
{
    const QList<Sentence> list{{1.0, 2.0, {}}, {2.0, 3.5, {}}, {6.0, 7.0, {}}};
    const struct {
        const char *name;
        double start, end;
        int sentence;
    } rows[] = {
        {"the very times", 2.0, 3.5, 1},
        {"rounded to milliseconds", 1.0004, 1.9996, 0},
        {"four milliseconds off both ways", 5.996, 7.004, 2},
        {"start six milliseconds late", 6.006, 7.0, -1},
        {"end six milliseconds early", 6.0, 6.994, -1},
        {"a sentence and a half", 1.0, 3.5, -1},
        {"inside a sentence", 6.2, 6.8, -1},
        {"unset loop", -1.0, -1.0, -1},
        {"end before start", 2.0, 1.0, -1},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(sentenceOfSpan(list, row.start, row.end), row.sentence) << row.name;
        // A loop on the span is the current sentence wherever the position is.
        EXPECT_EQ(currentSentence(list, {row.start, row.end, 4.0}), row.sentence) << row.name;
    }
    EXPECT_EQ(sentenceOfSpan({}, 1.0, 2.0), -1);
    EXPECT_TRUE(sameSpan(-1.0, -1.0, -1.0, -1.0)); // no loop answered, no loop set
    EXPECT_FALSE(sameSpan(1.0, 2.0, -1.0, -1.0));
}

// The identity of a division is kept by the analysis cache and the learner
// database: it must read back, keep its text from run to run, and tell apart
// what gives other sentences.
TEST(SentenceSource, IdentityIsStableAndTellsSourcesApart)
{
    DetectorParams longer;
    longer.longSentence = 12.0;
    const struct {
        const char *name;
        SentenceSource source;
        const char *identity; // empty: only its form is checked
    } rows[] = {
        {"nothing yet", SentenceSource(), ""},
        {"subtitle file", SentenceSource::subtitleFile("abc"),
         "subtitle-file:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"track", SentenceSource::subtitleTrack(2, QStringLiteral("eng")), "subtitle-track:2:eng"},
        {"untagged track", SentenceSource::subtitleTrack(3, {}), "subtitle-track:3:"},
        {"transcript", SentenceSource::transcript("abc"),
         "transcript:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"pauses", SentenceSource::pauses(), nullptr},
        {"pauses, longer sentences", SentenceSource::pauses(longer), nullptr},
        // Cues moved to their speech divide the recording elsewhere.
        {"subtitle file moved later", SentenceSource::subtitleFile("abc").shiftedBy(2.4),
         "subtitle-file:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad@+2400"},
        {"subtitle file moved earlier", SentenceSource::subtitleFile("abc").shiftedBy(-1.5),
         "subtitle-file:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad@-1500"},
        {"track moved", SentenceSource::subtitleTrack(2, QStringLiteral("en@x")).shiftedBy(0.75),
         "subtitle-track:2:enx@+750"},
        // Cues not moved, their boundaries taken out of words: times of their own.
        {"subtitle file in pauses", SentenceSource::subtitleFile("abc").inPauses(),
         "subtitle-file:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad@0"},
        {"track in pauses", SentenceSource::subtitleTrack(2, QStringLiteral("eng")).inPauses(),
         "subtitle-track:2:eng@0"},
    };
    QSet<QString> seen;
    for (const auto &row : rows) {
        const QString identity = row.source.identity();
        if (row.identity)
            EXPECT_EQ(identity, QString::fromLatin1(row.identity)) << row.name;
        else
            EXPECT_TRUE(identity.startsWith(QStringLiteral("pauses:1:"))) << row.name;
        EXPECT_FALSE(seen.contains(identity)) << row.name;
        seen.insert(identity);
        if (row.source.isNone())
            continue;
        const std::optional<SentenceSource> back = SentenceSource::fromIdentity(identity);
        ASSERT_TRUE(back) << row.name;
        EXPECT_EQ(*back, row.source) << row.name;
    }
    EXPECT_EQ(SentenceSource::pauses().identity(), SentenceSource::pauses({}).identity());
    EXPECT_NE(SentenceSource::subtitleFile("abc"), SentenceSource::transcript("abc"));
    // Only cues move; moving back gives the source itself.
    EXPECT_EQ(SentenceSource::transcript("abc").shiftedBy(2.0), SentenceSource::transcript("abc"));
    EXPECT_EQ(SentenceSource::subtitleFile("abc").shiftedBy(2.0).unshifted(),
              SentenceSource::subtitleFile("abc"));
    EXPECT_DOUBLE_EQ(SentenceSource::subtitleTrack(1, {}).shiftedBy(-0.25).shift(), -0.25);
    EXPECT_EQ(SentenceSource::transcript("abc").inPauses(), SentenceSource::transcript("abc"));
    EXPECT_EQ(SentenceSource::subtitleFile("abc").inPauses().unshifted(),
              SentenceSource::subtitleFile("abc"));
    EXPECT_EQ(SentenceSource::subtitleFile("abc").shiftedBy(1.0).inPauses(),
              SentenceSource::subtitleFile("abc").shiftedBy(1.0));
    EXPECT_TRUE(SentenceSource::subtitleFile("abc").inPauses().isFitted());
    EXPECT_FALSE(SentenceSource::subtitleFile("abc").isFitted());
    for (const char *bad :
         {"", "pauses", "subtitle-file:xyz", "subtitle-track:two:en", "transcript:", "video:1",
          "subtitle-file:BA7816BF", "subtitle-track:2:eng@+0", "subtitle-track:2:eng@2400",
          "subtitle-track:2:eng@+1@+2", "subtitle-file:xyz@+2400", "subtitle-track:2:eng@0@0",
          "subtitle-track:2:eng@+1@0", "subtitle-track:2:eng@-0", "transcript:xyz@0"})
        EXPECT_FALSE(SentenceSource::fromIdentity(QString::fromLatin1(bad))) << bad;
}
