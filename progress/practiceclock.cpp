#include "progress/practiceclock.h"

#include <algorithm>

void PracticeClock::setActive(bool active, qint64 nowMs)
{
    if (m_active && !active)
        activity(nowMs);
    m_active = active;
    m_last = active ? nowMs : -1;
}

void PracticeClock::activity(qint64 nowMs)
{
    if (!m_active)
        return;
    if (m_last >= 0 && nowMs > m_last) {
        const qint64 gap = nowMs - m_last;
        // A pause over the limit counts nothing, not even its first minute.
        if (gap <= IdleLimitMs)
            m_counted += gap;
    }
    m_last = std::max(m_last, nowMs);
}

double PracticeClock::take()
{
    const double seconds = m_counted / 1000.0;
    m_counted = 0;
    return seconds;
}
