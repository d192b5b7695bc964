#pragma once

// A two-pole resonator shared by the chorus and the echo. It can be read as
// a high-pass (a double zero at DC) or plainly. The rate given to the setups
// is the host rate; the filter runs at twice that.
class TwoPoleFilter
{
public:
    void reset()
    {
        m_y1 = 0.0f;
        m_y2 = 0.0f;
    }

    void setup(double frequency, double q, double rate);
    // Same poles, with the gain chosen for unity at DC in the plain form.
    void setupUnityGain(double frequency, double q, double rate);

    float process(float x)
    {
        double y = double(m_gain) * x - double(m_a2) * m_y2 + double(m_a1) * m_y1;
        m_y2 = m_y1;
        m_y1 = float(y);
        return m_y1;
    }

    // The small offset keeps silence away from denormal numbers downstream.
    float processHighPass(float x)
    {
        double v = double(m_gain) * x;
        double h = v - (double(m_a2) - 1.0) * m_y2 + (double(m_a1) - 2.0) * m_y1 + 1e-16;
        double y = v - double(m_a2) * m_y2 + double(m_a1) * m_y1;
        m_y2 = m_y1;
        m_y1 = float(y);
        return float(h);
    }

    void flushDenormals()
    {
        m_y1 = (m_y1 + 1e-16f) - 1e-16f;
        m_y2 = (m_y2 + 1e-16f) - 1e-16f;
    }

private:
    void setPoles(double frequency, double q, double rate);

    float m_y1 = 0.0f;
    float m_y2 = 0.0f;
    float m_a1 = 0.0f;
    float m_a2 = 0.0f;
    float m_gain = 1.0f;
};
