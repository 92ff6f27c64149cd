// Plays per sentence: a sentence plays a set number of times with a rest in
// between, then waits; the count starts again for a new attempt, a new
// sentence and Ctrl+R. And going back a little when the learner pauses.
#include "support/testutil.h"

#include "playback/playcounter.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

// A window whose settings file asks for these preferences, a recording
// playing and the loop at 2-5 s.
struct PlayingLoop : WindowHarness {
    explicit PlayingLoop(const QByteArray &preferences) : WindowHarness(true)
    {
        if (!preferences.isEmpty())
            writeFile(QStringLiteral("program/Quillmar.ini"),
                      defaultOptionsPart() + "[Preferences]\r\n" + preferences);
        create();
        openPlaying(QStringLiteral("lesson.mp3"), 200.0);
        loop().setPoints(2.0, 5.0);
        counter().setRest(0);
        player.calls.clear();
    }
    PlayCounter &counter() { return feature<PlayCounter>(); }
    // The tick finds the position past the loop end: one play ended.
    void endOnePlay()
    {
        player.position = loop().end() + 0.2;
        transport().tick();
    }
    // Whatever a rest was waiting for has happened.
    void afterRest()
    {
        QTimer *rest = window->findChild<QTimer *>(QStringLiteral("Timer_PlayRest"));
        if (rest->isActive())
            QTRY_VERIFY(!rest->isActive());
        FakePlayer::flushEvents();
    }
    bool playing() const { return player.state == MediaPlayer::Playing; }
};

} // namespace

TEST(PlaysPerSentence, TheRule)
{
    using Next = PlayCounter::Next;
    struct Case {
        int played, wanted;
        Next next;
    };
    const Case cases[] = {
        {1, 0, Next::Again},          {50, 0, Next::Again},         {1, 1, Next::Wait},
        {1, 3, Next::AgainAfterRest}, {2, 3, Next::AgainAfterRest}, {3, 3, Next::Wait},
        {4, 3, Next::Wait},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.played << " of " << c.wanted);
        EXPECT_EQ(PlayCounter::afterPlay(c.played, c.wanted), c.next);
    }
}

TEST(PlaysPerSentence, CountsThePlaysThenWaitsAtTheStart)
{
    struct Case {
        const char *preferences;
        int plays;  // plays that go on by themselves before the wait
        bool waits; // false: loops until Enter
    };
    const Case cases[] = {
        {"", 6, false}, // the default: no limit
        {"PlaysPerSentence=0\r\n", 6, false},
        {"PlaysPerSentence=1\r\n", 0, true},
        {"PlaysPerSentence=3\r\n", 2, true},
        {"PlaysPerSentence=many\r\n", 6, false}, // unreadable: the default
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.preferences);
        PlayingLoop h(c.preferences);
        QSignalSpy waiting(&h.counter(), &PlayCounter::waiting);
        for (int i = 0; i < c.plays; ++i) {
            h.endOnePlay();
            h.afterRest();
            EXPECT_TRUE(h.playing()) << "after play " << i + 1;
            EXPECT_EQ(h.player.position, 2.0);
        }
        EXPECT_TRUE(waiting.isEmpty());
        if (!c.waits)
            continue;
        h.endOnePlay();
        h.afterRest();
        EXPECT_FALSE(h.playing());
        EXPECT_EQ(h.player.state, MediaPlayer::Paused);
        EXPECT_EQ(h.player.position, 2.0);
        EXPECT_EQ(waiting.size(), 1);
    }
}

TEST(PlaysPerSentence, ANewAttemptOrSentenceOrCtrlRCountsAfresh)
{
    struct Case {
        const char *what;
        std::function<void(PlayingLoop &)> action;
    };
    const Case cases[] = {
        {"a line applied", [](PlayingLoop &h) { Q_EMIT h.line().applyRequested(); }},
        {"another loop region", [](PlayingLoop &h) { h.loop().setPoints(6.0, 9.0); }},
        {"F5 after the wait",
         [](PlayingLoop &h) { h.action(QStringLiteral("Action_PlayAndPause"))->trigger(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PlayingLoop h("PlaysPerSentence=3\r\n");
        h.endOnePlay();
        h.afterRest();
        h.endOnePlay();
        h.afterRest();
        ASSERT_EQ(h.counter().played(), 2);
        if (QString::fromLatin1(c.what).startsWith(QLatin1String("F5"))) {
            h.endOnePlay();
            ASSERT_TRUE(h.counter().isWaiting());
        }
        c.action(h);
        FakePlayer::flushEvents();
        EXPECT_EQ(h.counter().played(), 0);
        EXPECT_FALSE(h.counter().isWaiting());
        // Three plays again before the next wait.
        h.player.state = MediaPlayer::Playing;
        QSignalSpy waiting(&h.counter(), &PlayCounter::waiting);
        for (int i = 0; i < 2; ++i) {
            h.endOnePlay();
            h.afterRest();
        }
        EXPECT_TRUE(waiting.isEmpty());
        h.endOnePlay();
        EXPECT_EQ(waiting.size(), 1);
    }
}

TEST(PlaysPerSentence, TheExactLoopsWrapCountsToo)
{
    // The player wraps by itself: the tick sees the position go back.
    PlayingLoop h("PlaysPerSentence=2\r\n");
    h.player.position = 4.9;
    h.transport().tick();
    h.player.position = 2.05;
    h.transport().tick();
    EXPECT_EQ(h.counter().played(), 1);
    // Going back by a seek in the middle of the loop is no play.
    h.afterRest();
    h.player.position = 3.5;
    h.transport().tick();
    h.player.position = 2.5;
    h.transport().tick();
    EXPECT_EQ(h.counter().played(), 1);
}

TEST(RewindOnPause, PausingGoesBackWithinTheLoop)
{
    struct Case {
        const char *preferences;
        double position;
        double afterPause;
    };
    const Case cases[] = {
        {"", 4.5, 4.5}, // the default: no rewind
        {"RewindOnPause=2\r\n", 4.5, 2.5},
        {"RewindOnPause=2\r\n", 3.0, 2.0}, // not before the loop start
        {"RewindOnPause=5\r\n", 4.9, 2.0},
        {"RewindOnPause=9\r\n", 4.5, 4.5}, // out of range: the default
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.preferences << c.position);
        PlayingLoop h(c.preferences);
        h.player.position = c.position;
        h.action(QStringLiteral("Action_PlayAndPause"))->trigger();
        EXPECT_EQ(h.player.state, MediaPlayer::Paused);
        EXPECT_DOUBLE_EQ(h.player.position, c.afterPause);
        // Playing again does not go back.
        h.action(QStringLiteral("Action_PlayAndPause"))->trigger();
        EXPECT_DOUBLE_EQ(h.player.position, c.afterPause);
    }
    // Without a loop, not before the recording's start.
    EXPECT_DOUBLE_EQ(rewoundPosition(1.0, 2.0, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(rewoundPosition(10.0, 2.0, 12.0), 8.0); // a loop ahead is no floor
}
