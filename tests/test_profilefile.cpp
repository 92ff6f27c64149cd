#include "platform/errors.h"
#include "platform/profilefile.h"
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <functional>
#include <span>
#include <sys/resource.h>

namespace {

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const AppError &error) {
        return error.text();
    }
    return QStringLiteral("<no error>");
}

const QByteArray Sample = "; written by hand\r\n"
                          "[Options]\r\n"
                          "PauseWhenWriting=1\r\n"
                          "  recorddictatetime =  0x10  \r\n"
                          "Quoted=\"  spaced  \"\r\n"
                          "Single='x'\r\n"
                          "Empty=\r\n"
                          "Blanks=   \r\n"
                          "Dup=first\r\n"
                          "Dup=second\r\n"
                          "odd line without equals\r\n"
                          "Equals=a=b\r\n"
                          "\r\n"
                          "[LastFiles]\r\n"
                          "Item01=/music/\xE4\xB8\x80.mp3\r\n"
                          "Item02=C:\\\xD2\xF4.mp3\r\n"
                          "Item03=\r\n"
                          "[options]\r\n"
                          "Later=1\r\n";

// One value written over a file that held `before`.
struct WriteCase {
    const char *name;
    QByteArray before;
    const char *section;
    const char *key;
    QString value;
    QByteArray after;
};

class ProfileFile : public ::testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("Quillmar.ini")) const
    {
        return m_dir.filePath(name);
    }

    // Each write must leave exactly `after` and read back its value.
    void expectWrites(std::span<const WriteCase> cases) const
    {
        for (const WriteCase &c : cases) {
            SCOPED_TRACE(c.name);
            putFile(path(), c.before);
            const QString section = QString::fromUtf8(c.section);
            const QString key = QString::fromUtf8(c.key);
            writeProfileString(path(), section, key, c.value);
            EXPECT_EQ(readAll(path()), c.after);
            EXPECT_EQ(readProfileString(path(), section, key, QStringLiteral("<default>")),
                      c.value);
        }
    }

    QTemporaryDir m_dir;
};

} // namespace

struct ReadCase {
    const char *section;
    const char *key;
    QString expected;
};

TEST_F(ProfileFile, ReadString)
{
    putFile(path(), Sample);
    const QString dflt = QStringLiteral("<default>");
    const ReadCase cases[] = {
        {"Options", "PauseWhenWriting", QStringLiteral("1")},
        {"OPTIONS", "pausewhenwriting", QStringLiteral("1")},
        {" Options ", "RecordDictateTime ", QStringLiteral("0x10")},
        {"Options", "Quoted", QStringLiteral("  spaced  ")},
        {"Options", "Single", QStringLiteral("x")},
        {"Options", "Empty", QString()},
        {"Options", "Blanks", QString()},
        {"Options", "Dup", QStringLiteral("first")},
        {"Options", "Equals", QStringLiteral("a=b")},
        {"Options", "odd line without equals", dflt},
        {"Options", "Missing", dflt},
        {"Options", "Item01", dflt},
        {"Options", "Later", dflt}, // only the first [Options] counts
        {"LastFiles", "Item01", QStringLiteral("/music/一.mp3")},
        {"LastFiles", "Item02", QStringLiteral("C:\\音.mp3")}, // not UTF-8: GBK
        {"LastFiles", "Item03", QString()},
        {"LastFiles", "PauseWhenWriting", dflt},
        {"Missing", "Item01", dflt},
        {"written by hand", "Item01", dflt},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(
            readProfileString(path(), QString::fromUtf8(c.section), QString::fromUtf8(c.key), dflt),
            c.expected);
    }
    EXPECT_EQ(readProfileString(path(QStringLiteral("missing.ini")), QStringLiteral("Options"),
                                QStringLiteral("PauseWhenWriting"), dflt),
              dflt);
    // A folder where the file should be reads like a missing file.
    EXPECT_EQ(readProfileString(m_dir.path(), QStringLiteral("Options"),
                                QStringLiteral("PauseWhenWriting"), dflt),
              dflt);
}

struct IntCase {
    QByteArray value;
    int expected;
};

TEST_F(ProfileFile, ReadInt)
{
    const int dflt = -77;
    const IntCase cases[] = {
        {"1", 1},
        {"2", 2},
        {"-1", -1},
        {"+7", 7},
        {"0", 0},
        {"007", 7},
        {"0x10", 16},
        {"0XfF", 255},
        {"  42  ", 42},
        {"\"5\"", 5},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"0xFFFFFFFFFF", INT_MAX},
        {"", dflt},
        {"yes", dflt},
        {"true", dflt},
        {"12abc", dflt},
        {"1 2", dflt},
        {"1.5", dflt},
        {"0x", dflt},
        {"0x1g", dflt},
        {"-0x10", dflt},
        {"-", dflt},
        {"\xD9\xA3", dflt}, // an Arabic-Indic digit
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        putFile(path(), "[Options]\r\nFlag=" + c.value + "\r\n");
        EXPECT_EQ(readProfileInt(path(), QStringLiteral("Options"), QStringLiteral("Flag"), dflt),
                  c.expected);
    }
    EXPECT_EQ(readProfileInt(path(), QStringLiteral("Options"), QStringLiteral("Missing"), dflt),
              dflt);
    EXPECT_EQ(readProfileInt(path(QStringLiteral("missing.ini")), QStringLiteral("Options"),
                             QStringLiteral("Flag"), dflt),
              dflt);
}

TEST_F(ProfileFile, LongValuesAreCutAt2047Characters)
{
    const QString k = QStringLiteral("Item01");
    const QString s = QStringLiteral("LastFiles");
    const QByteArray longValue(3000, 'a');

    putFile(path(), "[LastFiles]\r\nItem01=" + longValue + "\r\n");
    EXPECT_EQ(readProfileString(path(), s, k, QString()), QString(2047, QLatin1Char('a')));

    // Quotes come off before the cut.
    putFile(path(), "[LastFiles]\r\nItem01=\"" + longValue + "\"\r\n");
    EXPECT_EQ(readProfileString(path(), s, k, QString()), QString(2047, QLatin1Char('a')));

    // A character of two UTF-16 units is not cut in half.
    putFile(path(), "[LastFiles]\r\nItem01=" + QByteArray(2046, 'a') + "\xF0\x9F\x98\x80" + "\r\n");
    EXPECT_EQ(readProfileString(path(), s, k, QString()), QString(2046, QLatin1Char('a')));

    putFile(path(), "[LastFiles]\r\nItem01=" + QByteArray(2047, 'a') + "\r\n");
    EXPECT_EQ(readProfileString(path(), s, k, QString()).size(), 2047);
}

TEST_F(ProfileFile, WriteEditsOnlyItsLine)
{
    const WriteCase cases[] = {
        {"update in place", "[A]\r\nx=1\r\nk=1\r\ny=2\r\n", "A", "k", QStringLiteral("9"),
         "[A]\r\nx=1\r\nk=9\r\ny=2\r\n"},
        {"update first duplicate", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", QStringLiteral("3"),
         "[A]\r\nk=3\r\nk=2\r\n"},
        {"update keeps the file's spelling", "[a]\r\n  KEY = old \r\n", "A", "key",
         QStringLiteral("new"), "[a]\r\nKEY=new\r\n"},
        {"updated LF line gets CR LF", "[A]\nk=1\nz=2\n", "A", "k", QStringLiteral("9"),
         "[A]\nk=9\r\nz=2\n"},
        {"update unterminated last line", "[A]\r\nk=1", "A", "k", QStringLiteral("9"),
         "[A]\r\nk=9\r\n"},
        {"update to empty", "[A]\r\nk=1\r\n", "A", "k", QString(), "[A]\r\nk=\r\n"},
        {"add key before next section", "[A]\r\nx=1\r\n\r\n[B]\r\nk=1\r\n", "A", "k",
         QStringLiteral("2"), "[A]\r\nx=1\r\nk=2\r\n\r\n[B]\r\nk=1\r\n"},
        {"add key under bare header", "[A]\r\n[B]\r\n", "A", "k", QStringLiteral("1"),
         "[A]\r\nk=1\r\n[B]\r\n"},
        {"add key after unterminated header", "[A]", "A", "k", QStringLiteral("1"),
         "[A]\r\nk=1\r\n"},
        {"add key after unterminated line", "[A]\r\nx=1", "A", "k", QStringLiteral("1"),
         "[A]\r\nx=1\r\nk=1\r\n"},
        {"add key after comment, before blanks", "[A]\r\n;c\r\n\r\n  \r\n", "A", "k",
         QStringLiteral("1"), "[A]\r\n;c\r\nk=1\r\n\r\n  \r\n"},
        {"commented-out key is not the key", "[A]\r\n;k=1\r\n", "A", "k", QStringLiteral("2"),
         "[A]\r\n;k=1\r\nk=2\r\n"},
        {"key of another section is not the key", "[B]\r\n[A]\r\nk=1\r\n", "B", "k",
         QStringLiteral("2"), "[B]\r\nk=2\r\n[A]\r\nk=1\r\n"},
        {"only the first section of a name", "[A]\r\nx=1\r\n[B]\r\n[a]\r\nk=1\r\n", "A", "k",
         QStringLiteral("2"), "[A]\r\nx=1\r\nk=2\r\n[B]\r\n[a]\r\nk=1\r\n"},
        {"blanks around section name", "[ A ]\r\n", "A", "k", QStringLiteral("1"),
         "[ A ]\r\nk=1\r\n"},
        {"add section", "[A]\r\nx=1\r\n", "B", "k", QStringLiteral("1"),
         "[A]\r\nx=1\r\n\r\n[B]\r\nk=1\r\n"},
        {"add section after empty line", "[A]\r\n\r\n", "B", "k", QStringLiteral("1"),
         "[A]\r\n\r\n[B]\r\nk=1\r\n"},
        {"add section to unterminated file", "[A]\r\nx=1", "B", "k", QStringLiteral("1"),
         "[A]\r\nx=1\r\n\r\n[B]\r\nk=1\r\n"},
        {"add section to empty file", "", "B", "k", QStringLiteral("1"), "[B]\r\nk=1\r\n"},
        {"value with outer blanks is quoted", "[A]\r\n", "A", "k", QStringLiteral(" x "),
         "[A]\r\nk=\" x \"\r\n"},
        {"quoted value keeps its quotes", "[A]\r\n", "A", "k", QStringLiteral("'x'"),
         "[A]\r\nk=\"'x'\"\r\n"},
        {"lone quote stays plain", "[A]\r\n", "A", "k", QStringLiteral("\"x"), "[A]\r\nk=\"x\r\n"},
        {"non-ASCII value as UTF-8", "[A]\r\n", "A", "k", QStringLiteral("/音频/一.mp3"),
         "[A]\r\nk=/\xE9\x9F\xB3\xE9\xA2\x91/\xE4\xB8\x80.mp3\r\n"},
    };
    expectWrites(cases);
}

TEST_F(ProfileFile, WriteKeepsEveryOtherByte)
{
    // Comments, odd lines, foreign bytes and every line-break style survive.
    const QByteArray before = "\xEF\xBB\xBF; GBK comment \xD6\xD0\xCE\xC4\n"
                              "junk \x01\x02\xFF line\r"
                              "[Options]\r\n"
                              "\tPauseWhenWriting\t=\t0\t\r\n"
                              "SetEndPointWhenWriting=0\n"
                              "[broken section\r\n"
                              "\r\n"
                              "[LastFiles]\r\n"
                              "Item01=C:\\\xD2\xF4.mp3\r\n"
                              "Item02=\r\n"
                              "[Other]\r\n"
                              "keep=me";
    putFile(path(), before);

    writeProfileString(path(), QStringLiteral("Options"), QStringLiteral("PauseWhenWriting"),
                       QStringLiteral("1"));
    writeProfileString(path(), QStringLiteral("Options"), QStringLiteral("VerifyBeforeApplying"),
                       QStringLiteral("1"));
    writeProfileString(path(), QStringLiteral("LastFiles"), QStringLiteral("Item02"),
                       QStringLiteral("/a.mp3"));

    const QByteArray after = "\xEF\xBB\xBF; GBK comment \xD6\xD0\xCE\xC4\n"
                             "junk \x01\x02\xFF line\r"
                             "[Options]\r\n"
                             "PauseWhenWriting=1\r\n"
                             "SetEndPointWhenWriting=0\n"
                             "[broken section\r\n"
                             "VerifyBeforeApplying=1\r\n"
                             "\r\n"
                             "[LastFiles]\r\n"
                             "Item01=C:\\\xD2\xF4.mp3\r\n"
                             "Item02=/a.mp3\r\n"
                             "[Other]\r\n"
                             "keep=me";
    EXPECT_EQ(readAll(path()), after);
    EXPECT_EQ(
        readProfileInt(path(), QStringLiteral("Options"), QStringLiteral("PauseWhenWriting"), 0),
        1);
    EXPECT_EQ(readProfileString(path(), QStringLiteral("Other"), QStringLiteral("keep"), QString()),
              QStringLiteral("me"));
}

TEST_F(ProfileFile, WriteCreatesMissingFile)
{
    writeProfileString(path(), QStringLiteral("Options"), QStringLiteral("PauseWhenWriting"),
                       QStringLiteral("1"));
    writeProfileString(path(), QStringLiteral("LastFiles"), QStringLiteral("Item01"),
                       QStringLiteral("/a.mp3"));
    EXPECT_EQ(
        readAll(path()),
        QByteArray("[Options]\r\nPauseWhenWriting=1\r\n\r\n[LastFiles]\r\nItem01=/a.mp3\r\n"));
}

TEST_F(ProfileFile, FileThatCannotBeCreated)
{
    putFile(path(QStringLiteral("plain")), "a file, not a folder");
    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {path(QStringLiteral("missing/Quillmar.ini")), QStringLiteral("文件夹不存在")},
        {path(QStringLiteral("plain/Quillmar.ini")), QStringLiteral("路径中有一部分不是文件夹")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(errorOf([&] {
                      writeProfileString(c.path, QStringLiteral("Options"),
                                         QStringLiteral("PauseWhenWriting"), QStringLiteral("1"));
                  }),
                  QStringLiteral("无法创建文件“%1”：%2").arg(c.path, c.reason));
        EXPECT_FALSE(QFile::exists(c.path));
    }
}

TEST_F(ProfileFile, FileThatCannotBeWritten)
{
    const auto write = [](const QString &file, const QString &value) {
        return errorOf([&] {
            writeProfileString(file, QStringLiteral("Options"), QStringLiteral("PauseWhenWriting"),
                               value);
        });
    };
    // An existing path that is no file.
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini"));
    const QString folder = path(QStringLiteral("folder.ini"));
    const QString unable = QStringLiteral("无法写入文件“%1”：%2");
    EXPECT_EQ(write(folder, QStringLiteral("1")),
              unable.arg(folder, QStringLiteral("同名的文件夹占了这个位置")));

    // A value that would break the file apart.
    putFile(path(), Sample);
    EXPECT_EQ(write(path(), QStringLiteral("a\nb=c")),
              unable.arg(path(), QStringLiteral("名称或值中有换行，无法写成一行")));
    EXPECT_EQ(readAll(path()), Sample);

    // A disk that fills up half-way through: the old file stays as it was.
    {
        const FileSizeLimit limit(Sample.size() + 64);
        const QString error = write(path(), QString(4096, QLatin1Char('x')));
        EXPECT_EQ(error, unable.arg(path(), QStringLiteral("文件太大")));
    }
    EXPECT_EQ(readAll(path()), Sample);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("Quillmar.ini")});
}

TEST_F(ProfileFile, HugeAndGarbageFiles)
{
    QRandomGenerator random(42);
    QByteArray garbage(8 * 1024 * 1024, Qt::Uninitialized);
    for (char &c : garbage) {
        // Plenty of the bytes the parser looks at.
        const quint32 r = random.bounded(16u);
        c = r < 4 ? "[]=\n\r;\"'"[random.bounded(8u)] : char(random.bounded(256u));
    }
    const QByteArray oneLine = "[A]\r\nk=" + QByteArray(16 * 1024 * 1024, 'v') + "\r\n";
    const QByteArray noBreaks(16 * 1024 * 1024, '[');
    const QByteArray manySections = QByteArray("[A]\r\n").repeated(1024 * 1024);

    for (const QByteArray &content : {garbage, oneLine, noBreaks, manySections}) {
        putFile(path(), content);
        readProfileString(path(), QStringLiteral("A"), QStringLiteral("k"), QString());
        writeProfileString(path(), QStringLiteral("Quillmar"), QStringLiteral("Key"),
                           QStringLiteral("value"));
        EXPECT_EQ(
            readProfileString(path(), QStringLiteral("Quillmar"), QStringLiteral("Key"), QString()),
            QStringLiteral("value"));
        EXPECT_TRUE(readAll(path()).startsWith(content));
    }
    putFile(path(), oneLine);
    EXPECT_EQ(readProfileString(path(), QStringLiteral("A"), QStringLiteral("k"), QString()),
              QString(2047, QLatin1Char('v')));
}

// Found by fuzzing: a name or value starting with U+FEFF lost that character
// on reading, so it could never be found again.
TEST_F(ProfileFile, LeadingZeroWidthNoBreakSpaceReadsBack)
{
    const QString odd = QStringLiteral("\uFEFFodd");
    writeProfileString(path(), odd, odd, odd);
    writeProfileString(path(), odd, odd, odd);
    EXPECT_EQ(readProfileString(path(), odd, odd, QStringLiteral("default")), odd);
    EXPECT_EQ(readAll(path()).count("odd="), 1);
}

// An editor on Windows saves the file with a UTF-8 byte-order mark in front
// of the first section header.
TEST_F(ProfileFile, ByteOrderMarkBelongsToNoLine)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    putFile(path(), bom + "[Options]\r\nPauseWhenWriting=1\r\n");
    EXPECT_EQ(
        readProfileInt(path(), QStringLiteral("Options"), QStringLiteral("PauseWhenWriting"), 0),
        1);

    const WriteCase cases[] = {
        {"update under the first header", bom + "[Options]\r\nPauseWhenWriting=0\r\n", "Options",
         "PauseWhenWriting", QStringLiteral("1"), bom + "[Options]\r\nPauseWhenWriting=1\r\n"},
        {"add a key to the first section", bom + "[Options]\r\nA=1\r\n", "Options", "B",
         QStringLiteral("1"), bom + "[Options]\r\nA=1\r\nB=1\r\n"},
        {"add a section", bom + "[Options]\r\nA=1\r\n", "LastFiles", "Item01",
         QStringLiteral("/a.mp3"),
         bom + "[Options]\r\nA=1\r\n\r\n[LastFiles]\r\nItem01=/a.mp3\r\n"},
        {"a file of the mark alone is empty", bom, "Options", "A", QStringLiteral("1"),
         bom + "[Options]\r\nA=1\r\n"},
        {"a mark further on is no mark", "[A]\r\n" + bom + "[B]\r\n", "B", "k", QStringLiteral("1"),
         "[A]\r\n" + bom + "[B]\r\n\r\n[B]\r\nk=1\r\n"},
    };
    expectWrites(cases);
}

// A settings file copied from a Chinese Windows machine holds GBK paths.
TEST_F(ProfileFile, GbkValuesReadAsChineseAndStayAsTheyAre)
{
    const QString lesson = QStringLiteral("D:\\英语\\第一课.mp3");
    const QByteArray lessonGbk = "D:\\\xD3\xA2\xD3\xEF\\\xB5\xDA\xD2\xBB\xBF\xCE.mp3";
    const QByteArray before = "[LastFiles]\r\nItem01=/a.mp3\r\nItem02=" + lessonGbk + "\nItem03=\""
                              + lessonGbk + "\"\r\n";
    putFile(path(), before);
    const auto item = [](int n) {
        return QStringLiteral("Item%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    const QString section = QStringLiteral("LastFiles");
    EXPECT_EQ(readProfileString(path(), section, item(2), QString()), lesson);
    EXPECT_EQ(readProfileString(path(), section, item(3), QString()), lesson);

    // Saving the list as it was read writes every key and changes no byte.
    for (int n = 1; n <= 3; ++n)
        writeProfileString(path(), section, item(n),
                           readProfileString(path(), section, item(n), QString()));
    EXPECT_EQ(readAll(path()), before);

    // A key given a new value is written anew, as UTF-8; the others stay.
    writeProfileString(path(), section, item(1), lesson);
    writeProfileString(path(), section, item(2), QStringLiteral("/a.mp3"));
    EXPECT_EQ(readAll(path()), "[LastFiles]\r\nItem01=" + lesson.toUtf8()
                                   + "\r\nItem02=/a.mp3\r\nItem03=\"" + lessonGbk + "\"\r\n");
    EXPECT_EQ(readProfileString(path(), section, item(1), QString()), lesson);
}
