// The window's tick with the real libmpv player: a loop region replays.
#include "app/tform_main.h"
#include "playback/loopregion.h"
#include "platform/mpvplayer.h"
#include "support/fakedialogs.h"
#include "support/fakeshell.h"
#include "support/tonewav.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

TEST(LoopingWithLibmpv, LoopOfOneSecondWrapsRepeatedlyWithoutRunningAway)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(wav, 4.0));
    MpvPlayer player(QStringLiteral("null"));
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services{&player, &dialogs, &shell, dir.path() + QLatin1Char('/')};
    TForm_Main window(services);

    window.OpenSourceFile(wav);
    QElapsedTimer clock;
    clock.start();
    while (player.playState() != MediaPlayer::Playing && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(player.playState(), MediaPlayer::Playing);
    window.findChild<LoopRegion *>()->setPoints(1.0, 2.0);
    ASSERT_EQ(window.findChild<LoopRegion *>()->start(), 1.0);

    // Sample the position every 20 ms for 3.5 s of looping.
    double highest = 0.0;
    double previous = 0.0;
    int wraps = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const double now = player.currentPosition();
        highest = std::max(highest, now);
        if (now < previous - 0.5)
            ++wraps;
        previous = now;
    });
    sampler.start(20);
    QEventLoop loop;
    QTimer::singleShot(3500, &loop, &QEventLoop::quit);
    loop.exec();
    sampler.stop();

    EXPECT_GE(wraps, 2);
    EXPECT_LT(highest, 2.0 + 0.25); // one tick plus the player's latency
    EXPECT_EQ(player.playState(), MediaPlayer::Playing);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
