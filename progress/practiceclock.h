#pragma once

#include <QObject>

// Minutes practised: the time with the window in front and the learner
// playing or typing. Each sign of activity counts the time since the one
// before, up to IdleLimitMs: after a longer pause the clock stood still.
// The clock is given, so the rule reads the same in a test.
class PracticeClock
{
public:
    static constexpr qint64 IdleLimitMs = 60'000;

    // The window came to the front or went behind.
    void setActive(bool active, qint64 nowMs);
    // A key, a click, or playback going on.
    void activity(qint64 nowMs);
    // The seconds counted since the last take, and starts again from zero.
    double take();
    double pending() const { return m_counted / 1000.0; }

private:
    bool m_active = false;
    qint64 m_last = -1; // the last sign of activity; -1: none yet
    qint64 m_counted = 0;
};
