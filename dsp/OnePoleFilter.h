#pragma once

// A one-pole low-pass whose output lags its input by one sample. The rate
// given to setup is the host rate; the filter runs at twice that.
class OnePoleFilter
{
public:
    void reset() { m_s = 0.0f; }
    void setup(double frequency, double rate);

    float process(float x)
    {
        float y = m_c * m_s;
        m_s = m_s + (x - y);
        return y;
    }

    void flushDenormals() { m_s = (m_s + 1e-16f) - 1e-16f; }

private:
    float m_s = 0.0f;
    float m_c = 0.0f;
};
