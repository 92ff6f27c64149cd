// The options dialog, the about box and the version block they read, on fakes.
#include "support/buildpaths.h"
#include "support/testutil.h"

#include "about/tform_about.h"
#include "platform/versioninfo.h"
#include "settings/tform_optionsetting.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QtEndian>

#include <functional>

#include <gtest/gtest.h>

using Button = Dialogs::Button;
using Icon = Dialogs::Icon;

namespace {

// Runs trigger, which is expected to show a modal dialog of type D, and
// drives that dialog once it is up. A dialog left open is cancelled, so a
// failed check cannot leave the test waiting forever.
template <typename D>
void withModal(const std::function<void()> &trigger, const std::function<void(D &)> &drive)
{
    bool seen = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            seen = true;
            drive(*dialog);
        }
        if (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            open->reject();
    });
    timer.start(0);
    trigger();
    EXPECT_TRUE(seen) << "no modal dialog was shown";
}

void editOptions(WindowHarness &h, const std::function<void(TForm_OptionSetting &)> &drive)
{
    QAction *menu = h.window->findChild<QAction *>(QStringLiteral("Menu_SettingOptions"));
    ASSERT_NE(menu, nullptr);
    // The page of the seven flags, inside the dialog that has the practice
    // page beside it.
    withModal<QDialog>([menu] { menu->trigger(); },
                       [&](QDialog &box) {
                           auto *form = box.findChild<TForm_OptionSetting *>();
                           ASSERT_NE(form, nullptr);
                           drive(*form);
                       });
}

// The seven boxes in the order of the flags struct.
QList<QCheckBox *> boxes(const TForm_OptionSetting &d)
{
    return {d.CheckBox_PauseWhenWriting,     d.CheckBox_SetEndPointWhenWriting,
            d.CheckBox_RecordDictateTime,    d.CheckBox_RecordRepeatPoints,
            d.CheckBox_VerifyBeforeApplying, d.CheckBox_PlayAfterApplying,
            d.CheckBox_SelectAfterApplying};
}

QList<bool> flagList(const TOptionFlags &f)
{
    return {f.PauseWhenWriting,   f.SetEndPointWhenWriting, f.RecordDictateTime,
            f.RecordRepeatPoints, f.VerifyBeforeApplying,   f.PlayAfterApplying,
            f.SelectAfterApplying};
}

QList<bool> boxStates(const TForm_OptionSetting &d)
{
    QList<bool> states;
    for (const QCheckBox *box : boxes(d))
        states << box->isChecked();
    return states;
}

TOptionFlags mixedFlags()
{
    TOptionFlags f;
    f.PauseWhenWriting = true;
    f.RecordDictateTime = true;
    f.PlayAfterApplying = true;
    return f;
}

// A widget of a fixed dialog: where it belongs and what it says.
struct Placed {
    const char *name;
    const char *parent;
    const char *caption; // UTF-8; nullptr: none
};

QString captionOf(const QWidget *w)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(w))
        return group->title();
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    return {};
}

// Each widget sits in its parent, wholly visible, and shows its whole caption
// in the font at hand: a clipped caption or a widget cut off by its panel is
// what a user would see.
void expectLayout(const QWidget &form, const QList<Placed> &table)
{
    for (const Placed &row : table) {
        SCOPED_TRACE(row.name);
        auto *w = form.findChild<QWidget *>(QString::fromLatin1(row.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << "outside its parent: " << w->geometry().x() << "," << w->geometry().y() << " "
            << w->width() << "x" << w->height();
        // The caption as drawn: without the mnemonic marker.
        const QString shown = QString(captionOf(w)).remove(QLatin1Char('&'));
        EXPECT_LE(w->fontMetrics().horizontalAdvance(shown), w->width()) << "caption clipped";
        if (row.caption) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(row.caption));
        }
    }
}

void expectFixedDialogFrame(const QDialog &d)
{
    EXPECT_EQ(d.minimumSize(), QSize(392, 373));
    EXPECT_EQ(d.maximumSize(), QSize(392, 373));
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(d.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(d.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

// --- A small ELF64 file with the given sections, for the version reader ---

struct Section {
    QByteArray name;
    QByteArray content;
    quint32 type = 1; // PROGBITS
};

template <typename T>
void put(QByteArray &bytes, qsizetype offset, T value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

// Layout: file header, section contents, names, then the section headers
// (null section, the given sections, the names section).
QByteArray makeElf(const QList<Section> &sections)
{
    QByteArray file(64, '\0');
    file.replace(0, 4,
                 "\x7f"
                 "ELF");
    file[4] = 2; // 64-bit
    file[5] = 1; // little-endian
    file[6] = 1;
    put<quint16>(file, 16, 2);    // executable
    put<quint16>(file, 18, 0x3e); // x86-64
    put<quint32>(file, 20, 1);
    put<quint16>(file, 0x34, 64);

    QByteArray names(1, '\0');
    QList<std::pair<quint64, quint32>> placed; // offset, name
    for (const Section &s : sections) {
        placed.append({quint64(file.size()), quint32(names.size())});
        file += s.content;
        names += s.name + '\0';
    }
    const quint32 namesName = quint32(names.size());
    names += ".shstrtab";
    names += '\0';
    const quint64 namesOffset = quint64(file.size());
    file += names;

    const qsizetype table = file.size();
    const int count = int(sections.size()) + 2;
    file += QByteArray(64 * count, '\0');
    for (int i = 0; i < sections.size(); ++i) {
        const qsizetype h = table + 64 * (i + 1);
        put<quint32>(file, h, placed[i].second);
        put<quint32>(file, h + 4, sections[i].type);
        put<quint64>(file, h + 24, placed[i].first);
        put<quint64>(file, h + 32, quint64(sections[i].content.size()));
    }
    const qsizetype h = table + 64 * (count - 1);
    put<quint32>(file, h, namesName);
    put<quint32>(file, h + 4, 3); // STRTAB
    put<quint64>(file, h + 24, namesOffset);
    put<quint64>(file, h + 32, quint64(names.size()));

    put<quint64>(file, 0x28, quint64(table));
    put<quint16>(file, 0x3a, 64);
    put<quint16>(file, 0x3c, quint16(count));
    put<quint16>(file, 0x3e, quint16(count - 1));
    return file;
}

QByteArray elfWithBlock(const QByteArray &block)
{
    return makeElf({{".text", QByteArray(32, '\x90')}, {".quillmar_version", block}});
}

const QStringList ShippedVersionLines = {
    QStringLiteral("产品名称: Quillmar奎尔玛"),
    QString(),
    QStringLiteral("产品版本: " QUILLMAR_VERSION),
    QString(),
    QStringLiteral("说明: 外语听写训练工具"),
    QString(),
    QStringLiteral("版权: © 2026 Quillmar 项目，GPL-3.0+ 许可"),
    QString(),
    QStringLiteral("文件版本: " QUILLMAR_VERSION),
    QString(),
    QStringLiteral("公司名称: Quillmar 项目"),
    QString(),
    QStringLiteral("合法商标: 无"),
    QString(),
    QStringLiteral("内部名称: quillmar"),
    QString(),
    QStringLiteral("原文件名: quillmar"),
};

const QStringList FallbackLines = {QStringLiteral("产品名称: Quillmar奎尔玛")};

} // namespace

// --- Options dialog ---

TEST(OptionsDialog, LayoutCaptionsAndFrame)
{
    TForm_OptionSetting d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("选项设置"));
    expectFixedDialogFrame(d);
    expectLayout(d, {
                        {"Panel2", "Form_OptionSetting", nullptr},
                        {"GroupBox1", "Panel2", "复读操作控制"},
                        {"CheckBox_SetEndPointWhenWriting", "GroupBox1", "自动设置循环结束点"},
                        {"CheckBox_PauseWhenWriting", "GroupBox1", "开始听写时暂停播音"},
                        {"CheckBox_VerifyBeforeApplying", "GroupBox1", "检查答案"},
                        {"CheckBox_SelectAfterApplying", "GroupBox1",
                         "听写完一句后将当前循环结束点设为起始点"},
                        {"CheckBox_PlayAfterApplying", "GroupBox1", "听写完一句后继续播放"},
                        {"Button_Manual", "GroupBox1", "手动模式(推荐)(&M)"},
                        {"Button_Auto", "GroupBox1", "自动模式(&A)"},
                        {"GroupBox2", "Panel2", "附加记录内容"},
                        {"CheckBox_RecordRepeatPoints", "GroupBox2", "记录复读时间点"},
                        {"CheckBox_RecordDictateTime", "GroupBox2", "记录听写时间"},
                        {"Panel1", "Form_OptionSetting", nullptr},
                        {"BitBtn1", "Panel1", "确定(&O)"},
                        {"BitBtn2", "Panel1", "取消(&C)"},
                        {"Button_DefaultSet", "Panel1", "默认设置(&D)"},
                    });
    EXPECT_TRUE(d.BitBtn1->isDefault());
    EXPECT_FALSE(d.BitBtn1->icon().isNull());
    EXPECT_FALSE(d.BitBtn2->icon().isNull());
    EXPECT_EQ(boxStates(d), QList<bool>(7, false));
}

TEST(OptionsDialog, TabOrderFollowsTheGroups)
{
    TForm_OptionSetting d;
    QStringList order;
    for (QWidget *w = d.nextInFocusChain(); w != &d; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    }
    EXPECT_EQ(order, (QStringList{"CheckBox_SetEndPointWhenWriting", "CheckBox_PauseWhenWriting",
                                  "CheckBox_VerifyBeforeApplying", "CheckBox_SelectAfterApplying",
                                  "CheckBox_PlayAfterApplying", "Button_Manual", "Button_Auto",
                                  "CheckBox_RecordRepeatPoints", "CheckBox_RecordDictateTime",
                                  "BitBtn1", "BitBtn2", "Button_DefaultSet"}));
}

// Each preset from all boxes off and from all boxes on; -1 marks a box the
// preset leaves alone. Order: Pause, SetEndPoint, DictateTime, RepeatPoints,
// Verify, Play, Select.
TEST(OptionsDialog, PresetsSetTheirBoxes)
{
    struct Case {
        const char *button;
        QList<int> result;
    };
    const QList<Case> cases = {
        {"Button_Manual", {0, 0, -1, -1, 1, 0, 0}},
        {"Button_Auto", {0, 1, -1, -1, 1, 0, 1}},
        {"Button_DefaultSet", {0, 0, 1, 1, 1, 0, 0}},
    };
    for (const Case &c : cases) {
        for (const bool start : {false, true}) {
            SCOPED_TRACE(std::string(c.button) + (start ? " from all on" : " from all off"));
            TForm_OptionSetting d;
            for (QCheckBox *box : boxes(d))
                box->setChecked(start);
            d.findChild<QPushButton *>(QString::fromLatin1(c.button))->click();
            QList<bool> expected;
            for (int r : c.result)
                expected << (r < 0 ? start : r == 1);
            EXPECT_EQ(boxStates(d), expected);
            EXPECT_EQ(d.result(), 0) << "a preset does not close the dialog";
        }
    }
}

TEST(EditOptions, ShowsTheCurrentFlags)
{
    WindowHarness h;
    // One flag on at a time shows that each box reads its own flag.
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        TOptionFlags f;
        bool *fields[] = {&f.PauseWhenWriting,   &f.SetEndPointWhenWriting, &f.RecordDictateTime,
                          &f.RecordRepeatPoints, &f.VerifyBeforeApplying,   &f.PlayAfterApplying,
                          &f.SelectAfterApplying};
        *fields[i] = true;
        h.settings().setOptions(f);
        QList<bool> shown;
        editOptions(h, [&](TForm_OptionSetting &d) { shown = boxStates(d); });
        EXPECT_EQ(shown, flagList(f));
    }
}

TEST(EditOptions, CancelEscAndCloseBoxKeepFlagsAndFile)
{
    const std::function<void(TForm_OptionSetting &)> ways[] = {
        [](TForm_OptionSetting &d) { QTest::mouseClick(d.BitBtn2, Qt::LeftButton); },
        [](TForm_OptionSetting &d) {
            QTest::keyClick(d.CheckBox_PauseWhenWriting, Qt::Key_Escape);
        },
        [](TForm_OptionSetting &d) { d.close(); },
    };
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        WindowHarness h;
        h.settings().setOptions(mixedFlags());
        const QByteArray fileBefore = readAll(h.settings().filePath());
        QPointer<TForm_OptionSetting> shown;
        editOptions(h, [&](TForm_OptionSetting &d) {
            shown = &d;
            d.Button_DefaultSet->click();
            d.Button_Auto->click();
            d.CheckBox_PlayAfterApplying->setChecked(false);
            ways[way](d);
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(flagList(h.settings().options()), flagList(mixedFlags()));
        EXPECT_EQ(readAll(h.settings().filePath()), fileBefore);
        EXPECT_TRUE(shown.isNull()) << "the dialog is destroyed";
        EXPECT_TRUE(h.dialogs.messages.isEmpty());
    }
}

TEST(EditOptions, DefaultPresetThenOkSetsThreeFlags)
{
    WindowHarness h;
    h.settings().setOptions(mixedFlags());
    QPointer<TForm_OptionSetting> shown;
    editOptions(h, [&](TForm_OptionSetting &d) {
        shown = &d;
        d.Button_DefaultSet->click();
        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    });
    const TOptionFlags &f = h.settings().options();
    EXPECT_TRUE(f.VerifyBeforeApplying);
    EXPECT_TRUE(f.RecordRepeatPoints);
    EXPECT_TRUE(f.RecordDictateTime);
    EXPECT_FALSE(f.PauseWhenWriting);
    EXPECT_FALSE(f.SetEndPointWhenWriting);
    EXPECT_FALSE(f.PlayAfterApplying);
    EXPECT_FALSE(f.SelectAfterApplying);
    EXPECT_TRUE(shown.isNull()) << "the dialog is destroyed";

    // What was stored comes back on the next start.
    const QList<bool> confirmed = flagList(f);
    h.settings().setOptions(mixedFlags());
    h.settings().loadOptions();
    EXPECT_EQ(flagList(h.settings().options()), confirmed);
}

TEST(EditOptions, OkWithoutChangesStillStores)
{
    WindowHarness h;
    h.settings().setOptions(mixedFlags());
    ASSERT_TRUE(QFile::remove(h.settings().filePath()));
    editOptions(h, [](TForm_OptionSetting &d) { d.BitBtn1->click(); });
    EXPECT_TRUE(QFile::exists(h.settings().filePath()));
    h.settings().setOptions(TOptionFlags());
    h.settings().loadOptions();
    EXPECT_EQ(flagList(h.settings().options()), flagList(mixedFlags()));
}

TEST(EditOptions, FailedSaveIsReportedAndTheFlagsStay)
{
    WindowHarness h;
    h.settings().setOptions(TOptionFlags());
    // A folder in place of the settings file cannot be written.
    const QString settings = h.settings().filePath();
    ASSERT_TRUE(QFile::remove(settings));
    ASSERT_TRUE(QDir().mkdir(settings));
    QPointer<TForm_OptionSetting> shown;
    editOptions(h, [&](TForm_OptionSetting &d) {
        shown = &d;
        d.Button_Auto->click();
        d.BitBtn1->click();
    });
    EXPECT_TRUE(h.settings().options().SetEndPointWhenWriting);
    EXPECT_TRUE(h.settings().options().SelectAfterApplying);
    // Said once the dialog has gone, as a warning: nothing else stopped.
    FakePlayer::flushEvents();
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages.first().icon, Icon::Warning);
    EXPECT_TRUE(h.dialogs.messages.first().text.contains(settings));
    EXPECT_TRUE(shown.isNull()) << "the dialog is destroyed";
}

TEST(EditOptions, AutoPresetKeepsTheRecordBoxes)
{
    for (const bool record : {false, true}) {
        SCOPED_TRACE(record);
        WindowHarness h;
        TOptionFlags start;
        start.PauseWhenWriting = true;
        start.PlayAfterApplying = true;
        start.RecordRepeatPoints = record;
        start.RecordDictateTime = record;
        h.settings().setOptions(start);
        // Enter on a check box presses the default button, OK.
        editOptions(h, [](TForm_OptionSetting &d) {
            d.Button_Auto->click();
            QTest::keyClick(d.CheckBox_PauseWhenWriting, Qt::Key_Return);
        });
        TOptionFlags expected;
        expected.SetEndPointWhenWriting = true;
        expected.VerifyBeforeApplying = true;
        expected.SelectAfterApplying = true;
        expected.RecordRepeatPoints = record;
        expected.RecordDictateTime = record;
        EXPECT_EQ(flagList(h.settings().options()), flagList(expected));
    }
}

TEST(EditOptions, ReopeningShowsTheLastConfirmedFlags)
{
    WindowHarness h;
    h.settings().setOptions(TOptionFlags());
    // Confirm one set of boxes, then change them all and cancel.
    editOptions(h, [](TForm_OptionSetting &d) {
        d.Button_Auto->click();
        d.BitBtn1->click();
    });
    editOptions(h, [](TForm_OptionSetting &d) {
        d.Button_DefaultSet->click();
        d.CheckBox_PauseWhenWriting->setChecked(true);
        d.BitBtn2->click();
    });
    QList<bool> shown;
    editOptions(h, [&](TForm_OptionSetting &d) { shown = boxStates(d); });
    // Pause, SetEndPoint, DictateTime, RepeatPoints, Verify, Play, Select.
    EXPECT_EQ(shown, (QList<bool>{false, true, false, false, true, false, true}));
}

// --- Version block ---

TEST(VersionBlock, TheExecutableCarriesItsVersion)
{
    const auto block = readVersionBlock(BuildPaths::program());
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(queryVersionValue(*block, QStringLiteral("StringFileInfo\\080403A8\\ProductName")),
              QStringLiteral("Quillmar奎尔玛"));
    // The block spells it "OriginalFilename".
    EXPECT_EQ(
        queryVersionValue(*block, QStringLiteral("StringFileInfo\\080403A8\\OriginalFileName")),
        QStringLiteral("quillmar"));
    EXPECT_EQ(queryVersionValue(*block, QStringLiteral("StringFileInfo\\080403A8\\Comments")),
              QString());
    EXPECT_FALSE(
        queryVersionValue(*block, QStringLiteral("StringFileInfo\\04090000\\ProductName")));

    QStringList lines{QStringLiteral("old")};
    TForm_About::FillVersionInfo(lines, BuildPaths::program());
    EXPECT_EQ(lines, ShippedVersionLines);
}

TEST(VersionBlock, FilesWithoutABlockGiveTheFallbackLine)
{
    WindowHarness h(true);
    const QStringList files = {
        QCoreApplication::applicationFilePath(), // the tests link no block
        h.writeFile(QStringLiteral("notes.txt"), "Translation=080403A8\nProductName=x\n"),
        h.writeFile(QStringLiteral("empty.bin"), QByteArray()),
        h.path(QStringLiteral("missing.exe")),
        h.writeFile(QStringLiteral("other.elf"), makeElf({{".rodata", "ProductName=x"}})),
        h.writeFile(QStringLiteral("nobits.elf"),
                    makeElf({{".quillmar_version", "Translation=080403A8\nProductName=x\n", 8}})),
    };
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(readVersionBlock(file).has_value());
        QStringList lines{QStringLiteral("old"), QStringLiteral("lines")};
        TForm_About::FillVersionInfo(lines, file);
        EXPECT_EQ(lines, FallbackLines);
    }
}

TEST(VersionBlock, LinesFollowTheKeyTable)
{
    struct Case {
        const char *name;
        QByteArray block;
        QStringList lines;
    };
    const QList<Case> cases = {
        {"keys in any case, missing keys leave no gap",
         "Translation=080403A8\nfileversion=2.0\nOriginalFilename=a.exe\nPRODUCTNAME=P\n",
         {QStringLiteral("产品名称: P"), QString(), QStringLiteral("文件版本: 2.0"), QString(),
          QStringLiteral("原文件名: a.exe")}},
        {"an empty value keeps its line",
         "Translation=080403A8\nLegalCopyright=\n",
         {QStringLiteral("版权: ")}},
        {"values may hold '=' and stop at a zero byte",
         QByteArray("Translation=080403A8\r\nComments=x\r\nInternalName=a=b\r\n") + '\0'
             + "ProductName=hidden\n",
         {QStringLiteral("内部名称: a=b")}},
        {"another translation only", "Translation=040904B0\nProductName=P\n", {}},
        {"values before any translation", "ProductName=P\nTranslation=080403A8\n", {}},
        {"an empty block", QByteArray(), {}},
        {"no key of the table", "Translation=080403A8\nComments=c\nPrivateBuild=b\n", {}},
    };
    WindowHarness h(true);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = h.writeFile(QStringLiteral("v.elf"), elfWithBlock(c.block));
        ASSERT_TRUE(readVersionBlock(file).has_value());
        QStringList lines{QStringLiteral("old")};
        TForm_About::FillVersionInfo(lines, file);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(VersionBlock, DamagedFilesAreTreatedAsHavingNoBlock)
{
    WindowHarness h(true);
    const QByteArray good = elfWithBlock("Translation=080403A8\nProductName=P\n");
    ASSERT_TRUE(readVersionBlock(h.writeFile(QStringLiteral("good.elf"), good)).has_value());
    const qsizetype table = qsizetype(qFromLittleEndian<quint64>(good.constData() + 0x28));
    const qsizetype versionHeader = table + 2 * 64;
    const qsizetype namesHeader = table + 3 * 64;

    struct Damage {
        const char *name;
        std::function<void(QByteArray &)> apply;
    };
    const QList<Damage> damages = {
        {"bad magic", [](QByteArray &f) { f[1] = 'X'; }},
        {"32-bit class", [](QByteArray &f) { f[4] = 1; }},
        {"big-endian", [](QByteArray &f) { f[5] = 2; }},
        {"no section table", [](QByteArray &f) { put<quint64>(f, 0x28, 0); }},
        {"table past the end", [](QByteArray &f) { put<quint64>(f, 0x28, ~quint64(0) - 8); }},
        {"short entries", [](QByteArray &f) { put<quint16>(f, 0x3a, 16); }},
        {"too many sections", [](QByteArray &f) { put<quint16>(f, 0x3c, 0xfff0); }},
        {"names index out of range", [](QByteArray &f) { put<quint16>(f, 0x3e, 40); }},
        {"extended count too large",
         [table](QByteArray &f) {
             put<quint16>(f, 0x3c, 0);
             put<quint64>(f, table + 32, ~quint64(0));
         }},
        {"extended names index out of range",
         [table](QByteArray &f) {
             put<quint16>(f, 0x3e, 0xffff);
             put<quint32>(f, table + 40, 1000);
         }},
        {"names past the end",
         [namesHeader](QByteArray &f) { put<quint64>(f, namesHeader + 24, ~quint64(0) - 4); }},
        {"names too long",
         [namesHeader](QByteArray &f) { put<quint64>(f, namesHeader + 32, 1u << 30); }},
        {"block past the end",
         [versionHeader](QByteArray &f) { put<quint64>(f, versionHeader + 24, quint64(1) << 40); }},
        {"block too long",
         [versionHeader](QByteArray &f) { put<quint64>(f, versionHeader + 32, ~quint64(0)); }},
        {"name offset out of range",
         [versionHeader](QByteArray &f) { put<quint32>(f, versionHeader, 0xffffff00u); }},
    };
    for (const Damage &d : damages) {
        SCOPED_TRACE(d.name);
        QByteArray bytes = good;
        d.apply(bytes);
        EXPECT_FALSE(readVersionBlock(h.writeFile(QStringLiteral("bad.elf"), bytes)).has_value());
    }

    // Every truncation cuts into the section table, which comes last.
    for (qsizetype length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        const QString file = h.writeFile(QStringLiteral("cut.elf"), good.left(length));
        ASSERT_FALSE(readVersionBlock(file).has_value());
    }
    const QByteArray real = readAll(BuildPaths::program());
    ASSERT_GT(real.size(), 4096);
    for (const qsizetype length : {qsizetype(64), real.size() / 2, real.size() - 1}) {
        SCOPED_TRACE(length);
        const QString file = h.writeFile(QStringLiteral("cut.elf"), real.left(length));
        EXPECT_FALSE(readVersionBlock(file).has_value());
    }
}

// --- About box ---

TEST(AboutBox, LayoutAndMemo)
{
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_About about(dialogs, shell, BuildPaths::program());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于"));
    expectFixedDialogFrame(about);
    expectLayout(about, {
                            {"Panel1", "Form_About", nullptr},
                            {"Image1", "Panel1", nullptr},
                            {"Memo1", "Panel1", nullptr},
                            {"Label2", "Panel1", "作者主页:"},
                            {"Label3", "Panel1", nullptr},
                            {"Label4", "Panel1", "作者邮箱:"},
                            {"Label5", "Panel1", nullptr},
                            {"Label1", "Panel1", "作者QQ:"},
                            {"Label6", "Panel1", nullptr},
                            {"Panel2", "Form_About", nullptr},
                            {"BitBtn1", "Panel2", "确定(&O)"},
                        });
    for (const QLabel *link : {about.Label3, about.Label5, about.Label6}) {
        SCOPED_TRACE(link->objectName().toStdString());
        EXPECT_FALSE(link->text().isEmpty());
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_TRUE(about.BitBtn1->isDefault());
    EXPECT_TRUE(about.Memo1->isReadOnly());
    EXPECT_FALSE(about.Memo1->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(about.Memo1->toPlainText(), ShippedVersionLines.join(QLatin1Char('\n')));
}

TEST(AboutBox, ShowAboutRunsModallyAndDestroysTheBox)
{
    WindowHarness h;
    QPointer<TForm_About> shown;
    withModal<TForm_About>([&] { h.action(QStringLiteral("Action_About"))->trigger(); },
                           [&](TForm_About &about) {
                               shown = &about;
                               EXPECT_EQ(about.parent(), h.window.get());
                               // The test program carries no version block.
                               EXPECT_EQ(about.Memo1->toPlainText(), FallbackLines.join(QString()));
                               QTest::mouseClick(about.BitBtn1, Qt::LeftButton);
                               EXPECT_FALSE(about.isVisible());
                           });
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST(AboutBox, LinksOpenTheAddresses)
{
    WindowHarness h;
    QString home, mail;
    withModal<TForm_About>([&] { h.action(QStringLiteral("Action_About"))->trigger(); },
                           [&](TForm_About &about) {
                               home = about.Label3->text();
                               mail = about.Label5->text();
                               QTest::mouseClick(about.Label3, Qt::LeftButton);
                               QTest::mouseClick(about.Label5, Qt::LeftButton);
                               // A release outside the label is no click.
                               QTest::mousePress(about.Label3, Qt::LeftButton);
                               QTest::mouseRelease(about.Label3, Qt::LeftButton, {},
                                                   QPoint(-5, -5));
                           });
    EXPECT_EQ(h.shell.opened, (QStringList{home, QStringLiteral("mailto:") + mail}));
    EXPECT_TRUE(h.shell.clipboard.isEmpty());
}

TEST(AboutBox, ContactNumberGoesToTheClipboardOnlyOnYes)
{
    for (const Button answer : {Button::No, Button::Yes}) {
        SCOPED_TRACE(answer == Button::Yes ? "Yes" : "No");
        WindowHarness h;
        h.dialogs.answers.enqueue(answer);
        QString number;
        withModal<TForm_About>([&] { h.action(QStringLiteral("Action_About"))->trigger(); },
                               [&](TForm_About &about) {
                                   number = about.Label6->text();
                                   QTest::mouseClick(about.Label6, Qt::LeftButton);
                               });
        ASSERT_EQ(h.dialogs.messages.size(), 1);
        const FakeDialogs::Message &m = h.dialogs.messages.first();
        EXPECT_EQ(m.caption, QStringLiteral("系统提示"));
        EXPECT_EQ(m.text, QStringLiteral("是否把作者QQ号复制到剪贴板？"));
        EXPECT_EQ(m.buttons, (QList<Button>{Button::Yes, Button::No}));
        EXPECT_EQ(m.icon, Icon::Information);
        EXPECT_EQ(m.defaultButton, Button::No);
        EXPECT_EQ(h.shell.clipboard, answer == Button::Yes ? QStringList{number} : QStringList{});
        EXPECT_TRUE(h.shell.opened.isEmpty());
    }
}
