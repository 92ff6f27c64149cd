#pragma once

#include <cstdint>
#include <optional>

// Where the listener is in the recording, worked out from libmpv's own
// position ("time-pos"), which does not always tell it:
// - At speeds other than 1.0, libmpv 0.35 times its sound by a clock that
//   runs ahead of what is heard (by about 40 ms above 1.0x). Later versions
//   do not.
// - After a seek made while paused libmpv reports a position short of the
//   target by its output buffer, after a seek made while playing the old
//   position until the seek has run, and after a pause a position still
//   moving: the position sought or paused at is held instead. Once playing
//   again it is held until the sound reaches it, since the output, kept
//   running, plays what it holds first; for MaxHoldMs at most, in case a loop
//   wrap comes first.
// - After a loop wrap libmpv's position runs behind for the length of the
//   audio buffer (it shows times just before the loop start while the end of
//   the lap is still sounding); those are reported as the end of the lap, so
//   the position never leaves the loop while looping.
//
// The player tells it what it does and what libmpv reports, once per event
// or tick; position() only reads what that left. Times are milliseconds on
// any steady clock.
class HeardPosition
{
public:
    // Longer than libmpv's output holds at the slowest speed.
    static constexpr std::int64_t MaxHoldMs = 600;

    // libmpv's time stretcher runs its clock ahead of the sound (libmpv 0.35).
    void setClockLeads(bool leads) { m_clockLeads = leads; }
    void setSpeed(double factor) { m_speed = factor; }
    // The loop range as given to the player: a negative end is unset, and
    // a > b is taken as b..a.
    void setLoopRange(double a, double b);

    // How far libmpv's clock runs ahead of the sound at the current speed,
    // in seconds.
    double clockLead() const;
    // libmpv's time for a moment of the recording: where to seek, or to set a
    // loop end, for that moment to be heard.
    double clockTime(double heard) const { return heard + clockLead(); }

    // A seek to `heard` was asked for (stop's seek to the start too): that is
    // the position from now on, until it is heard once playing.
    void sought(double heard);
    // Playback was paused: the position reported now is held.
    void paused();
    // Playback runs (a seek has run, or play resumed): a held position stays
    // until libmpv's position reaches it, or MaxHoldMs from now.
    void playing(std::int64_t nowMs);
    // libmpv's position, read at nowMs.
    void observe(double libmpvPosition, std::int64_t nowMs);
    // The recording was closed or replaced: back to 0, nothing held.
    void forget();

    // Where playback is as heard, in seconds of the recording's own time.
    double position() const { return m_position; }
    // A seek or pause holds the position.
    bool isHolding() const { return m_held.has_value(); }
    // libmpv has wrapped to the loop start and the end of the lap is still
    // sounding.
    bool isInLoopTail() const { return m_inLoopTail; }

private:
    bool m_clockLeads = false;
    double m_speed = 1.0;
    // Negative ends are unset.
    double m_loopA = -1.0;
    double m_loopB = -1.0;

    double m_position = 0.0;
    std::optional<double> m_held;
    // Playing again: the held position goes once heard.
    bool m_holdUntilHeard = false;
    std::int64_t m_holdingSince = 0;
    // For telling a loop wrap from a seek before the loop start: the last
    // position observed, whether a seek came since, and whether the end of a
    // lap is still sounding.
    double m_lastPosition = 0.0;
    bool m_soughtSinceObserved = true;
    bool m_inLoopTail = false;
};
