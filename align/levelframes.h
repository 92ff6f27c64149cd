#pragma once

#include "sentences/envelope.h"

#include <cmath>

// The envelope the pauses are found in, 10 ms frames, as samples come.
class LevelFrames
{
public:
    explicit LevelFrames(int rate) : m_frame(rate / 100), m_rate(rate)
    {
        m_envelope.frameSeconds = double(m_frame) / rate;
    }
    void add(const float *samples, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_sum += double(samples[i]) * samples[i];
            if (++m_fill == m_frame) {
                m_envelope.levels.push_back(float(std::sqrt(m_sum / m_frame)));
                m_sum = 0.0;
                m_fill = 0;
            }
        }
        m_total += count;
        m_envelope.duration = double(m_total) / m_rate;
    }
    const Envelope &envelope() const { return m_envelope; }

private:
    int m_frame;
    int m_rate;
    double m_sum = 0.0;
    int m_fill = 0;
    long long m_total = 0;
    Envelope m_envelope;
};
