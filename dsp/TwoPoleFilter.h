#pragma once

// A two-pole resonator shared by the chorus and the echo. It can be read as
// a high-pass (a double zero at DC) or plainly. The rate given to the setups
// is the host rate; the filter runs at twice that.
//
// Its state is the resonator's own output, whose scale follows the poles: at
// a low high-pass cutoff it holds the input's low end amplified tens of
// thousands of times, which the zeros take out again. A setup therefore
// carries the state over instead of keeping its numbers: it keeps the
// low-passed and band-passed input the state stands for (the integrators of
// the equivalent state-variable filter), so that a new cutoff takes up the
// sound where the old one left it rather than reading amplified history
// through zeros that no longer cancel it.
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
    // After new coefficients: the state re-expressed for them, from what it
    // meant under a1, a2 and gain.
    void carryState(float a1, float a2, float gain);

    float m_y1 = 0.0f;
    float m_y2 = 0.0f;
    float m_a1 = 0.0f;
    float m_a2 = 0.0f;
    float m_gain = 1.0f;
};
