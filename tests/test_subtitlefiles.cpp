// Subtitle files as learners download them: every encoding, the quirks of
// SubRip, WebVTT and ASS files, and the encoding a learner chose for a file.
#include "sentences/printsentences.h"
#include "sentences/subtitleencoding.h"
#include "sentences/subtitles.h"
#include "sentences/subtitletracks.h"
#include "support/testutil.h"
#include "support/tonewav.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const char *encoding, const QString &text)
{
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << encoding;
    return bytes;
}

QByteArray encodedWithBom(QStringConverter::Encoding encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

// Two SubRip cues with the lines.
QString twoCues(const char *first, const char *second)
{
    return QStringLiteral("1\r\n00:00:01,000 --> 00:00:02,000\r\n%1\r\n\r\n"
                          "2\r\n00:00:03,000 --> 00:00:04,000\r\n%2\r\n")
        .arg(QString::fromUtf8(first), QString::fromUtf8(second));
}

QStringList texts(const QList<Sentence> &cues)
{
    QStringList out;
    for (const Sentence &cue : cues)
        out.append(cue.text);
    return out;
}

} // namespace

TEST(SubtitleEncodings, EachIsReadAsItWasWritten)
{
    const char *french1 = "Ça va très bien, merci. Où est la gare ?";
    const char *french2 = "Nous sommes allés à l'hôpital, garçon.";
    const char *spanish1 = "¿Dónde está la estación? Mañana será otro día, señor.";
    const char *spanish2 = "El niño pequeño comió piña en el jardín.";
    const char *czech1 = "Příliš žluťoučký kůň úpěl ďábelské ódy.";
    const char *czech2 = "Děkuji, mám se dobře.";
    const char *russian1 = "Привет, как дела?";
    const char *russian2 = "Всё хорошо, спасибо.";
    const char *big5a = "今天天氣很好，我們去公園散步吧。";
    const char *big5b = "謝謝你的幫忙。";
    const char *gbkA = "今天天气很好，我们去公园散步吧。";
    const char *gbkB = "谢谢你的帮忙。";
    const char *japanese1 = "今日はいい天気ですね。";
    const char *japanese2 = "ありがとうございます。";
    const char *korean1 = "안녕하세요, 만나서 반갑습니다.";
    const char *korean2 = "오늘 날씨가 좋네요.";
    const struct {
        const char *name;
        QByteArray bytes;
        QStringList languages; // dictated, then the interface's
        QString chosen;
        const char *first, *second;
        const char *encoding;
    } rows[] = {
        {"French in Windows-1252",
         encoded("windows-1252", twoCues(french1, french2)),
         {"fr", "zh"},
         {},
         french1,
         french2,
         "windows-1252"},
        {"Spanish in Windows-1252, English dictated, Chinese interface",
         encoded("windows-1252", twoCues(spanish1, spanish2)),
         {"en", "zh"},
         {},
         spanish1,
         spanish2,
         "windows-1252"},
        {"Czech in Windows-1250",
         encoded("windows-1250", twoCues(czech1, czech2)),
         {"en", "zh"},
         {},
         czech1,
         czech2,
         "windows-1250"},
        {"Russian in Windows-1251",
         encoded("windows-1251", twoCues(russian1, russian2)),
         {"ru", "zh"},
         {},
         russian1,
         russian2,
         "windows-1251"},
        {"Russian in Windows-1251, English dictated",
         encoded("windows-1251", twoCues(russian1, russian2)),
         {"en", "en"},
         {},
         russian1,
         russian2,
         "windows-1251"},
        {"Traditional Chinese in Big5",
         encoded("Big5", twoCues(big5a, big5b)),
         {"zh", "zh"},
         {},
         big5a,
         big5b,
         "Big5"},
        {"Simplified Chinese in GBK",
         encoded("GBK", twoCues(gbkA, gbkB)),
         {"zh", "zh"},
         {},
         gbkA,
         gbkB,
         "GB18030"},
        {"a short GBK file, English dictated, Chinese interface",
         encoded("GBK", twoCues("你好", "世界")),
         {"en", "zh"},
         {},
         "你好",
         "世界",
         "GB18030"},
        {"a short GBK file with no hints",
         encoded("GBK", twoCues("你好", "再见")),
         {},
         {},
         "你好",
         "再见",
         "GB18030"},
        {"Japanese in Shift-JIS",
         encoded("Shift_JIS", twoCues(japanese1, japanese2)),
         {"ja", "zh"},
         {},
         japanese1,
         japanese2,
         "Shift_JIS"},
        {"Korean in EUC-KR",
         encoded("EUC-KR", twoCues(korean1, korean2)),
         {"ko", "zh"},
         {},
         korean1,
         korean2,
         "windows-949"},
        {"UTF-8 without BOM",
         twoCues(gbkA, french1).toUtf8(),
         {"en", "zh"},
         {},
         gbkA,
         french1,
         "UTF-8"},
        {"UTF-8 with BOM",
         "\xEF\xBB\xBF" + twoCues(russian1, korean1).toUtf8(),
         {"en", "zh"},
         {},
         russian1,
         korean1,
         "UTF-8"},
        {"UTF-16 LE with BOM",
         encodedWithBom(QStringConverter::Utf16LE, twoCues(big5a, czech1)),
         {"en", "zh"},
         {},
         big5a,
         czech1,
         "UTF-16LE"},
        {"UTF-16 BE with BOM",
         encodedWithBom(QStringConverter::Utf16BE, twoCues(japanese1, spanish1)),
         {"en", "zh"},
         {},
         japanese1,
         spanish1,
         "UTF-16BE"},
        {"UTF-16 LE without BOM",
         encoded("UTF-16LE", twoCues(korean2, french2)),
         {"en", "zh"},
         {},
         korean2,
         french2,
         "UTF-16LE"},
        {"UTF-16 BE without BOM",
         encoded("UTF-16BE", twoCues(russian2, gbkB)),
         {"en", "zh"},
         {},
         russian2,
         gbkB,
         "UTF-16BE"},
        {"the learner's choice wins over detection",
         encoded("windows-1251", twoCues(russian1, russian2)),
         {"zh", "zh"},
         "windows-1251",
         russian1,
         russian2,
         "windows-1251"},
    };
    for (const auto &row : rows) {
        SubtitleEncodingHints hints;
        hints.languages = row.languages;
        hints.chosen = row.chosen;
        const SubtitleCues got = parseSubtitles(row.bytes, SubtitleFormat::Srt, 10, {}, hints);
        EXPECT_EQ(got.encoding, QLatin1String(row.encoding)) << row.name;
        EXPECT_EQ(texts(got.cues),
                  (QStringList{QString::fromUtf8(row.first), QString::fromUtf8(row.second)}))
            << row.name;
    }
}

TEST(SubtitleEncodings, AChosenEncodingIsKeptPerFile)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("choices/encodings"));
    const QString a = QStringLiteral("/films/a.srt");
    const QString b = QString::fromUtf8("/films/电影 b.srt");
    ASSERT_TRUE(SubtitleEncodingChoices(store).setChoice(a, QStringLiteral("Big5")));
    ASSERT_TRUE(SubtitleEncodingChoices(store).setChoice(b, QStringLiteral("windows-1251")));
    ASSERT_TRUE(SubtitleEncodingChoices(store).setChoice(a, QStringLiteral("Shift_JIS")));
    const SubtitleEncodingChoices later(store);
    EXPECT_EQ(later.choice(a), QStringLiteral("Shift_JIS"));
    EXPECT_EQ(later.choice(b), QStringLiteral("windows-1251"));
    EXPECT_EQ(later.choice(QStringLiteral("/films/c.srt")), QString());
    // Back to detection.
    ASSERT_TRUE(later.setChoice(a, QString()));
    EXPECT_EQ(later.choice(a), QString());
    EXPECT_EQ(later.choice(b), QStringLiteral("windows-1251"));
    EXPECT_EQ(SubtitleEncodingChoices(QString()).choice(a), QString());
    // Every choice offered can be read with.
    for (const QString &encoding : subtitleEncodingChoices()) {
        SubtitleEncodingHints hints;
        hints.chosen = encoding;
        EXPECT_EQ(decodeSubtitleBytes("abc", hints).encoding, encoding);
    }
}

TEST(SubtitleQuirks, SubRipAsPlayersReadIt)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QList<Sentence> expected;
        int malformed;
    } rows[] = {
        {"a cue's box after its times",
         "1\n00:00:01,000 --> 00:00:02,000 X1:63 X2:223 Y1:43 Y2:58\nBoxed.\n\n"
         "2\n00:00:03,000 --> 00:00:04,000  X1:10 X2:20 Y1:30 Y2:40\nAgain.\n",
         {{1, 2, "Boxed."}, {3, 4, "Again."}},
         0},
        {"no blank line between cues",
         "1\n00:00:01,000 --> 00:00:02,000\nFirst.\n2\n00:00:03,000 --> 00:00:04,000\nSecond.\n"
         "00:00:05,000 --> 00:00:06,000\nThird, without a number.\n",
         {{1, 2, "First."}, {3, 4, "Second."}, {5, 6, "Third, without a number."}},
         0},
        {"a blank line inside a cue",
         "1\n00:00:01,000 --> 00:00:02,000\nThe first half\n\nand the rest.\n\n"
         "2\n00:00:03,000 --> 00:00:04,000\nNext.\n",
         {{1, 2, "The first half and the rest."}, {3, 4, "Next."}},
         0},
        {"a number inside the text stays",
         "1\n00:00:01,000 --> 00:00:02,000\nThe year\n1984\nwas long.\n",
         {{1, 2, "The year 1984 was long."}},
         0},
        {"dots for commas, short fractions, white space around",
         "  1\n 0:00:01.5 --> 0:00:02.25 \nDots.\n",
         {{1.5, 2.25, "Dots."}},
         0},
        {"broken timing lines skip their cue",
         "1\n00:00:01,000 -> 00:00:02,000\nno arrow\n\n2\n00:00:05,000 --> 00:00:04,000\n"
         "backwards\n\n3\n00:00:06,000 --> 00:00:07,000\nkept\n\n4\n00:00:08,000 --> "
         "00:00:09,000\n",
         {{6, 7, "kept"}},
         2},
        {"NUL bytes in a cue",
         QByteArray("1\n00:00:01,000 --> 00:00:02,000\nNo\0body.\n", 41),
         {{1, 2, "Nobody."}},
         0},
        {"CR line ends only",
         "1\r00:00:01,000 --> 00:00:02,000\rMac.\r\r2\r00:00:03,000 --> "
         "00:00:04,000\rStill Mac.\r",
         {{1, 2, "Mac."}, {3, 4, "Still Mac."}},
         0},
    };
    for (const auto &row : rows) {
        const SubtitleCues got = parseSubtitles(row.bytes, SubtitleFormat::Srt, 10);
        EXPECT_EQ(got.cues, row.expected) << row.name;
        EXPECT_EQ(got.malformed, row.malformed) << row.name;
    }
}

// The kind of cases a browser's WebVTT parser is checked against: what a
// browser makes of each file, and what is dictated from it (a cue that ends
// before it starts, or has no text, gives no sentence).
TEST(SubtitleQuirks, WebVttAsBrowsersReadIt)
{
    const QByteArray cue = "00:00.000 --> 00:01.000\ntext\n";
    const struct {
        const char *name;
        QByteArray bytes;
        int browserCues;
        QStringList expected; // the cue texts dictated
    } rows[] = {
        {"signature only", "WEBVTT", 0, {}},
        {"signature and a cue", "WEBVTT\n\n" + cue, 1, {"text"}},
        {"text after the signature", "WEBVTT - captions\n\n" + cue, 1, {"text"}},
        {"tab after the signature", "WEBVTT\tx\n\n" + cue, 1, {"text"}},
        {"no signature", cue, 0, {}},
        {"signature run into text", "WEBVTTx\n\n" + cue, 0, {}},
        {"signature in lower case", "webvtt\n\n" + cue, 0, {}},
        {"byte-order mark", "\xEF\xBB\xBFWEBVTT\n\n" + cue, 1, {"text"}},
        {"a cue right after the signature line", "WEBVTT\n" + cue, 1, {"text"}},
        {"header lines, then a cue without a blank line",
         "WEBVTT\nKind: captions\n" + cue,
         1,
         {"text"}},
        {"no blank line between cues",
         "WEBVTT\n\n00:00.000 --> 00:01.000\na\n00:01.000 --> 00:02.000\nb\n",
         2,
         {"a", "b"}},
        {"an identifier line", "WEBVTT\n\nintro\n" + cue, 1, {"text"}},
        {"two lines before the timing line", "WEBVTT\n\nx\ny\n" + cue, 1, {"text"}},
        {"NUL in the text", QByteArray("WEBVTT\n\n00:00.000 --> 00:01.000\na\0b\n", 36), 1, {"ab"}},
        {"NUL in the header", QByteArray("WEBVTT\0\n\n", 9) + cue, 0, {}},
        {"NUL after the times",
         QByteArray("WEBVTT\n\n00:00.000 --> 00:01.000\0\nt\n", 36),
         1,
         {"t"}},
        {"vertical tab around the arrow", "WEBVTT\n\n00:00.000\v-->\v00:01.000\nt\n", 0, {}},
        {"form feed around the arrow", "WEBVTT\n\n00:00.000\f-->\f00:01.000\nt\n", 1, {"t"}},
        {"no spaces around the arrow", "WEBVTT\n\n00:00.000-->00:01.000\nt\n", 1, {"t"}},
        {"hours", "WEBVTT\n\n01:00:00.000 --> 01:00:01.000\nt\n", 1, {"t"}},
        {"hours of three digits", "WEBVTT\n\n100:00:00.000 --> 100:00:01.000\nt\n", 1, {"t"}},
        {"one-digit minutes", "WEBVTT\n\n0:01.000 --> 0:02.000\nt\n", 0, {}},
        {"two-digit fraction", "WEBVTT\n\n00:01.00 --> 00:02.000\nt\n", 0, {}},
        {"comma before the fraction", "WEBVTT\n\n00:00:01,000 --> 00:00:02,000\nt\n", 0, {}},
        {"minutes past 59", "WEBVTT\n\n00:60:00.000 --> 00:61:00.000\nt\n", 0, {}},
        {"seconds past 59", "WEBVTT\n\n00:00:60.000 --> 00:00:61.000\nt\n", 0, {}},
        {"settings after the times",
         "WEBVTT\n\n00:00.000 --> 00:01.000 align:start position:10% line:0 size:50%\nt\n",
         1,
         {"t"}},
        {"braces are text",
         "WEBVTT\n\n00:00.000 --> 00:01.000\n{not a tag} but text\n",
         1,
         {"{not a tag} but text"}},
        {"backslashes are text", "WEBVTT\n\n00:00.000 --> 00:01.000\nC:\\Nord\n", 1, {"C:\\Nord"}},
        {"tags and entities",
         "WEBVTT\n\n00:00.000 --> 00:01.000\n<v Anna>Hi</v> &amp; <c.x>bye</c>\n",
         1,
         {"Hi & bye"}},
        {"NOTE, STYLE and REGION blocks",
         "WEBVTT\n\nNOTE a note\n\nSTYLE\n::cue { color: red }\n\nREGION\nid:r\n\n" + cue,
         1,
         {"text"}},
        {"CR LF line ends", "WEBVTT\r\n\r\n00:00.000 --> 00:01.000\r\nt\r\n", 1, {"t"}},
        {"CR line ends", "WEBVTT\r\r00:00.000 --> 00:01.000\rt\r", 1, {"t"}},
        {"a line of spaces is text, not a break",
         "WEBVTT\n\n00:00.000 --> 00:01.000\na\n \nb\n",
         1,
         {"a b"}},
        {"an arrow inside the text starts a new block",
         "WEBVTT\n\n00:00.000 --> 00:01.000\na\nb --> c\nd\n",
         1,
         {"a"}},
        {"a broken cue between good ones",
         "WEBVTT\n\n00:00.000 --> 00:01.000\na\n\n00:01 --> 00:02.000\nx\n\n"
         "00:02.000 --> 00:03.000\nb\n",
         2,
         {"a", "b"}},
        {"end before start", "WEBVTT\n\n00:02.000 --> 00:01.000\nt\n", 1, {}},
        {"a cue with no text", "WEBVTT\n\n00:00.000 --> 00:01.000\n\n", 1, {}},
        {"the last cue without a line break",
         "WEBVTT\n\n00:00.000 --> 00:01.000\nlast",
         1,
         {"last"}},
    };
    for (const auto &row : rows) {
        // Unknown length: nothing is cut, so the count is the file's.
        const SubtitleCues got = parseSubtitles(row.bytes, SubtitleFormat::Vtt, 0);
        EXPECT_EQ(texts(got.cues), row.expected) << row.name;
        EXPECT_LE(got.cues.size(), row.browserCues) << row.name;
        // Only a file that is no WebVTT file is told apart as such.
        const bool signed_ = !QByteArray(row.name).startsWith("no signature")
                             && !QByteArray(row.name).startsWith("signature run")
                             && !QByteArray(row.name).startsWith("signature in lower")
                             && !QByteArray(row.name).startsWith("NUL in the header");
        EXPECT_EQ(got.wrongFormat, !signed_) << row.name;
    }
}

TEST(SubtitleQuirks, AssDrawingsAreNoTextAndLayersOneLine)
{
    const QByteArray head = "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                            "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                            "Effect, Text\n";
    const struct {
        const char *name;
        QByteArray events;
        QList<Sentence> expected;
        int merged;
    } rows[] = {
        {"a sign drawn alone",
         "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,{\\p1}m 0 0 l 100 0 100 100 0 100{\\p0}\n"
         "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Words.\n",
         {{3, 4, "Words."}},
         0},
        {"a drawing before words",
         "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,{\\an7\\p2\\pos(10,10)}m 0 0 b 10 10 20 "
         "20 30 30{\\p0}Open here.\n",
         {{1, 2, "Open here."}},
         0},
        {"a drawing to the end of the line",
         "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,Look: {\\p1}m 0 0 l 5 5\n",
         {{1, 2, "Look:"}},
         0},
        {"\\pos and \\pbo are no drawing",
         "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\pos(1,2)\\pbo3}Still words.\n",
         {{1, 2, "Still words."}},
         0},
        {"the same line on two layers, 10 ms apart",
         "Dialogue: 1,0:00:01.01,0:00:03.00,Default,,0,0,0,,{\\blur3}Hello there.\n"
         "Dialogue: 0,0:00:01.00,0:00:03.00,Default,,0,0,0,,Hello there.\n"
         "Dialogue: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,Hello there.\n",
         {{1, 3, "Hello there."}, {4, 5, "Hello there."}},
         1},
    };
    for (const auto &row : rows) {
        const SubtitleCues got = parseSubtitles(head + row.events, SubtitleFormat::Ass, 10);
        EXPECT_EQ(got.cues, row.expected) << row.name;
        EXPECT_EQ(got.merged, row.merged) << row.name;
    }
}

// Cues that start together are one sentence, also when they close the file.
TEST(SubtitleQuirks, TheLastCuesStartingTogetherAreJoined)
{
    const struct {
        const char *name;
        SubtitleFormat format;
        QByteArray bytes;
        QList<Sentence> expected;
    } rows[] = {
        {"SubRip",
         SubtitleFormat::Srt,
         "1\n00:00:01,000 --> 00:00:02,000\nFirst.\n\n2\n00:00:03,000 --> 00:00:04,000\n- Who?\n\n"
         "3\n00:00:03,000 --> 00:00:04,500\n- Me.\n",
         {{1, 2, "First."}, {3, 4.5, "- Who? - Me."}}},
        {"WebVTT",
         SubtitleFormat::Vtt,
         "WEBVTT\n\n00:03.000 --> 00:04.000\nA\n\n00:03.000 --> 00:04.000\nB\n",
         {{3, 4, "A B"}}},
        {"lyrics",
         SubtitleFormat::Lrc,
         "[00:01.00]one\n[00:05.00]two\n[00:05.00]three\n",
         {{1, 5, "one"}, {5, 10, "two three"}}},
    };
    for (const auto &row : rows) {
        const SubtitleCues got = parseSubtitles(row.bytes, row.format, 10);
        EXPECT_EQ(got.cues, row.expected) << row.name;
        EXPECT_EQ(got.merged, 1) << row.name;
    }
}

// The command line says on standard error what became of the subtitle file.
TEST(SubtitleNotes, PrintSentencesSaysWhatBecameOfTheFile)
{
    const QString russian = QString::fromUtf8("Привет, как дела? Всё хорошо, спасибо.");
    const struct {
        const char *name;
        const char *suffix;
        QByteArray bytes;
        QStringList said; // each in a line of its own; empty: nothing said
        bool fromFile;
    } rows[] = {
        {"UTF-8: nothing to say", "srt", "1\n00:00:01,000 --> 00:00:02,000\nHello.\n", {}, true},
        {"an empty file", "srt", "", {"talk.srt", "没有用上", "里面没有字幕"}, false},
        {"no cue can be read",
         "srt",
         "1\n00:00:01 -> 00:00:02\nHello.\n",
         {"talk.srt", "没有用上", "格式不对"},
         false},
        {"WebVTT without its signature",
         "vtt",
         "00:01.000 --> 00:02.000\nHello.\n",
         {"talk.vtt", "没有用上", "格式不对"},
         false},
        {"Windows-1251",
         "srt",
         encoded("windows-1251", QStringLiteral("1\n00:00:01,000 --> 00:00:02,000\n") + russian),
         {"windows-1251"},
         true},
    };
    for (const auto &row : rows) {
        QTemporaryDir dir;
        const QString recording = dir.filePath(QStringLiteral("talk.wav"));
        ASSERT_TRUE(writeToneWav(recording, 3.0));
        putFile(dir.filePath(QStringLiteral("talk.") + QLatin1String(row.suffix)), row.bytes);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        ASSERT_EQ(printSentences(recording, outStream, errStream), 0) << row.name;
        EXPECT_EQ(err.count(QLatin1Char('\n')), row.said.isEmpty() ? 0 : 1)
            << row.name << ": " << err.toStdString();
        for (const QString &part : row.said)
            EXPECT_TRUE(err.contains(part)) << row.name << ": " << err.toStdString();
        // Sentences from the file have their text as a third column.
        EXPECT_EQ(out.section(QLatin1Char('\n'), 0, 0).count(QLatin1Char('\t')) == 2, row.fromFile)
            << row.name << ": " << out.toStdString();
    }
}

TEST(SubtitleTrackNames, LanguagesAreNamedInTheInterfaceLanguage)
{
    const struct {
        const char *tag;
        const char *interface;
        const char *expected;
    } rows[] = {
        {"eng", "zh", "英语"},    {"chi", "zh", "中文"},   {"zho", "zh", "中文"},
        {"jpn", "zh", "日语"},    {"en-GB", "zh", "英语"}, {"eng", "en", "English"},
        {"chi", "en", "Chinese"}, {"fre", "en", "French"}, {"xyz", "zh", "xyz"},
        {"", "zh", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(languageName(QString::fromLatin1(row.tag), QString::fromLatin1(row.interface)),
                  QString::fromUtf8(row.expected))
            << row.tag << " " << row.interface;
}
