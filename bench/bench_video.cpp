// Video: how long a 720p h264 mp4 takes from opening to its first frame on
// screen, the processor time of playing it at normal speed with the picture
// drawn, and how long reading the subtitle track of a 2-hour mkv takes.
// Draws with OpenGL on an X server of its own (Xvfb, Mesa's software
// renderer), so it needs no display. Prints "name value unit" lines.
#include "platform/mediaplayer.h"
#include "platform/mpvplayer.h"
#include "sentences/audiodecoder.h"
#include "sentences/subtitletracks.h"
#include "video/videoview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <clocale>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Timeout = 120000;

bool ffmpeg(const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"),
                                                  QStringLiteral("-y"), QStringLiteral("-nostdin")}
                                          + arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: ffmpeg %s\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return false;
    }
    return true;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray cues(int count, double every)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const auto clock = [](double seconds) {
            const auto ms = static_cast<long long>(std::llround(seconds * 1000));
            return QStringLiteral("%1:%2:%3,%4")
                .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
                .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                .arg(ms % 1000, 3, 10, QLatin1Char('0'));
        };
        out += QStringLiteral("%1\n%2 --> %3\n{\\i1}Sentence number %1 of the film.{\\i0}\n\n")
                   .arg(i + 1)
                   .arg(clock(i * every + 0.5), clock(i * every + every - 0.5))
                   .toUtf8();
    }
    return out;
}

// The subtitle track of a 2-hour mkv (sound and one SubRip track); -1 on failure.
double embeddedCuesMs(const QTemporaryDir &dir)
{
    const QString piece = dir.filePath(QStringLiteral("piece.mkv"));
    const QString film = dir.filePath(QStringLiteral("long.mkv"));
    const QString subtitles = dir.filePath(QStringLiteral("long.srt"));
    QFile srt(subtitles);
    if (!srt.open(QIODevice::WriteOnly) || srt.write(cues(1800, 4.0)) < 0)
        return -1;
    srt.close();
    // Ten seconds of sound repeated for two hours: quick to make.
    if (!ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("sine=frequency=220:sample_rate=48000:duration=10"),
                 QStringLiteral("-c:a"), QStringLiteral("libopus"), QStringLiteral("-b:a"),
                 QStringLiteral("32k"), piece})
        || !ffmpeg({QStringLiteral("-stream_loop"), QStringLiteral("719"), QStringLiteral("-i"),
                    piece, QStringLiteral("-i"), subtitles, QStringLiteral("-map"),
                    QStringLiteral("0:a"), QStringLiteral("-map"), QStringLiteral("1"),
                    QStringLiteral("-c:a"), QStringLiteral("copy"), QStringLiteral("-c:s"),
                    QStringLiteral("srt"), QStringLiteral("-metadata:s:s:0"),
                    QStringLiteral("language=eng"), film}))
        return -1;
    // The module loads once per program; that is not what is measured.
    DecoderModule::programModule();
    QElapsedTimer clock;
    clock.start();
    const TrackCues found = findTrackCues(film, 7200.0, CueWish{}, true);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    std::fprintf(stderr, "embedded cues: %lld\n", static_cast<long long>(found.cues.size()));
    return found.cues.size() == 1800 ? ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    // An X server of its own, for OpenGL.
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(Timeout))
        display += server.readAllStandardOutput();
    if (display.trimmed().isEmpty()) {
        std::fprintf(stderr, "no Xvfb\n");
        return 1;
    }
    qputenv("DISPLAY", ":" + display.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
    int result = 1;
    {
        QApplication app(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        const QString film = dir.filePath(QStringLiteral("film.mp4"));
        if (!ffmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc2=size=1280x720:rate=25:duration=30"),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=300:duration=30"), QStringLiteral("-c:v"),
                     QStringLiteral("libx264"), QStringLiteral("-preset"),
                     QStringLiteral("veryfast"), QStringLiteral("-pix_fmt"),
                     QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                     film}))
            return 1;

        MpvPlayer player(QStringLiteral("null"));
        player.startLoading();
        if (!QTest::qWaitFor([&] { return !player.isStarting(); }, Timeout))
            return 1;
        VideoView view(&player, nullptr);
        view.resize(1280, 720);
        view.show();
        int frames = 0;
        QObject::connect(&view, &VideoView::frameDrawn, [&frames] { ++frames; });
        // As the window does: the picture is attached once the recording plays.
        QObject::connect(&player, &MediaPlayer::playStateChanged, &view, [&](int state) {
            if (state == MediaPlayer::Playing)
                view.setActive(player.hasVideo());
        });

        QElapsedTimer clock;
        clock.start();
        player.setUrl(film);
        const bool drawn = QTest::qWaitFor([&] { return frames > 0; }, Timeout);
        const double firstFrame = double(clock.nsecsElapsed()) / 1e6;

        // Ten seconds of playing at normal speed with the picture drawn.
        const double cpuBefore = cpuSeconds();
        clock.restart();
        const int framesBefore = frames;
        QTest::qWait(10000);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds() - cpuBefore;
        view.setActive(false);
        player.close();

        if (drawn) {
            std::printf("open_to_first_frame_ms %.0f ms\n", firstFrame);
            std::printf("render_cpu_percent %.0f %%\n", 100.0 * cpu / wall);
            std::printf("frames_drawn_per_second %.1f fps\n", (frames - framesBefore) / wall);
        }
        const double cuesMs = embeddedCuesMs(dir);
        if (cuesMs >= 0)
            std::printf("embedded_cues_ms %.0f ms\n", cuesMs);
        std::fflush(stdout);
        result = drawn && cuesMs >= 0 ? 0 : 1;
    }
    server.terminate();
    server.waitForFinished(10000);
    return result;
}
