// The settings file: where it lives, the default file, reading and writing the
// option flags, and start-up with damaged files.
#include "support/filesizelimit.h"
#include "support/testutil.h"

#include "platform/errors.h"
#include "settings/settingsrules.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

const QByteArray DefaultFile = defaultOptionsPart()
                               + "[LastFiles]\r\n"
                                 "Item01=\r\nItem02=\r\nItem03=\r\nItem04=\r\nItem05=\r\n"
                                 "Item06=\r\nItem07=\r\nItem08=\r\nItem09=\r\nItem10=\r\n";

// The seven keys and the members they fill.
const struct {
    const char *key;
    bool TOptionFlags::*flag;
} Keys[] = {
    {"PauseWhenWriting", &TOptionFlags::PauseWhenWriting},
    {"SetEndPointWhenWriting", &TOptionFlags::SetEndPointWhenWriting},
    {"VerifyBeforeApplying", &TOptionFlags::VerifyBeforeApplying},
    {"SelectAfterApplying", &TOptionFlags::SelectAfterApplying},
    {"PlayAfterApplying", &TOptionFlags::PlayAfterApplying},
    {"RecordRepeatPoints", &TOptionFlags::RecordRepeatPoints},
    {"RecordDictateTime", &TOptionFlags::RecordDictateTime},
};

// A window started on a program folder that holds the given settings file.
struct StartedOn : WindowHarness {
    explicit StartedOn(const QByteArray &ini) : WindowHarness(true)
    {
        writeFile(iniPath(), ini);
        create();
    }
};

} // namespace

TEST(SettingsLocation, PortableFolderOrUserFolder)
{
    const QString program = QStringLiteral("/opt/quillmar/");
    const QString user = QStringLiteral("/home/u/.config/Quillmar");
    const struct {
        bool writable;
        bool iniThere;
        QString userDir;
        QString expected;
    } cases[] = {
        {true, false, user, program},                  // portable copy, first run
        {true, true, user, program},                   // portable copy
        {false, true, user, program},                  // read-only folder that ships its own file
        {false, false, user, user + QLatin1Char('/')}, // installed copy
        {false, false, user + QLatin1Char('/'), user + QLatin1Char('/')},
        {false, false, QString(), program}, // no user folder known: nowhere else to go
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.writable << c.iniThere << c.userDir.toStdString());
        EXPECT_EQ(SettingsFolder(program, c.writable, c.iniThere, c.userDir), c.expected);
    }
}

TEST(SettingsLocation, WritableProgramFolderHoldsTheFile)
{
    WindowHarness h;
    EXPECT_EQ(h.settings().filePath(), h.iniPath());
    EXPECT_TRUE(QFile::exists(h.iniPath()));
}

TEST(DefaultFile, WrittenAtFirstStartByteForByte)
{
    EXPECT_EQ(DefaultFile.size(), 273);
    EXPECT_EQ(DefaultSettingsText(), DefaultFile);

    WindowHarness h;
    EXPECT_EQ(readAll(h.iniPath()), DefaultFile);
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    const TOptionFlags &f = h.settings().options();
    EXPECT_TRUE(f.RecordRepeatPoints);
    EXPECT_TRUE(f.RecordDictateTime);
    EXPECT_FALSE(f.PauseWhenWriting);
    EXPECT_FALSE(f.SetEndPointWhenWriting);
    EXPECT_FALSE(f.VerifyBeforeApplying);
    EXPECT_FALSE(f.SelectAfterApplying);
    EXPECT_FALSE(f.PlayAfterApplying);
}

TEST(DefaultFile, ExistingFileIsNeverRewritten)
{
    const QByteArray ini = "; mine\n[LastFiles]\nItem01=/a.mp3\n";
    StartedOn h(ini);
    h.settings().ensureFile();
    EXPECT_EQ(readAll(h.iniPath()), ini);
    // No [Options]: every flag is off.
    for (const auto &k : Keys)
        EXPECT_FALSE(h.settings().options().*k.flag) << k.key;
}

TEST(DefaultFile, FailedCreationIsShownAndStartUpGoesOn)
{
    WindowHarness h(true);
    {
        const FileSizeLimit limit(100);
        h.create();
    }
    ASSERT_TRUE(h.window);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const FakeDialogs::Message &m = h.dialogs.messages.first();
    EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
    EXPECT_EQ(m.icon, Dialogs::Icon::Warning);
    EXPECT_EQ(m.text,
              QStringLiteral("设置和最近播放列表无法保存，本次的更改在程序关闭后不会保留。\n"
                             "无法创建文件“%1”：文件太大")
                  .arg(h.iniPath()));
    // Neither a cut-off file nor a temporary one is left behind.
    EXPECT_TRUE(QDir(h.programDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(Flags, ValuesReadAsIntegers)
{
    const struct {
        QByteArray value;
        bool on;
    } cases[] = {
        {"1", true},    {"2", true},     {"-1", true},        {"0x10", true}, {"0X1f", true},
        {" 7 ", true},  {"\"1\"", true}, {"0", false},        {"", false},    {"0x0", false},
        {"yes", false}, {"true", false}, {"on", false},       {"1x", false},  {"0x", false},
        {"1.5", false}, {"--1", false},  {"\xFF\xFE", false},
    };
    WindowHarness h;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        QByteArray ini = "[Options]\r\n";
        for (const auto &k : Keys)
            ini += QByteArray(k.key) + '=' + c.value + "\r\n";
        h.writeFile(h.iniPath(), ini);
        h.settings().loadOptions();
        for (const auto &k : Keys)
            EXPECT_EQ(h.settings().options().*k.flag, c.on) << k.key;
    }
}

TEST(Flags, EachKeyFillsItsOwnFlagAndMissingKeysReadOff)
{
    WindowHarness h;
    for (const auto &on : Keys) {
        SCOPED_TRACE(on.key);
        // Names are matched whatever their letter case.
        h.writeFile(h.iniPath(), "[options]\r\n" + QByteArray(on.key).toLower() + " = 1\r\n");
        h.settings().loadOptions();
        for (const auto &k : Keys)
            EXPECT_EQ(h.settings().options().*k.flag, k.flag == on.flag) << k.key;
    }
    QFile::remove(h.iniPath());
    h.settings().loadOptions();
    for (const auto &k : Keys)
        EXPECT_FALSE(h.settings().options().*k.flag) << k.key;
}

TEST(Flags, SaveWritesEveryKeyAndKeepsAllOtherLines)
{
    const QByteArray ini = "; written by hand\r\n"
                           "[Extra]\r\n"
                           "Kept=yes\r\n"
                           "\r\n"
                           "[Options]\r\n"
                           "pausewhenwriting = 0\r\n"
                           "Unknown=42\r\n"
                           "# note\r\n"
                           "RecordDictateTime=1\r\n"
                           "\r\n"
                           "[LastFiles]\r\n"
                           "Item01=/a.mp3\r\n";
    StartedOn h(ini);
    TOptionFlags f;
    f.PauseWhenWriting = true;
    f.SelectAfterApplying = true;
    f.RecordRepeatPoints = true;
    h.settings().setOptions(f);
    h.settings().saveOptions();
    EXPECT_EQ(readAll(h.iniPath()), QByteArray("; written by hand\r\n"
                                               "[Extra]\r\n"
                                               "Kept=yes\r\n"
                                               "\r\n"
                                               "[Options]\r\n"
                                               "pausewhenwriting=1\r\n"
                                               "Unknown=42\r\n"
                                               "# note\r\n"
                                               "RecordDictateTime=0\r\n"
                                               "SetEndPointWhenWriting=0\r\n"
                                               "VerifyBeforeApplying=0\r\n"
                                               "SelectAfterApplying=1\r\n"
                                               "PlayAfterApplying=0\r\n"
                                               "RecordRepeatPoints=1\r\n"
                                               "\r\n"
                                               "[LastFiles]\r\n"
                                               "Item01=/a.mp3\r\n"));
    // What was saved reads back.
    const TOptionFlags saved = f;
    h.settings().setOptions(TOptionFlags());
    h.settings().loadOptions();
    for (const auto &k : Keys)
        EXPECT_EQ(h.settings().options().*k.flag, saved.*k.flag) << k.key;
}

TEST(Flags, SaveAfterTheFileWasDeletedRecreatesTheDefaultLayout)
{
    WindowHarness h;
    ASSERT_TRUE(QFile::remove(h.iniPath()));
    TOptionFlags f;
    f.PauseWhenWriting = true;
    f.PlayAfterApplying = true;
    h.settings().setOptions(f);
    h.settings().saveOptions();
    QByteArray expected = DefaultFile;
    expected.replace("PauseWhenWriting=0", "PauseWhenWriting=1")
        .replace("PlayAfterApplying=0", "PlayAfterApplying=1")
        .replace("RecordRepeatPoints=1", "RecordRepeatPoints=0")
        .replace("RecordDictateTime=1", "RecordDictateTime=0");
    EXPECT_EQ(readAll(h.iniPath()), expected);
}

TEST(Flags, SaveToAFileThatCannotBeWrittenSaysWhyOnce)
{
    WindowHarness h;
    ASSERT_TRUE(QFile::remove(h.iniPath()));
    ASSERT_TRUE(QDir().mkdir(h.iniPath()));
    QSignalSpy failed(&h.settings(), &SettingsStore::writeFailed);
    h.settings().saveOptions();
    h.settings().saveOptions();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.first().first().toString(),
              QStringLiteral("无法写入文件“%1”：同名的文件夹占了这个位置").arg(h.iniPath()));
}

TEST(DamagedFile, StartUpSurvivesAndLeavesTheFileAlone)
{
    QRandomGenerator random(7);
    QByteArray garbage(3 * 1024 * 1024, Qt::Uninitialized);
    for (char &c : garbage) {
        // Plenty of the bytes the parser looks at.
        const quint32 r = random.bounded(8);
        c = r == 0 ? '[' : r == 1 ? ']' : r == 2 ? '=' : r == 3 ? '\n' : char(random.bounded(256));
    }
    QByteArray sections;
    for (int i = 0; i < 10000; ++i)
        sections +=
            "[Section" + QByteArray::number(i) + "]\r\nKey=" + QByteArray::number(i) + "\r\n";
    sections += "[Options]\r\nPauseWhenWriting=1\r\n[LastFiles]\r\nItem03=/far/down.mp3\r\n";
    QByteArray longLines = "[Options]\r\nPauseWhenWriting=" + QByteArray(2 * 1024 * 1024, '1')
                           + "\r\n[LastFiles]\r\nItem01=" + QByteArray(3 * 1024 * 1024, 'a')
                           + "\r\n";
    const QByteArray nulls(1024 * 1024, '\0');

    const struct {
        const char *name;
        QByteArray ini;
        bool pause;
        int shownEntries;
    } cases[] = {
        {"empty", QByteArray(), false, 0},     {"random bytes", garbage, false, -1},
        {"10000 sections", sections, true, 1}, {"megabyte lines", longLines, true, 1},
        {"zero bytes", nulls, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StartedOn h(c.ini);
        EXPECT_TRUE(h.dialogs.messages.isEmpty())
            << h.dialogs.messageTexts().join(u'|').toStdString();
        EXPECT_EQ(readAll(h.iniPath()), c.ini);
        EXPECT_EQ(h.settings().options().PauseWhenWriting, c.pause);
        ASSERT_TRUE(h.recentList());
        EXPECT_EQ(h.recentList()->size(), 10);
        const QList<QAction *> items = h.widget<QMenu>("Menu_RecentplayList")->actions();
        ASSERT_FALSE(items.isEmpty());
        if (c.shownEntries == 0) {
            EXPECT_EQ(items.size(), 1);
        } else if (c.shownEntries > 0) {
            EXPECT_EQ(items.size(), c.shownEntries + 2);
        }
    }
}

TEST(DamagedFile, AFolderInPlaceOfTheFileReadsAsOff)
{
    WindowHarness h(true);
    ASSERT_TRUE(QDir().mkdir(h.iniPath()));
    h.create();
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    for (const auto &k : Keys)
        EXPECT_FALSE(h.settings().options().*k.flag) << k.key;
    EXPECT_EQ(*h.recentList(), QStringList(10, QString()));
}
