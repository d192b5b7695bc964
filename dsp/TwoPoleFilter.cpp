#include "dsp/TwoPoleFilter.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

void TwoPoleFilter::setPoles(double frequency, double q, double rate)
{
    double w = frequency * 0.5 / rate;
    m_a1 = float(2.0 * std::cos(2.0 * kPi * w) * std::exp(-kPi * w / q));
    m_a2 = float(std::exp(-2.0 * kPi * w / q));
}

void TwoPoleFilter::setup(double frequency, double q, double rate)
{
    setPoles(frequency, q, rate);
    m_gain = 1.0f;
}

void TwoPoleFilter::setupUnityGain(double frequency, double q, double rate)
{
    setPoles(frequency, q, rate);
    m_gain = 1.0f - m_a1 + m_a2;
}
