// The window's tick with the real libmpv player: a loop region replays.
#include "app/tform_main.h"
#include "platform/mpvplayer.h"
#include "playback/loopregion.h"
#include "support/fakedialogs.h"
#include "support/fakeshell.h"
#include "support/tonewav.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct LoopCase {
    const char *name;
    bool playerLoop; // the player's own A-B loop on as well as the tick
    double speed;
    double allowedOvershoot; // seconds of recording time past the loop end
};

void PrintTo(const LoopCase &c, std::ostream *os)
{
    *os << c.name;
}

class LoopingWithLibmpv : public ::testing::TestWithParam<LoopCase>
{
};

} // namespace

TEST_P(LoopingWithLibmpv, LoopOfOneSecondWrapsRepeatedlyWithoutRunningAway)
{
    const LoopCase c = GetParam();
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeToneWav(wav, 4.0));
    MpvPlayer player(QStringLiteral("null"));
    player.setSpeed(c.speed);
    FakeDialogs dialogs;
    FakeShell shell;
    TForm_MainServices services{&player, &dialogs, &shell, dir.path() + QLatin1Char('/'), {}, {}};
    TForm_Main window(services);

    window.OpenSourceFile(wav);
    QElapsedTimer clock;
    clock.start();
    while (player.playState() != MediaPlayer::Playing && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(player.playState(), MediaPlayer::Playing);
    window.findChild<LoopRegion *>()->setPoints(1.0, 2.0);
    ASSERT_EQ(window.findChild<LoopRegion *>()->start(), 1.0);
    if (c.playerLoop)
        player.setLoopRange(1.0, 2.0);

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
    // Until two wraps, or a stall is evident (a lap takes 1 s of recording).
    QEventLoop loop;
    QTimer::singleShot(int(8000 / c.speed), &loop, &QEventLoop::quit);
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        if (wraps >= 3)
            loop.quit();
    });
    loop.exec();
    sampler.stop();

    EXPECT_GE(wraps, 3);
    EXPECT_LT(highest, 2.0 + c.allowedOvershoot);
    EXPECT_EQ(player.playState(), MediaPlayer::Playing);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The tick alone overshoots by up to one tick plus the player's latency;
// with the player's loop on, the wrap comes at the loop end itself.
INSTANTIATE_TEST_SUITE_P(Loops, LoopingWithLibmpv,
                         ::testing::Values(LoopCase{"TickOnly", false, 1.0, 0.25},
                                           LoopCase{"PlayerLoop", true, 1.0, 0.01},
                                           LoopCase{"PlayerLoopFaster", true, 1.3, 0.01}),
                         [](const auto &info) { return std::string(info.param.name); });
