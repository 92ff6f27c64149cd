#include "platform/heardposition.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

void HeardPosition::setLoopRange(double a, double b)
{
    m_loopA = a;
    m_loopB = b;
    m_inLoopTail = false;
}

double HeardPosition::clockLead() const
{
    if (!m_clockLeads)
        return 0.0;
    // Measured through a sound server with libmpv 0.35 (bench_loop_heard):
    // how far its clock runs ahead of the sound at 0.5x, 0.6x ... 1.5x, in ms.
    static constexpr double LeadMs[] = {-4.2, -2.3, -2.9, 1.7,  2.9, 0.0,
                                        35.4, 36.2, 41.2, 42.2, 45.6};
    constexpr double Slowest = 0.5;
    constexpr double Fastest = 1.5;
    const double at = (std::clamp(m_speed, Slowest, Fastest) - Slowest) * 10.0;
    const auto below = std::min(std::size_t(at), std::size(LeadMs) - 2);
    const double fraction = at - double(below);
    return (LeadMs[below] * (1.0 - fraction) + LeadMs[below + 1] * fraction) / 1000.0;
}

void HeardPosition::sought(double heard)
{
    m_held = heard;
    m_holdUntilHeard = false;
    m_position = heard;
    m_soughtSinceObserved = true;
    m_inLoopTail = false;
}

void HeardPosition::paused()
{
    m_held = m_position;
    m_holdUntilHeard = false;
}

void HeardPosition::playing(std::int64_t nowMs)
{
    if (!m_held)
        return;
    m_holdUntilHeard = true;
    m_holdingSince = nowMs;
}

void HeardPosition::observe(double libmpvPosition, std::int64_t nowMs)
{
    // Not playing from the held position yet: libmpv's is not right.
    if (m_held && !m_holdUntilHeard)
        return;
    const double position = libmpvPosition - clockLead();
    if (m_held) {
        // The sound sought sits behind what the output still holds: until it
        // is heard, where the seek went is where playback is.
        if (position < *m_held && nowMs - m_holdingSince < MaxHoldMs) {
            m_position = *m_held;
            return;
        }
        m_held.reset();
        m_holdUntilHeard = false;
    }
    const double a = std::min(m_loopA, m_loopB);
    const double b = std::max(m_loopA, m_loopB);
    if (a >= 0 && b > a && position < a) {
        // A drop below a without a seek of ours is a loop wrap; until the
        // buffered end of the lap has sounded, that end is what is heard.
        if (!m_inLoopTail && m_lastPosition >= a && !m_soughtSinceObserved)
            m_inLoopTail = true;
    } else {
        m_inLoopTail = false;
    }
    m_lastPosition = position;
    m_soughtSinceObserved = false;
    m_position = m_inLoopTail ? std::min(b, position + (b - a)) : std::max(0.0, position);
}

void HeardPosition::forget()
{
    m_position = 0.0;
    m_held.reset();
    m_holdUntilHeard = false;
    m_lastPosition = 0.0;
    m_soughtSinceObserved = true;
    m_inLoopTail = false;
}
