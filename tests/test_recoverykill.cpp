// A program ended without saving (killed, or told to end at logout) leaves
// its unsaved dictation behind; the next start restores it, and saving then
// writes exactly what a normal save would have written. Told to end, it also
// keeps the place in the recording, as a normal close does.
#include "support/buildpaths.h"
#include "support/testutil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray run(const QString &folder, const char *mode)
{
    QProcess driver;
    driver.start(BuildPaths::recoveryDriver(), {folder, QString::fromLatin1(mode)});
    EXPECT_TRUE(driver.waitForFinished(30000)) << mode;
    return driver.readAllStandardOutput().trimmed();
}

int copies(const QString &folder)
{
    return int(QDir(folder + QStringLiteral("/recovery"))
                   .entryList({QStringLiteral("*.recovery")}, QDir::Files)
                   .size());
}

TEST(RecoveryAfterAnEnd, RestoredLinesSaveAsANormalSaveWould)
{
    struct Case {
        const char *name;
        int signal;
        bool waitForCopy;  // killed outright only keeps what was already copied
        const char *place; // the loop points the next opening finds
    };
    for (const Case c : {Case{"killed", SIGKILL, true, "-1.000 -1.000"},
                         Case{"ended at logout", SIGTERM, false, "12.000 15.500"},
                         Case{"hung up", SIGHUP, false, "12.000 15.500"}}) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.path();
        putFile(folder + QStringLiteral("/lesson.mp3"), "RIFF");
        ASSERT_EQ(run(folder, "reference"), QByteArray("saved"));
        const QString document = folder + QStringLiteral("/lesson.txt");
        const QByteArray expected = readAll(document);
        ASSERT_TRUE(expected.contains("the second line"));
        ASSERT_TRUE(QFile::remove(document));

        QProcess typing;
        typing.start(BuildPaths::recoveryDriver(), {folder, QStringLiteral("type")});
        ASSERT_TRUE(typing.waitForReadyRead(30000));
        ASSERT_EQ(typing.readLine().trimmed(), QByteArray("typed"));
        if (c.waitForCopy) {
            // The copy is written a moment after the last change.
            for (int i = 0; i < 300 && copies(folder) == 0; ++i)
                typing.waitForFinished(50);
            ASSERT_EQ(copies(folder), 1);
        }
        ::kill(pid_t(typing.processId()), c.signal);
        ASSERT_TRUE(typing.waitForFinished(30000));
        EXPECT_FALSE(QFile::exists(document));
        ASSERT_EQ(copies(folder), 1);

        EXPECT_EQ(run(folder, "place"), QByteArray(c.place));
        ASSERT_EQ(run(folder, "restore"), QByteArray("saved"));
        EXPECT_EQ(readAll(document), expected);
        EXPECT_EQ(copies(folder), 0);
    }
}

} // namespace
