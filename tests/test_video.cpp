// The picture of a video recording, drawn by the real libmpv through its
// render API into the window's video pane. OpenGL widgets need a window
// system: the test starts an X server of its own (Xvfb, with Mesa's software
// OpenGL) and runs the window in video_driver on it, so no display is needed.
#include "support/buildpaths.h"
#include "support/mediafiles.h"
#include "support/tonewav.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int VideoTimeout = 120000;

// An X server for the test's own use; gone with the object.
class OwnDisplay
{
public:
    OwnDisplay()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        // It writes its display number once it takes connections.
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(VideoTimeout))
            number += m_server.readAllStandardOutput();
        m_name = QString::fromLatin1(number.trimmed());
    }
    ~OwnDisplay()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(10000))
            m_server.kill();
        m_server.waitForFinished(10000);
    }
    // ":N", or empty when the server did not come up.
    QString name() const { return m_name.isEmpty() ? QString() : QLatin1Char(':') + m_name; }

private:
    QProcess m_server;
    QString m_name;
};

} // namespace

TEST(VideoPicture, ShowsThePictureAboveTheTransportAndFreesItOnClose)
{
    QTemporaryDir dir;
    // White above, black below: a picture drawn upside down shows.
    ASSERT_TRUE(runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=300:duration=10"), QStringLiteral("-filter_complex"),
         QStringLiteral("color=c=white:s=320x90:r=25:d=10[a];"
                        "color=c=black:s=320x90:r=25:d=10[b];[a][b]vstack[v]"),
         QStringLiteral("-map"), QStringLiteral("[v]"), QStringLiteral("-map"),
         QStringLiteral("0:a"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
         QStringLiteral("-preset"), QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"),
         QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
         dir.filePath(QStringLiteral("film.mp4"))}));
    ASSERT_TRUE(writeToneWav(dir.filePath(QStringLiteral("talk.wav")), 10.0));

    const OwnDisplay display;
    ASSERT_FALSE(display.name().isEmpty()) << "Xvfb did not start";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.name());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LIBGL_ALWAYS_SOFTWARE"), QStringLiteral("1"));
    // Under the sanitizers: the keyboard map library of the X connection
    // (libxkbcommon-x11) copies counted strings with strndup, which strict
    // string checks take for a read past their end.
    if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS"))
                               + QStringLiteral(":intercept_strndup=0"));
    QProcess driver;
    driver.setProcessEnvironment(environment);
    driver.setProcessChannelMode(QProcess::SeparateChannels);
    driver.start(BuildPaths::videoDriver(), {dir.path()});
    ASSERT_TRUE(driver.waitForFinished(VideoTimeout));
    const QString out = QString::fromUtf8(driver.readAllStandardOutput());
    const QString err = QString::fromUtf8(driver.readAllStandardError());
    EXPECT_FALSE(out.contains(QLatin1String("failed"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("ok closed window freed"))) << out.toStdString();
    EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(driver.exitCode(), 0) << out.toStdString() << err.toStdString();
}
