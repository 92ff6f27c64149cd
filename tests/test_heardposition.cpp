// What the player reports as heard, from libmpv's positions, seeks, pauses
// and speeds fed in by hand: no libmpv, no event loop.
#include "platform/heardposition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Named, not anonymous: the short helper names below must not meet those of
// other suites compiled in the same unity batch.
namespace heardposition_test {

constexpr std::int64_t Bound = HeardPosition::MaxHoldMs;

// libmpv 0.35 (its clock leads) and later versions, at every speed the player takes.
const bool Versions[] = {true, false};
const double Speeds[] = {0.5, 0.7, 1.0, 1.05, 1.3, 1.5};

TEST(HeardPosition, LibmpvClockLeadIsTakenOffAtEachSpeedOnlyFor035)
{
    struct Row {
        bool clockLeads;
        double speed;
        // How far behind libmpv's position the heard one is, in ms.
        double leastMs;
        double mostMs;
    };
    const Row rows[] = {
        // Above 1.0x libmpv 0.35 runs some 40 ms ahead of the sound.
        {true, 1.1, 30, 50},
        {true, 1.3, 30, 50},
        {true, 1.5, 30, 50},
        // Between 1.0x and 1.1x it grows from nothing.
        {true, 1.05, 5, 30},
        // At 1.0x and below there is nothing or next to nothing to make up.
        {true, 1.0, 0, 0},
        {true, 0.9, -5, 5},
        {true, 0.5, -5, 5},
        // Later versions keep their clock with the sound.
        {false, 0.5, 0, 0},
        {false, 1.0, 0, 0},
        {false, 1.3, 0, 0},
        {false, 1.5, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "leads " << row.clockLeads << " at " << row.speed);
        HeardPosition heard;
        heard.setClockLeads(row.clockLeads);
        heard.setSpeed(row.speed);
        heard.observe(2.0, 0);
        const double behindMs = (2.0 - heard.position()) * 1000.0;
        EXPECT_GE(behindMs, row.leastMs - 1e-9);
        EXPECT_LE(behindMs, row.mostMs + 1e-9);
        EXPECT_NEAR(heard.clockLead() * 1000.0, behindMs, 1e-9);
    }
}

// Where the player seeks (or sets a loop end) for a moment to be heard is
// where libmpv then reports that moment, so seeks and loops land on time.
TEST(HeardPosition, SeekTargetsAndReportedPositionsAgreeAtEverySpeed)
{
    for (bool leads : Versions) {
        for (double speed : Speeds) {
            SCOPED_TRACE(testing::Message() << "leads " << leads << " at " << speed);
            HeardPosition heard;
            heard.setClockLeads(leads);
            heard.setSpeed(speed);
            heard.observe(heard.clockTime(1.5), 0);
            EXPECT_NEAR(heard.position(), 1.5, 1e-12);
        }
    }
}

// One step fed to the model, and what it reports after it.
struct Step {
    enum Kind { Observe, Seek, Pause, Play, Loop, Forget } kind;
    double value = 0.0; // libmpv's position, the seek target, the loop start
    double loopEnd = 0.0;
    std::int64_t ms = 0;
    double heard = 0.0;
    enum Flag { Any, Holding, Free, LapEnd } flag = Any;
};

Step observe(double libmpv, std::int64_t ms, double heard, Step::Flag flag = Step::Any)
{
    return {Step::Observe, libmpv, 0.0, ms, heard, flag};
}
Step seek(double target)
{
    return {Step::Seek, target, 0.0, 0, target, Step::Holding};
}
Step pause(double heard)
{
    return {Step::Pause, 0.0, 0.0, 0, heard, Step::Holding};
}
Step play(std::int64_t ms, double heard)
{
    return {Step::Play, 0.0, 0.0, ms, heard, Step::Any};
}
Step loop(double a, double b, double heard)
{
    return {Step::Loop, a, b, 0, heard, Step::Any};
}
Step forget()
{
    return {Step::Forget, 0.0, 0.0, 0, 0.0, Step::Free};
}

struct Scenario {
    const char *name;
    std::vector<Step> steps;
};

TEST(HeardPosition, ScenariosOfSeeksPausesAndWraps)
{
    const Scenario scenarios[] = {
        {"position as libmpv reports it, never before the start",
         {observe(0.5, 0, 0.5, Step::Free), observe(-0.01, 10, 0.0)}},
        {"seek while paused: the target, though libmpv reports short of it",
         {observe(2.4, 0, 2.4), pause(2.4), seek(1.0), observe(0.96, 10, 1.0, Step::Holding),
          observe(0.96, 5000, 1.0, Step::Holding)}},
        {"seek while playing: the target, not the old position, until the seek has run",
         {observe(2.5, 0, 2.5), seek(1.0), observe(2.52, 10, 1.0, Step::Holding),
          observe(2.54, 20, 1.0, Step::Holding)}},
        {"seek while playing: held until the output has played what it held before it",
         {observe(2.5, 0, 2.5), seek(1.0), play(30, 1.0), observe(0.95, 40, 1.0, Step::Holding),
          observe(0.99, 80, 1.0, Step::Holding), observe(1.001, 90, 1.001, Step::Free),
          observe(1.05, 140, 1.05, Step::Free)}},
        {"forward seek while playing: not back to the old position meanwhile",
         {observe(0.5, 0, 0.5), seek(2.0), play(10, 2.0), observe(0.55, 20, 2.0, Step::Holding),
          observe(2.0, 60, 2.0, Step::Free), observe(2.01, 70, 2.01)}},
        {"a hold not heard within its bound is let go",
         {seek(2.0), play(1000, 2.0), observe(1.5, 1000 + Bound - 1, 2.0, Step::Holding),
          observe(1.52, 1000 + Bound, 1.52, Step::Free)}},
        {"the bound counts from when playback runs, not from the seek",
         {seek(2.0), play(5000, 2.0), observe(1.9, 5000 + Bound / 2, 2.0, Step::Holding)}},
        {"pause holds the position while libmpv's still moves",
         {observe(1.2, 0, 1.2), pause(1.2), observe(1.23, 50, 1.2, Step::Holding),
          observe(1.25, 9000, 1.2, Step::Holding)}},
        {"played again, the paused moment is kept until heard",
         {observe(1.2, 0, 1.2), pause(1.2), play(6000, 1.2),
          observe(1.18, 6010, 1.2, Step::Holding), observe(1.21, 6050, 1.21, Step::Free)}},
        {"paused during a hold and played again, the target is kept until heard",
         {observe(0.5, 0, 0.5), seek(2.0), play(10, 2.0), observe(1.9, 20, 2.0), pause(2.0),
          observe(1.95, 5000, 2.0, Step::Holding), play(6000, 2.0),
          observe(1.97, 6010, 2.0, Step::Holding), observe(2.01, 6060, 2.01, Step::Free)}},
        {"wrap at the loop end: the end of the lap while it still sounds",
         {loop(1.0, 2.0, 0.0), observe(1.9, 0, 1.9), observe(1.99, 10, 1.99),
          observe(0.95, 20, 1.95, Step::LapEnd), observe(0.99, 30, 1.99, Step::LapEnd),
          observe(1.01, 40, 1.01, Step::Free)}},
        {"a loop given end first wraps the same",
         {loop(2.0, 1.0, 0.0), observe(1.99, 0, 1.99), observe(0.97, 10, 1.97, Step::LapEnd)}},
        {"a seek before the loop start is no wrap",
         {loop(1.0, 2.0, 0.0), observe(1.5, 0, 1.5), seek(0.5), play(10, 0.5),
          observe(0.5, 20, 0.5, Step::Free), observe(0.52, 30, 0.52, Step::Free)}},
        {"playing into the loop from before it is no wrap",
         {loop(1.0, 2.0, 0.0), observe(0.9, 0, 0.9), observe(0.95, 10, 0.95, Step::Free)}},
        {"with one end unset nothing wraps",
         {loop(1.0, -1.0, 0.0), observe(1.9, 0, 1.9), observe(0.95, 10, 0.95, Step::Free)}},
        {"a loop changed mid-wrap ends the lap end",
         {loop(1.0, 2.0, 0.0), observe(1.99, 0, 1.99), observe(0.95, 10, 1.95, Step::LapEnd),
          loop(-1.0, -1.0, 1.95), observe(0.97, 20, 0.97, Step::Free)}},
        {"a recording closed: back to the start, nothing held",
         {observe(1.5, 0, 1.5), seek(2.0), forget(), observe(0.0, 10, 0.0, Step::Free)}},
        {"stopped while playing at the loop, no wrap is seen afterwards",
         {loop(1.0, 2.0, 0.0), observe(1.5, 0, 1.5), seek(0.0), play(10, 0.0),
          observe(0.02, 20, 0.02, Step::Free)}},
    };
    for (const Scenario &scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        HeardPosition heard;
        int index = 0;
        for (const Step &step : scenario.steps) {
            SCOPED_TRACE(testing::Message() << "step " << index++);
            switch (step.kind) {
            case Step::Observe:
                heard.observe(step.value, step.ms);
                break;
            case Step::Seek:
                heard.sought(step.value);
                break;
            case Step::Pause:
                heard.paused();
                break;
            case Step::Play:
                heard.playing(step.ms);
                break;
            case Step::Loop:
                heard.setLoopRange(step.value, step.loopEnd);
                break;
            case Step::Forget:
                heard.forget();
                break;
            }
            EXPECT_NEAR(heard.position(), step.heard, 1e-9);
            switch (step.flag) {
            case Step::Any:
                break;
            case Step::Holding:
                EXPECT_TRUE(heard.isHolding());
                break;
            case Step::Free:
                EXPECT_FALSE(heard.isHolding());
                EXPECT_FALSE(heard.isInLoopTail());
                break;
            case Step::LapEnd:
                EXPECT_TRUE(heard.isInLoopTail());
                break;
            }
        }
    }
}

// A seek while playing, at every speed: libmpv first reports what the output
// still holds from before the target, then the target onwards. What is
// reported never goes back, and never before the target.
TEST(HeardPosition, NeverGoesBackAfterASeekWhilePlaying)
{
    for (bool leads : Versions) {
        for (double speed : Speeds) {
            SCOPED_TRACE(testing::Message() << "leads " << leads << " at " << speed);
            HeardPosition heard;
            heard.setClockLeads(leads);
            heard.setSpeed(speed);
            heard.observe(heard.clockTime(2.6), 0);
            heard.sought(1.0);
            heard.playing(10);
            double last = heard.position();
            // 80 ms of the output's old sound, then the target on, every 5 ms.
            for (int step = 0; step < 60; ++step) {
                const double libmpv = heard.clockTime(1.0) - 0.08 + step * 0.005 * speed;
                heard.observe(libmpv, 10 + step * 5);
                EXPECT_GE(heard.position(), 1.0);
                EXPECT_GE(heard.position(), last);
                last = heard.position();
            }
            EXPECT_FALSE(heard.isHolding());
            EXPECT_GT(last, 1.0);
        }
    }
}

// Laps of a loop as libmpv reports them, at every speed: after each wrap its
// position shows times before the loop start for as long as the output
// holds. What is reported stays within the loop, and each wrap shows.
TEST(HeardPosition, StaysWithinTheLoopOverWrapsAtEverySpeed)
{
    constexpr double A = 1.0;
    constexpr double B = 1.6;
    constexpr double Buffered = 0.05;
    for (bool leads : Versions) {
        for (double speed : Speeds) {
            SCOPED_TRACE(testing::Message() << "leads " << leads << " at " << speed);
            HeardPosition heard;
            heard.setClockLeads(leads);
            heard.setSpeed(speed);
            heard.setLoopRange(A, B);
            std::int64_t ms = 0;
            int wraps = 0;
            double previous = 0.0;
            std::vector<double> reported;
            for (int lap = 0; lap < 3; ++lap) {
                // libmpv reports in its own time: from the buffered sound
                // before the loop start (or the start itself) to the loop end.
                const double from = lap == 0 ? A : A - Buffered;
                for (double at = from; at < B; at += 0.01 * speed) {
                    heard.observe(heard.clockTime(at), ms += 10);
                    reported.push_back(heard.position());
                    if (heard.position() < previous - 0.3)
                        ++wraps;
                    previous = heard.position();
                }
            }
            EXPECT_EQ(wraps, 2);
            for (double position : reported) {
                EXPECT_GE(position, A - 1e-9);
                EXPECT_LE(position, B + 1e-9);
            }
        }
    }
}

} // namespace heardposition_test
