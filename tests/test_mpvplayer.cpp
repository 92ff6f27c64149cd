// Integration tests of the libmpv player, with the real libmpv and no sound
// device (audio output "null"), so playback runs in real time.

#include "platform/mpvplayer.h"

#include "platform/errors.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>
#include <numbers>
#include <ostream>

#include "support/mediafiles.h"
#include "support/tonewav.h"

#include <gtest/gtest.h>

namespace {

const QString FixturesDir = QStringLiteral(QUILLMAR_FIXTURES_DIR);
constexpr int Timeout = 5000;

void writeWav(const QString &path, double seconds, double frequency = 440.0)
{
    ASSERT_TRUE(writeToneWav(path, seconds, frequency)) << path.toStdString();
}

class MpvPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        wav = dir.filePath(QStringLiteral("tone.wav"));
        writeWav(wav, 3.0);
        player = std::make_unique<MpvPlayer>(QStringLiteral("null"));
        QObject::connect(player.get(), &MediaPlayer::playStateChanged, player.get(),
                         [this](int state) { announced << state; });
    }

    // Runs the event loop until the player announces `state` (after the
    // announcements already waited for), or the time runs out.
    bool waitForState(int state, int timeoutMs = Timeout)
    {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(player.get(), &MediaPlayer::playStateChanged, &loop,
                         [&loop, state](int s) {
                             if (s == state)
                                 loop.quit();
                         });
        if (announced.indexOf(state, consumed) < 0) {
            timer.start(timeoutMs);
            loop.exec();
        }
        const qsizetype at = announced.indexOf(state, consumed);
        if (at < 0)
            return false;
        consumed = at + 1;
        return true;
    }

    // Lets playback run for a while, delivering events.
    static void run(int ms) { QTest::qWait(ms); }
    // The positions read every few milliseconds for a while: what the tick
    // and the display see.
    std::vector<double> positions(int ms)
    {
        std::vector<double> seen;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            seen.push_back(player->currentPosition());
            QTest::qWait(5);
        }
        return seen;
    }
    // The position moves past `seconds`, once what the output held before
    // has sounded (later on a slow machine).
    bool positionPasses(double seconds)
    {
        return QTest::qWaitFor([&] { return player->currentPosition() > seconds; }, Timeout);
    }
    // Never before `from` and never backwards, by more than the tolerance.
    static void expectOnwardFrom(const std::vector<double> &seen, double from, double tolerance)
    {
        double last = from;
        for (double position : seen) {
            EXPECT_GE(position, last - tolerance);
            last = std::max(last, position);
        }
    }

    void openPlaying(const QString &path)
    {
        player->setUrl(path);
        ASSERT_TRUE(waitForState(MediaPlayer::Playing)) << path.toStdString();
    }

    QTemporaryDir dir;
    QString wav;
    std::unique_ptr<MpvPlayer> player;
    QList<int> announced;
    qsizetype consumed = 0;
};

TEST_F(MpvPlayerTest, OpeningStartsPlaybackAsynchronouslyAndPositionAdvances)
{
    player->setUrl(wav);
    // The caller's play/pause toggle right after opening must find neither
    // stopped, paused nor playing, so it leaves the auto-start alone.
    EXPECT_EQ(player->playState(), MediaPlayer::Transitioning);
    EXPECT_EQ(player->status(), QStringLiteral("正在打开"));
    EXPECT_EQ(player->duration(), 0.0);
    EXPECT_TRUE(announced.isEmpty()) << "announced from inside setUrl";

    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
    EXPECT_EQ(player->status(), QStringLiteral("正在播放"));
    EXPECT_NEAR(player->duration(), 3.0, 0.01);

    EXPECT_TRUE(positionPasses(0.2));
    EXPECT_LT(player->currentPosition(), 2.9);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
}

TEST_F(MpvPlayerTest, PauseHoldsThePositionAndPlayResumes)
{
    openPlaying(wav);
    // The output, kept running, first plays what it holds: the position
    // moves once that has sounded, later on a slow machine.
    ASSERT_TRUE(positionPasses(0.15));
    player->pause();
    EXPECT_TRUE(announced.indexOf(MediaPlayer::Paused, consumed) < 0)
        << "announced from inside pause";
    ASSERT_TRUE(waitForState(MediaPlayer::Paused));
    EXPECT_EQ(player->playState(), MediaPlayer::Paused);
    EXPECT_EQ(player->status(), QStringLiteral("已暂停"));

    const double held = player->currentPosition();
    EXPECT_GT(held, 0.1);
    run(400);
    EXPECT_NEAR(player->currentPosition(), held, 0.001);

    // The output plays what it held before the paused moment sounds again;
    // the position does not go back meanwhile.
    player->play();
    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    expectOnwardFrom(positions(300), held, 0.001);
    EXPECT_TRUE(positionPasses(held + 0.1));
}

struct SeekCase {
    const char *file; // fixture name; empty for the generated wav
    double tolerance;
};

void PrintTo(const SeekCase &c, std::ostream *os)
{
    *os << (*c.file ? c.file : "generated wav") << " within " << c.tolerance << " s";
}

class MpvPlayerSeekTest : public MpvPlayerTest, public ::testing::WithParamInterface<SeekCase>
{
protected:
    QString recording() const
    {
        const QString name = QString::fromLatin1(GetParam().file);
        return name.isEmpty() ? wav : FixturesDir + QLatin1Char('/') + name;
    }
};

TEST_P(MpvPlayerSeekTest, ExactSeekWhilePausedLandsOnTheTargetAndPlaysOnFromThere)
{
    const double tolerance = GetParam().tolerance;
    openPlaying(recording());
    player->pause();
    ASSERT_TRUE(waitForState(MediaPlayer::Paused));

    player->setCurrentPosition(1.0);
    EXPECT_NEAR(player->currentPosition(), 1.0, tolerance);
    run(200);
    EXPECT_NEAR(player->currentPosition(), 1.0, tolerance);
    EXPECT_EQ(player->playState(), MediaPlayer::Paused);

    player->play();
    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    // Playing on from the target, not from where it was paused.
    EXPECT_TRUE(positionPasses(1.0));
    EXPECT_LT(player->currentPosition(), 2.0);
}

TEST_P(MpvPlayerSeekTest, SeekWhilePlayingPlaysOnFromTheTarget)
{
    openPlaying(recording());
    run(100);
    player->setCurrentPosition(2.0);
    EXPECT_NEAR(player->currentPosition(), 2.0, GetParam().tolerance);
    // Until the target sounds the target is told, never what the output
    // still holds from before it: the tick would seek to a loop start again.
    expectOnwardFrom(positions(300), 2.0, GetParam().tolerance);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
    EXPECT_TRUE(positionPasses(2.0));
    EXPECT_LT(player->currentPosition(), 2.9);
}

INSTANTIATE_TEST_SUITE_P(Formats, MpvPlayerSeekTest,
                         ::testing::Values(SeekCase{"", 0.001}, SeekCase{"tone.mp3", 0.001},
                                           SeekCase{"tone.wma", 0.05}),
                         [](const auto &info) {
                             const QString name = QString::fromLatin1(info.param.file);
                             return name.isEmpty()
                                        ? std::string("wav")
                                        : name.section(QLatin1Char('.'), 1).toStdString();
                         });

TEST_F(MpvPlayerTest, DurationIsTheLengthOfTheRecording)
{
    const struct {
        QString path;
        double length;
    } cases[] = {
        {wav, 3.0},
        {FixturesDir + QStringLiteral("/tone.mp3"), 4.0},
        {FixturesDir + QStringLiteral("/tone.wma"), 4.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        openPlaying(c.path);
        EXPECT_NEAR(player->duration(), c.length, 0.1);
    }
}

TEST_F(MpvPlayerTest, StopKeepsTheRecordingAtItsStartAndPlayStartsOver)
{
    openPlaying(wav);
    player->setCurrentPosition(1.5);
    run(200);
    player->stop();
    ASSERT_TRUE(waitForState(MediaPlayer::Stopped));
    EXPECT_EQ(player->playState(), MediaPlayer::Stopped);
    EXPECT_EQ(player->status(), QStringLiteral("已停止"));
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_NEAR(player->duration(), 3.0, 0.01);
    run(300);
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_EQ(player->playState(), MediaPlayer::Stopped);

    player->play();
    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    EXPECT_TRUE(positionPasses(0.0));
    EXPECT_LT(player->currentPosition(), 1.0);
}

TEST_F(MpvPlayerTest, PlayingOutReportsMediaEndedThenStoppedAtTheStart)
{
    openPlaying(wav);
    player->setCurrentPosition(2.6);
    ASSERT_TRUE(waitForState(MediaPlayer::MediaEnded));
    ASSERT_TRUE(waitForState(MediaPlayer::Stopped));
    EXPECT_EQ(player->playState(), MediaPlayer::Stopped);
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_NEAR(player->duration(), 3.0, 0.01);

    // Played again, it stays playing: nothing left over from the end pauses it.
    player->play();
    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    run(800);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
    EXPECT_GT(player->currentPosition(), 0.3);
    EXPECT_LT(player->currentPosition(), 2.0);
}

TEST_F(MpvPlayerTest, OpeningAnotherRecordingReplacesTheCurrentOne)
{
    openPlaying(wav);
    const QString mp3 = FixturesDir + QStringLiteral("/tone.mp3");
    player->setUrl(mp3);
    EXPECT_EQ(player->playState(), MediaPlayer::Transitioning);
    // The old recording's length is gone with it.
    EXPECT_EQ(player->duration(), 0.0);
    ASSERT_TRUE(waitForState(MediaPlayer::Playing));
    run(200);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
    EXPECT_NEAR(player->duration(), 4.0, 0.1);
}

TEST_F(MpvPlayerTest, CloseReleasesTheRecording)
{
    openPlaying(wav);
    player->close();
    ASSERT_TRUE(waitForState(MediaPlayer::Undefined));
    EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_EQ(player->duration(), 0.0);

    player->play();
    run(300);
    EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
}

TEST_F(MpvPlayerTest, CallsWithNothingOpenDoNothing)
{
    EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
    EXPECT_NO_THROW({
        player->play();
        player->pause();
        player->setCurrentPosition(1.0);
        player->stop();
        player->close();
    });
    run(200);
    EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_EQ(player->duration(), 0.0);
    EXPECT_TRUE(announced.isEmpty());
}

TEST_F(MpvPlayerTest, UnplayableFilesAreReportedAndThePlayerStaysUsable)
{
    const QString text = dir.filePath(QStringLiteral("notes.mp3"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("These are my notes, not a recording.\nSecond line.\n");
    }
    // A playlist that lists a good recording: only the file itself counts.
    const QString playlist = dir.filePath(QStringLiteral("list.mp3"));
    {
        QFile file(playlist);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#EXTM3U\n" + wav.toUtf8() + "\n");
    }
    const QString empty = dir.filePath(QStringLiteral("empty.wav"));
    QFile(empty).open(QIODevice::WriteOnly);
    // A folder that holds a playable file: the folder itself must not play.
    const QString folder = dir.filePath(QStringLiteral("lesson.mp3"));
    ASSERT_TRUE(QDir().mkpath(folder));
    writeWav(folder + QStringLiteral("/inside.wav"), 1.0);
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    // No sound, and no picture that plays in its place: a still image, and a
    // video in a format no decoder knows (its codec's name changed).
    const QString still = dir.filePath(QStringLiteral("still.png"));
    ASSERT_TRUE(runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("color=c=red:s=32x32"), QStringLiteral("-frames:v"),
                           QStringLiteral("1"), still}));
    const QString unknown = dir.filePath(QStringLiteral("unknown.mkv"));
    ASSERT_TRUE(runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("testsrc=s=64x36:r=25:d=1"), QStringLiteral("-c:v"),
                           QStringLiteral("libx264"), QStringLiteral("-preset"),
                           QStringLiteral("ultrafast"), unknown}));
    {
        QFile file(unknown);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.contains("V_MPEG4/ISO/AVC"));
        bytes.replace("V_MPEG4/ISO/AVC", "V_NOSUCH/CODEC!");
        ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    }

    for (const QString &path : {text, playlist, empty, folder, missing, still, unknown}) {
        SCOPED_TRACE(path.toStdString());
        QSignalSpy errors(player.get(), &MediaPlayer::errorOccurred);
        player->setUrl(path);
        EXPECT_NE(player->playState(), MediaPlayer::Playing);
        ASSERT_TRUE(errors.wait(Timeout));
        ASSERT_EQ(errors.count(), 1);
        const QString message = errors.at(0).at(0).toString();
        EXPECT_TRUE(
            message.startsWith(QStringLiteral("无法播放文件“") + path + QStringLiteral("”：")))
            << message.toStdString();
        if (path == still || path == unknown) {
            EXPECT_TRUE(message.endsWith(QStringLiteral("文件中没有可播放的音频")))
                << message.toStdString();
        }

        run(300);
        EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
        EXPECT_FALSE(announced.contains(MediaPlayer::Playing));
        EXPECT_EQ(player->currentPosition(), 0.0);
        EXPECT_EQ(player->duration(), 0.0);
        EXPECT_NO_THROW(player->play());
        EXPECT_EQ(player->playState(), MediaPlayer::Undefined);
    }

    openPlaying(wav);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
}

TEST_F(MpvPlayerTest, SpeedAndVolumeStayWithinTheirRanges)
{
    const struct {
        double asked;
        double speed;
    } speeds[] = {{0.8, 0.8}, {0.5, 0.5}, {1.5, 1.5}, {0.2, 0.5}, {3.0, 1.5}, {-1.0, 0.5}};
    for (const auto &c : speeds) {
        SCOPED_TRACE(c.asked);
        EXPECT_NO_THROW(player->setSpeed(c.asked));
        EXPECT_DOUBLE_EQ(player->speed(), c.speed);
    }
    player->setSpeed(0.7);
    player->setSpeed(std::nan(""));
    EXPECT_DOUBLE_EQ(player->speed(), 0.7);

    EXPECT_EQ(player->volume(), 100);
    const struct {
        int asked;
        int volume;
    } volumes[] = {{50, 50}, {0, 0}, {100, 100}, {-5, 0}, {130, 100}};
    for (const auto &c : volumes) {
        SCOPED_TRACE(c.asked);
        EXPECT_NO_THROW(player->setVolume(c.asked));
        EXPECT_EQ(player->volume(), c.volume);
    }
}

TEST_F(MpvPlayerTest, HalfSpeedPlaysHalfAsFastInTheRecordingsOwnTime)
{
    player->setSpeed(0.5);
    openPlaying(wav);
    EXPECT_NEAR(player->duration(), 3.0, 0.01);
    const double from = player->currentPosition();
    QElapsedTimer wall;
    wall.start();
    // Half a second of the recording takes a second at half speed; at full
    // speed it would take half a second. A busy machine only makes it slower.
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentPosition() >= from + 0.5; }, Timeout));
    const double rate = (player->currentPosition() - from) / (wall.elapsed() / 1000.0);
    EXPECT_LT(rate, 0.7);
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
}

TEST_F(MpvPlayerTest, LoopRangeKeepsThePositionInsideOverSeveralWraps)
{
    openPlaying(wav);
    player->setLoopRange(0.8, 1.4);
    QList<double> lapPositions;
    double previous = player->currentPosition();
    int wraps = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const double now = player->currentPosition();
            if (now < previous - 0.3)
                ++wraps;
            if (wraps > 0)
                lapPositions << now;
            previous = now;
            return wraps >= 3;
        },
        10000));
    EXPECT_EQ(player->playState(), MediaPlayer::Playing);
    for (double position : lapPositions) {
        EXPECT_GE(position, 0.8 - 0.005);
        EXPECT_LE(position, 1.4 + 0.005);
    }
}

struct OpenLoopCase {
    const char *name;
    double start; // where playback is when the range is set
    double a;
    double b;
};

void PrintTo(const OpenLoopCase &c, std::ostream *os)
{
    *os << c.name;
}

class MpvPlayerOpenLoopTest : public MpvPlayerTest,
                              public ::testing::WithParamInterface<OpenLoopCase>
{
};

// The window relies on these playing out to the end instead of looping.
TEST_P(MpvPlayerOpenLoopTest, RangeThatCannotLoopPlaysOutToTheEnd)
{
    const OpenLoopCase c = GetParam();
    openPlaying(wav);
    player->setCurrentPosition(c.start);
    player->setLoopRange(c.a, c.b);
    ASSERT_TRUE(waitForState(MediaPlayer::MediaEnded));
    ASSERT_TRUE(waitForState(MediaPlayer::Stopped));
}

INSTANTIATE_TEST_SUITE_P(Ranges, MpvPlayerOpenLoopTest,
                         ::testing::Values(OpenLoopCase{"OnlyA", 2.2, 2.3, -1.0},
                                           OpenLoopCase{"OnlyB", 2.2, -1.0, 2.6},
                                           OpenLoopCase{"AlreadyPastB", 2.2, 0.5, 1.0}),
                         [](const auto &info) { return std::string(info.param.name); });

// Without libmpv the program still starts; opening says why it cannot play.
TEST(MpvPlayerWithoutLibmpv, OpeningSaysWhyItCannotPlayAndNothingElseFails)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    writeWav(wav, 1.0);
    MpvPlayer player(QStringLiteral("null"), nullptr, dir.filePath(QStringLiteral("libmpv.so.2")));
    EXPECT_NO_THROW({
        player.setSpeed(0.8);
        player.setVolume(40);
        player.setLoopRange(0.2, 0.6);
        player.play();
        player.close();
    });
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        try {
            player.setUrl(wav);
            ADD_FAILURE() << "setUrl did not throw";
        } catch (const PlayerError &error) {
            EXPECT_TRUE(error.text().startsWith(QStringLiteral("无法加载播放组件 libmpv：")))
                << error.text().toStdString();
            EXPECT_TRUE(error.text().contains(QStringLiteral("libmpv.so.2")))
                << error.text().toStdString();
        }
        EXPECT_EQ(player.playState(), MediaPlayer::Undefined);
        EXPECT_EQ(player.duration(), 0.0);
        EXPECT_EQ(player.currentPosition(), 0.0);
    }
    EXPECT_DOUBLE_EQ(player.speed(), 0.8);
    EXPECT_EQ(player.volume(), 40);
}

// libmpv's own complaints reach the program's log.
TEST_F(MpvPlayerTest, LibmpvMessagesGoToTheLoggingCategory)
{
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (context.category
                && QLatin1String(context.category) == QLatin1String("quillmar.mpv"))
                logged << text;
        });
    const QString text = dir.filePath(QStringLiteral("notes.mp3"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("These are my notes, not a recording.\n");
    }
    QSignalSpy errors(player.get(), &MediaPlayer::errorOccurred);
    player->setUrl(text);
    const bool failed = errors.wait(Timeout);
    const bool heard = QTest::qWaitFor([] { return !logged.isEmpty(); }, Timeout);
    qInstallMessageHandler(previous);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(heard);
}

} // namespace
