// The window with the real player showing a video's picture, on the X server
// the video test starts: OpenGL widgets need a window system. Prints one line
// per check ("ok <what>" or "failed <what>: <why>") and ends with 0 when all
// passed.
//   video_driver <folder with film.mp4, talk.wav, mute.mp4, broken.mkv, unknown.mkv>
#include "app/tform_main.h"
#include "platform/dialogs.h"
#include "platform/mediaplayer.h"
#include "platform/mpvplayer.h"
#include "support/fakedialogs.h"
#include "support/fakeshell.h"
#include "video/videoview.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <dlfcn.h>
#include <link.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int Timeout = 60000;
int failures = 0;

void check(bool ok, const char *what, const QString &why = QString())
{
    if (ok)
        std::printf("ok %s\n", what);
    else
        std::printf("failed %s: %s\n", what, qPrintable(why));
    std::fflush(stdout);
    failures += ok ? 0 : 1;
}

// The share of clearly lit pixels in rows from..to of the image (fractions
// of its height).
double litShare(const QImage &image, double from, double to)
{
    if (image.isNull())
        return 0.0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int first = int(from * rgb.height());
    const int last = int(to * rgb.height());
    qsizetype lit = 0;
    for (int y = first; y < last; ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y);
            if (qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 96)
                ++lit;
        }
    }
    return double(lit) / std::max(1.0, double(rgb.width()) * (last - first));
}

// Mesa unloads its OpenGL driver with the last context, and the leak check
// at exit could no longer tell its allocations from ours (nor suppress them
// by name): the drivers loaded stay loaded until the process ends.
void keepOpenGLDriversLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/dri/"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    QTemporaryDir program;

    MpvPlayer player(QStringLiteral("null"));
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services;
    services.player = &player;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.programDir = program.path() + QLatin1Char('/');
    services.video = &player;
    auto window = std::make_unique<TForm_Main>(services);
    window->show();
    auto *panel = window->findChild<QWidget *>(QStringLiteral("VideoPanel"));
    const QWidget *transport = window->findChild<QWidget *>(QStringLiteral("Panel3"));
    QAction *showPicture = window->findChild<QAction *>(QStringLiteral("Action_ShowPicture"));
    if (!panel || !transport || !showPicture)
        return 3;
    // Made with the first picture.
    check(!window->findChild<VideoView *>(), "no OpenGL widget before a picture");
    VideoView *view = nullptr;

    const auto open = [&](const char *name) {
        window->OpenSourceFile(folder + QLatin1String(name));
        return QTest::qWaitFor([&] { return player.playState() == MediaPlayer::Playing; }, Timeout);
    };
    // Frames drawn from now on.
    const auto framesDrawn = [&] {
        QSignalSpy frames(view, &VideoView::frameDrawn);
        return QTest::qWaitFor([&] { return frames.count() >= 3; }, Timeout);
    };
    // The film is white above and black below, pillarboxed in the wide pane.
    const auto upright = [&](QString &why) {
        const QImage picture = view->grabFramebuffer();
        const double top = litShare(picture, 0.05, 0.45);
        const double bottom = litShare(picture, 0.55, 0.95);
        why = QStringLiteral("lit %1 above, %2 below").arg(top).arg(bottom);
        return top > 0.15 && bottom < 0.02;
    };
    QString why;

    check(open("film.mp4"), "video plays");
    check(QTest::qWaitFor([&] { return panel->isVisible(); }, Timeout), "pane shows");
    view = window->findChild<VideoView *>(QStringLiteral("VideoView"));
    if (!view)
        return 3;
    check(framesDrawn() && player.isVideoAttached(), "frames drawn");
    keepOpenGLDriversLoaded();
    check(upright(why), "picture shown upright", why);
    check(panel->mapTo(window.get(), QPoint(0, panel->height())).y()
              <= transport->mapTo(window.get(), QPoint(0, 0)).y(),
          "pane above the transport panel");

    // The switch hides the picture and stops decoding it; the sound plays on.
    showPicture->trigger();
    check(!panel->isVisible() && !player.isVideoAttached(), "switched off");
    check(player.playState() == MediaPlayer::Playing, "sound plays on");
    showPicture->trigger();
    check(panel->isVisible() && framesDrawn(), "switched on again");
    check(upright(why), "picture back", why);

    // Closing the recording frees the render context, the player still there.
    // Its new dictation document is left unsaved.
    dialogs.answers.enqueue(Dialogs::Button::No);
    window->CloseSourceFile();
    check(!player.isVideoAttached() && !panel->isVisible(), "closed recording freed");

    // A recording without a picture leaves the window as it always was.
    check(open("talk.wav"), "sound plays");
    check(!panel->isVisible() && !player.isVideoAttached(), "no pane for sound");

    // Bad input: a clear status line, and the recording plays on.
    // Kept in the status bar while the recording is open.
    const auto *status = window->findChild<QLabel *>(QStringLiteral("Label_PictureNotice"));
    if (!status)
        return 3;
    const auto says = [&](const char *text) {
        return QTest::qWaitFor([&] { return status->text() == QString::fromUtf8(text); }, Timeout);
    };
    const auto playsOn = [&] {
        const double from = player.currentPosition();
        return QTest::qWaitFor(
            [&] {
                return player.playState() == MediaPlayer::Playing
                       && player.currentPosition() > from + 0.1;
            },
            Timeout);
    };
    dialogs.answers.enqueue(Dialogs::Button::No);
    check(open("mute.mp4") && player.isSoundless(), "video without sound plays");
    check(says("这段视频没有声音，只有画面"), "no sound said", status->text());
    check(panel->isVisible() && framesDrawn(), "picture of the mute video");
    check(playsOn(), "mute video's time runs");
    // Without its picture the mute video still keeps its time.
    showPicture->trigger();
    check(!player.isVideoAttached() && playsOn(), "mute video runs on hidden");
    showPicture->trigger();
    check(panel->isVisible() && framesDrawn(), "mute video shown again");

    dialogs.answers.enqueue(Dialogs::Button::No);
    check(open("broken.mkv"), "broken picture opens");
    check(QTest::qWaitFor([&] { return player.pictureCounts().decodeErrors > 0; }, Timeout),
          "broken pieces counted");
    check(playsOn(), "sound of the broken picture plays");

    dialogs.answers.enqueue(Dialogs::Button::No);
    check(open("unknown.mkv"), "undecodable picture opens");
    check(says("录音里的画面无法解码，只播放声音"), "undecodable said", status->text());
    check(!panel->isVisible() && !player.isVideoAttached(), "undecodable pane gone");
    check(playsOn(), "sound of the undecodable picture plays");

    // The window closed with the picture up frees it before the player goes.
    dialogs.answers.enqueue(Dialogs::Button::No);
    check(open("film.mp4") && framesDrawn(), "video again");
    window.reset();
    check(!player.isVideoAttached(), "closed window freed");
    for (const QString &text : dialogs.messageTexts())
        std::printf("asked %s\n", qPrintable(text));
    return failures == 0 ? 0 : 1;
}
