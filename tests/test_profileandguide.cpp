// Recent entries that name one file, Qt's own texts in Chinese, the window
// font where SimSun is missing, and the user guide that F1 opens.
#include "support/testutil.h"

#include "platform/qttranslations.h"
#include "platform/userguide.h"
#include "platform/windowfont.h"
#include "settings/recentfilerules.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLocale>
#include <QPushButton>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTranslator>

#include <optional>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString makeFile(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    putFile(path, "ID3");
    return path;
}

} // namespace

TEST(RecentEntries, SameEntryWhenSamePathOrSameFile)
{
    QTemporaryDir dir;
    const QString song = makeFile(dir, QStringLiteral("Song.MP3"));
    const QString other = makeFile(dir, QStringLiteral("song.mp3")); // a file of its own here
    const QString hardLink = dir.filePath(QStringLiteral("hard.mp3"));
    ASSERT_EQ(::link(QFile::encodeName(song).constData(), QFile::encodeName(hardLink).constData()),
              0);
    const QString symLink = dir.filePath(QStringLiteral("link.mp3"));
    ASSERT_TRUE(QFile::link(song, symLink));
    const QString missing = dir.filePath(QStringLiteral("gone/Old.mp3"));

    const struct {
        const char *name;
        QString a;
        QString b;
        bool same;
    } cases[] = {
        {"the same path", song, song, true},
        {"the same missing path", missing, missing, true},
        {"two files differing in case only", song, other, false},
        {"missing paths differing in case only", missing, missing.toLower(), false},
        {"a hard link", hardLink, song, true},
        {"a symbolic link", symLink, song, true},
        {"another spelling of the folder", dir.filePath(QStringLiteral("./Song.MP3")), song, true},
        {"an existing and a missing file", song, missing, false},
        {"an empty entry and a path", QString(), song, false},
        {"two empty entries", QString(), QString(), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SameRecentFile(c.a, c.b), c.same);
        EXPECT_EQ(SameRecentFile(c.b, c.a), c.same);
    }
}

namespace {

// Removes what a test installed, so that the next one starts in English.
struct QtTranslationsReset {
    ~QtTranslationsReset() { installQtTranslations(*QCoreApplication::instance(), QLocale::c()); }
};

} // namespace

TEST(QtTranslations, QtsOwnTextsFollowTheInterfaceLanguage)
{
    const QtTranslationsReset reset;
    const struct {
        QLocale locale;
        QString open;   // the file dialog's "Open"
        QString cancel; // a standard button
    } cases[] = {
        {QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("打开"), QStringLiteral("取消")},
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("Open"),
         QStringLiteral("Cancel")},
        // Switching back from English loads the translation again.
        {QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("打开"), QStringLiteral("取消")},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), QStringLiteral("Open"),
         QStringLiteral("Cancel")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        installQtTranslations(*QCoreApplication::instance(), c.locale);
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), c.open);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
        EXPECT_EQ(cancel.remove(QStringLiteral("(&C)")).remove(u'&'), c.cancel);
    }
}

TEST(WindowFontTest, WithoutSimSunOneFontDrawsChineseLatinAndDigits)
{
    // SimSun is a Windows font; where it is present, it draws all three itself.
    const QFont font = WindowFont();
    EXPECT_EQ(font.families().value(0), QStringLiteral("SimSun"));
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    for (const QChar c : QStringLiteral("汉字Aag09"))
        EXPECT_TRUE(raw.supportsCharacter(c))
            << QFontInfo(font).family().toStdString() << " lacks " << QString(c).toStdString();
    EXPECT_EQ(raw.familyName(), QFontInfo(font).family());
}

namespace {

QString sourceGuide(const char *language)
{
    return QStringLiteral(QUILLMAR_SOURCE_DIR "/docs/guide/") + QLatin1String(language)
           + QStringLiteral("/index.html");
}

// Installs the English translation for one test; the rest expect none.
struct English {
    English() { EXPECT_TRUE(installTranslations(*qApp, InterfaceLanguage::English)); }
    ~English()
    {
        qDeleteAll(qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly));
    }
};

} // namespace

TEST(UserGuide, ChmBesideTheProgramThenInstalledGuideThenBuildTree)
{
    QTemporaryDir dir;
    const QString installedGuide =
        dir.filePath(QStringLiteral("usr/share/quillmar/guide/zh_CN/index.html"));
    putFile(installedGuide, "<html></html>");
    const QString chmDir = dir.filePath(QStringLiteral("chm/"));
    putFile(chmDir + QStringLiteral("Quillmar.chm"), "ITSF");
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("usr/bin"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("folder/Quillmar.chm"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("build"))));

    const struct {
        const char *name;
        QString programDir;
        QString chm;
        QString guide;
    } cases[] = {
        {"a chm beside the program", chmDir, chmDir + QStringLiteral("Quillmar.chm"),
         sourceGuide("zh_CN")},
        {"installed under /usr", dir.filePath(QStringLiteral("usr/bin")), QString(),
         installedGuide},
        {"installed, folder with a slash", dir.filePath(QStringLiteral("usr/bin/")), QString(),
         installedGuide},
        {"a folder named like the chm is no chm", dir.filePath(QStringLiteral("folder")), QString(),
         sourceGuide("zh_CN")},
        {"run from the build folder", dir.filePath(QStringLiteral("build")), QString(),
         sourceGuide("zh_CN")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(helpFilePath(c.programDir), c.chm);
        EXPECT_EQ(userGuidePath(c.programDir, InterfaceLanguage::Chinese), c.guide);
    }
}

// The guide lists every command of the main window under its menu caption,
// with the key the menu shows, in both languages.
TEST(UserGuide, ListsEveryCommandWithItsKey)
{
    for (const char *language : {"zh_CN", "en"}) {
        SCOPED_TRACE(language);
        std::optional<English> english;
        if (QLatin1String(language) == QLatin1String("en"))
            english.emplace();
        QFile file(QFileInfo(sourceGuide(language)).dir().filePath(QStringLiteral("keys.html")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString guide = QString::fromUtf8(file.readAll());

        WindowHarness h;
        int commands = 0;
        for (const QAction *command : h.window->findChildren<QAction *>()) {
            if (!command->objectName().startsWith(QStringLiteral("Action_")))
                continue;
            ++commands;
            QString row =
                QStringLiteral("<tr><td>") + command->text() + QStringLiteral("</td><td>");
            if (!command->shortcut().isEmpty())
                row += QStringLiteral("<kbd>")
                       + command->shortcut().toString(QKeySequence::NativeText)
                       + QStringLiteral("</kbd>");
            EXPECT_TRUE(guide.contains(row + QStringLiteral("</td>"))) << row.toStdString();
        }
        EXPECT_GT(commands, 20);
    }
}
