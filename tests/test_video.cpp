// The picture of a video recording, drawn by the real libmpv through its
// render API into the window's video pane. OpenGL widgets need a window
// system: the test starts an X server of its own (Xvfb, with Mesa's software
// OpenGL) and runs the window in video_driver on it, so no display is needed.
#include "support/buildpaths.h"
#include "support/mediafiles.h"
#include "support/tonewav.h"
#include "video/picturecheck.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

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

TEST(VideoPicture, TellsADamagedOrTooDemandingPictureFromAGoodOne)
{
    using T = PictureTrouble;
    // Looks one second apart; counts grow by the given amounts each second
    // from the given start, and the position by `advance`. From look `breakAt` on (when not -1) no
    // frame is drawn, and the rest of the track fails at once.
    const struct {
        const char *name;
        int looks;
        double frameRate, speed, advance;
        std::int64_t drawnFrom, drawnEach, droppedEach, errorsFrom, errorsEach;
        int breakAt;
        bool undecodable;
        PictureTrouble trouble;
    } rows[] = {
        {"plays well", 6, 25, 1.0, 1.0, 0, 25, 0, 0, 0, -1, false, T::None},
        {"a frame left out now and then", 6, 25, 1.0, 1.0, 0, 24, 1, 0, 0, -1, false, T::None},
        {"no decoder for the track", 1, 0, 1.0, 1.0, 0, 0, 0, 0, 0, -1, true, T::Undecodable},
        {"every piece broken, none drawn", 5, 25, 1.0, 1.0, 0, 0, 0, 250, 0, -1, false, T::Damaged},
        {"broken, but only two seconds seen", 3, 25, 1.0, 1.0, 0, 0, 0, 250, 0, -1, false, T::None},
        {"breaks off after a good start", 5, 25, 1.0, 1.0, 100, 0, 0, 3, 20, -1, false, T::Damaged},
        {"a glitch, then frames again", 5, 25, 1.0, 1.0, 100, 25, 0, 3, 0, -1, false, T::None},
        {"breaks off, the rest failing at once", 8, 25, 1.0, 1.0, 0, 25, 0, 0, 0, 3, false,
         T::Damaged},
        {"broken off for two seconds only", 6, 25, 1.0, 1.0, 0, 25, 0, 0, 0, 3, false, T::None},
        {"the picture ended before the sound", 6, 25, 1.0, 1.0, 200, 0, 0, 3, 0, -1, false,
         T::None},
        {"4K, the decoder far behind", 6, 60, 1.0, 1.0, 0, 6, 9, 0, 0, -1, false, T::TooSlow},
        {"far behind, but only three seconds", 4, 60, 1.0, 1.0, 0, 6, 9, 0, 0, -1, false, T::None},
        {"4K, the sound held up too", 6, 60, 1.0, 0.25, 0, 6, 9, 0, 0, -1, false, T::SoundHeldUp},
        {"sound held up, the picture keeping up", 6, 25, 1.0, 0.25, 0, 25, 0, 0, 0, -1, false,
         T::None},
        {"far behind while a loop wraps", 6, 60, 1.0, -1.0, 0, 6, 9, 0, 0, -1, false, T::TooSlow},
        {"a third of the frames left out", 6, 25, 1.0, 1.0, 0, 17, 8, 0, 0, -1, false, T::TooSlow},
        {"a slide show: few frames, none late", 6, 30, 1.0, 1.0, 0, 2, 0, 0, 0, -1, false, T::None},
        {"fast practice, frames keep up", 6, 25, 1.5, 1.5, 0, 37, 0, 0, 0, -1, false, T::None},
        {"slow practice, half the frames due", 6, 25, 0.5, 0.5, 0, 12, 0, 0, 0, -1, false, T::None},
        {"unknown rate, most left out", 6, 0, 1.0, 1.0, 0, 5, 10, 0, 0, -1, false, T::TooSlow},
        {"unknown rate, none left out", 6, 0, 1.0, 1.0, 0, 20, 0, 0, 0, -1, false, T::None},
    };
    for (const auto &row : rows) {
        std::vector<PictureSample> samples;
        for (int look = 0; look < row.looks; ++look) {
            PictureSample sample;
            sample.seconds = 100.0 + look;
            const bool broken = row.breakAt >= 0 && look >= row.breakAt;
            sample.counts.framesDrawn =
                row.drawnFrom + row.drawnEach * (broken ? row.breakAt : look);
            sample.counts.framesDropped = row.droppedEach * look;
            sample.counts.decodeErrors =
                row.errorsFrom + row.errorsEach * look + (broken ? 175 : 0);
            sample.counts.undecodable = row.undecodable;
            sample.counts.playing = true;
            sample.counts.speed = row.speed;
            sample.counts.frameRate = row.frameRate;
            // A negative advance: a loop of 2.5 s played at normal speed.
            sample.counts.position =
                row.advance >= 0 ? row.advance * look : std::fmod(double(look), 2.5);
            samples.push_back(sample);
        }
        EXPECT_EQ(pictureTrouble(samples), row.trouble) << row.name;
    }
    EXPECT_EQ(pictureTrouble({}), PictureTrouble::None);
}

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
    // Bad input: a picture without sound, a picture whose every piece is
    // garbage, and one in a format no decoder knows; the last two with sound.
    const QStringList tone = {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                              QStringLiteral("sine=frequency=300:duration=3")};
    const QStringList pattern = {
        QStringLiteral("-f"),       QStringLiteral("lavfi"),
        QStringLiteral("-i"),       QStringLiteral("testsrc=s=160x90:r=25:d=3"),
        QStringLiteral("-c:v"),     QStringLiteral("libx264"),
        QStringLiteral("-preset"),  QStringLiteral("ultrafast"),
        QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    ASSERT_TRUE(runFfmpeg(pattern + QStringList{dir.filePath(QStringLiteral("mute.mp4"))}));
    ASSERT_TRUE(runFfmpeg(tone + pattern
                          + QStringList{QStringLiteral("-bsf:v"), QStringLiteral("noise=amount=2"),
                                        QStringLiteral("-c:a"), QStringLiteral("aac"),
                                        dir.filePath(QStringLiteral("broken.mkv"))}));
    ASSERT_TRUE(runFfmpeg(tone + pattern
                          + QStringList{QStringLiteral("-c:a"), QStringLiteral("aac"),
                                        dir.filePath(QStringLiteral("unknown.mkv"))}));
    {
        // The track's codec named as none that exists (the name's length kept).
        QFile file(dir.filePath(QStringLiteral("unknown.mkv")));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.contains("V_MPEG4/ISO/AVC"));
        bytes.replace("V_MPEG4/ISO/AVC", "V_NOSUCH/CODEC!");
        ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    }

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
