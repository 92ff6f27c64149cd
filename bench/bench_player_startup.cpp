// What the player costs the program's start: how long creating it blocks the
// GUI thread (libmpv loads on a worker), and how long from creating it to a
// first recording playing. Prints "name value unit" lines.
#include "platform/mpvplayer.h"
#include "support/tonewav.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    if (!writeToneWav(wav, 2.0))
        qFatal("cannot write %s", qPrintable(wav));

    QElapsedTimer clock;
    clock.start();
    auto player = std::make_unique<MpvPlayer>(QStringLiteral("null"));
    const double constructMs = clock.nsecsElapsed() / 1e6;
    // An open right away waits for libmpv, as one from the command line would.
    player->setUrl(wav);
    const double setUrlMs = clock.nsecsElapsed() / 1e6;
    while (player->playState() != MediaPlayer::Playing && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double playingMs = clock.nsecsElapsed() / 1e6;

    std::printf("player_construct_ms %.1f ms\n", constructMs);
    std::printf("player_construct_to_seturl_return_ms %.1f ms\n", setUrlMs);
    std::printf("player_construct_to_playing_ms %.1f ms\n", playingMs);
    return 0;
}
