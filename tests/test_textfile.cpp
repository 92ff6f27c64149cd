#include "dictation/dictationdocument.h"
#include "dictation/textfile.h"
#include "support/fakedialogs.h"
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include "platform/errors.h"
#include <QLabel>
#include <QPlainTextEdit>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using Encoding = TextFileContent::Encoding;

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

const QString Header = QStringLiteral("听写记录\r\n语音文件: D:\\课程\\第一课.mp3\r\n");

} // namespace

TEST(TextFile, GbkSupportIsAvailable)
{
    EXPECT_TRUE(QStringDecoder("GB18030").isValid());
    EXPECT_TRUE(QStringEncoder("GB18030").isValid());
    // "听写" in GBK.
    EXPECT_EQ(gbk(QStringLiteral("听写")), QByteArray("\xCC\xFD\xD0\xB4"));
}

struct LineBreakCase {
    const char *name;
    QByteArray bytes;
    QString text;
};

TEST(TextFile, EveryLineBreakBecomesCrLf)
{
    const LineBreakCase cases[] = {
        {"LF only", "one\ntwo\n", QStringLiteral("one\r\ntwo\r\n")},
        {"CR only", "one\rtwo\r", QStringLiteral("one\r\ntwo\r\n")},
        {"CR LF kept", "one\r\ntwo\r\n", QStringLiteral("one\r\ntwo\r\n")},
        {"mixed", "a\r\nb\nc\rd", QStringLiteral("a\r\nb\r\nc\r\nd")},
        {"no final break", "a\nb", QStringLiteral("a\r\nb")},
        {"CR, CR LF, LF", "\r\r\n\n", QStringLiteral("\r\n\r\n\r\n")},
        {"LF then CR is two breaks", "a\n\rb", QStringLiteral("a\r\n\r\nb")},
        {"empty lines", "\n\n", QStringLiteral("\r\n\r\n")},
        {"empty file", "", QString()},
    };
    QTemporaryDir dir;
    for (const LineBreakCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("doc.txt"));
        putFile(path, c.bytes);
        const TextFileContent content = readTextFile(path);
        EXPECT_EQ(content.text, c.text);
        EXPECT_EQ(content.encoding, Encoding::Utf8);
    }
}

TEST(TextFile, GbkFileReadsAndWritesBackByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gbk.txt"));
    const QString text =
        Header
        + QStringLiteral(
            "\r\n“你好，世界！”——第1句。\r\n[00:01.500-00:03.250] 2024-05-01 10:00:00");
    const QByteArray bytes = gbk(text);
    ASSERT_FALSE(bytes.isValidUtf8());
    putFile(path, bytes);

    const TextFileContent content = readTextFile(path);
    EXPECT_EQ(content.text, text);
    EXPECT_EQ(content.encoding, Encoding::Gb18030);

    ASSERT_TRUE(writeTextFile(path, content.text, content.encoding));
    EXPECT_EQ(readAll(path), bytes);
}

TEST(TextFile, EveryDoubleByteGbkCodeRoundTrips)
{
    // All lead and trail bytes of the two-byte GBK range, user-defined areas
    // included: whatever a Windows editor wrote must come back unchanged.
    QByteArray bytes;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            bytes += char(lead);
            bytes += char(trail);
        }
        bytes += "\r\n";
    }
    const TextFileContent content = decodeText(bytes);
    EXPECT_EQ(content.encoding, Encoding::Gb18030);
    EXPECT_FALSE(content.text.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(encodeText(content.text, content.encoding), bytes);
}

TEST(TextFile, Utf8ByteOrderMarkIsDroppedAndNotWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bom.txt"));
    putFile(path, QByteArray("\xEF\xBB\xBF") + Header.toUtf8());

    const TextFileContent content = readTextFile(path);
    EXPECT_EQ(content.text, Header);
    EXPECT_EQ(content.encoding, Encoding::Utf8);

    ASSERT_TRUE(writeTextFile(path, content.text, content.encoding));
    EXPECT_EQ(readAll(path), Header.toUtf8());
}

TEST(TextFile, Utf8StaysUtf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("utf8.txt"));
    putFile(path, QStringLiteral("听写记录\n你好").toUtf8());

    const TextFileContent content = readTextFile(path);
    EXPECT_EQ(content.text, QStringLiteral("听写记录\r\n你好"));
    EXPECT_EQ(content.encoding, Encoding::Utf8);

    ASSERT_TRUE(writeTextFile(path, content.text, content.encoding));
    EXPECT_EQ(readAll(path), QStringLiteral("听写记录\r\n你好").toUtf8());
}

TEST(TextFile, NewDocumentIsWrittenAsUtf8WithoutMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.txt"));
    ASSERT_TRUE(writeTextFile(path, Header, TextFileContent().encoding));
    EXPECT_EQ(readAll(path), Header.toUtf8());
}

TEST(TextFile, TextGbkCannotHoldIsWrittenAsUtf8)
{
    // An unpaired surrogate has no GB18030 code.
    const QString text = QStringLiteral("听写") + QChar(0xD800) + QStringLiteral("x");
    QStringEncoder utf8(QStringConverter::Utf8);
    EXPECT_EQ(encodeText(text, Encoding::Gb18030), utf8.encode(text));
    // Characters outside GBK proper are still GB18030.
    const QString emoji = QString::fromUcs4(U"听\U0001F600");
    EXPECT_EQ(encodeText(emoji, Encoding::Gb18030), gbk(emoji));
}

TEST(TextFile, UnreadableFileThrowsNamingIt)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    const QString folder = dir.path();
    for (const QString &path : {missing, folder}) {
        SCOPED_TRACE(path.toStdString());
        try {
            readTextFile(path);
            ADD_FAILURE() << "no error";
        } catch (const AppError &error) {
            EXPECT_TRUE(error.text().contains(path)) << error.text().toStdString();
        }
    }
}

struct AppendCase {
    const char *name;
    QString text;
    QStringList lines;
    QString result;
};

// Records are appended to the document in the editor; what is saved must be
// the text with the lines added by these rules.
TEST(DictationDocument, AppendLine)
{
    const AppendCase cases[] = {
        {"empty text", QString(), {QStringLiteral("a")}, QStringLiteral("a\r\n")},
        {"empty text, empty line", QString(), {QString()}, QStringLiteral("\r\n")},
        {"after CR LF",
         QStringLiteral("x\r\n"),
         {QStringLiteral("a")},
         QStringLiteral("x\r\na\r\n")},
        {"no final break", QStringLiteral("x"), {QStringLiteral("a")}, QStringLiteral("x\r\na")},
        {"empty line ends last line", QStringLiteral("x"), {QString()}, QStringLiteral("x\r\n")},
        {"record after unterminated text",
         QStringLiteral("x"),
         {QString(), QStringLiteral("said"), QStringLiteral("info")},
         QStringLiteral("x\r\nsaid\r\ninfo\r\n")},
        {"record after terminated text",
         QStringLiteral("x\r\n"),
         {QString(), QStringLiteral("said"), QString()},
         QStringLiteral("x\r\n\r\nsaid\r\n\r\n")},
        {"two unterminated appends",
         QStringLiteral("x"),
         {QStringLiteral("a"), QStringLiteral("b")},
         QStringLiteral("x\r\na\r\nb")},
    };
    FakeDialogs dialogs;
    QPlainTextEdit editor;
    QLabel label;
    DictationDocument document(&dialogs, &editor, &label, nullptr);
    for (const AppendCase &c : cases) {
        SCOPED_TRACE(c.name);
        editor.setPlainText(toEditorText(c.text));
        for (const QString &line : c.lines)
            document.appendLine(line);
        EXPECT_EQ(document.text(), c.result);
    }
}

TEST(TextFile, SaveWithoutFolderFails)
{
    QTemporaryDir dir;
    putFile(dir.filePath(QStringLiteral("plain")), "not a folder");
    const QString paths[] = {
        dir.filePath(QStringLiteral("missing/doc.txt")),
        dir.filePath(QStringLiteral("plain/doc.txt")),
    };
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(writeTextFile(path, Header, Encoding::Utf8));
        EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("plain"))), QByteArray("not a folder"));
}

TEST(TextFile, FailedSaveLeavesOldFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    const QByteArray old = gbk(Header);
    putFile(path, old);

    // Small saves go through the write buffer, large ones straight to disk.
    for (const int size : {6 * 1024, 64 * 1024}) {
        SCOPED_TRACE(size);
        const QString text = Header + QString(size, QLatin1Char('x'));
        {
            const FileSizeLimit limit(4096);
            EXPECT_FALSE(writeTextFile(path, text, Encoding::Gb18030));
        }
        EXPECT_EQ(readAll(path), old);
    }
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("doc.txt")});
}

TEST(TextFile, LargeTextRoundTrips)
{
    QString text = Header;
    for (int i = 0; text.size() < 3 * 1024 * 1024; ++i) {
        text += QStringLiteral("\r\n第%1句：The quick brown fox 跳过了懒狗。\r\n").arg(i);
        text += QStringLiteral("[00:%1.000-00:%2.500] 2024-05-01 10:00:00\r\n")
                    .arg(i % 60)
                    .arg((i + 1) % 60);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Gb18030}) {
        SCOPED_TRACE(int(encoding));
        ASSERT_TRUE(writeTextFile(path, text, encoding));
        const TextFileContent content = readTextFile(path);
        EXPECT_EQ(content.encoding, encoding);
        EXPECT_TRUE(content.text == text);
    }
}

// Found by fuzzing: an unfinished character at the very end of a GBK file
// was dropped without a trace.
TEST(TextFile, UnfinishedGbkCharacterAtTheEndIsNotLost)
{
    const TextFileContent content = decodeText(QByteArray("\xC4\xE3\xBA\xC3\x81"));
    EXPECT_EQ(content.encoding, TextFileContent::Encoding::Gb18030);
    EXPECT_EQ(content.text, QStringLiteral("你好\uFFFD"));
    // What is saved reads back as the same text.
    const QString once = decodeText(QByteArray("\xCF\xBB\xBF")).text;
    EXPECT_EQ(decodeText(encodeText(once, TextFileContent::Encoding::Gb18030)).text, once);
}

TEST(TextFile, LeadingByteOrderMarksAreDroppedAndLaterOnesKept)
{
    EXPECT_EQ(decodeText(QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx")).text, QStringLiteral("x"));
    EXPECT_EQ(decodeText(QByteArray("x\xEF\xBB\xBF")).text, QStringLiteral("x\uFEFF"));
}

TEST(TextFile, EditorTextConversions)
{
    EXPECT_EQ(toEditorText(QStringLiteral("a\r\nb\r\n\r\nc")), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(fromEditorRawText(QStringLiteral("a\u2029b\u2028c\u00a0\u2029")),
              QStringLiteral("a\r\nb\r\nc\u00a0\r\n"));
}
