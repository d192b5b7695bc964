#include "dsp/TwoPoleFilter.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;

// How the record's state (y1, y2) relates to the integrators of the
// state-variable filter with the same response, both fed the same input:
// the low-pass integrator is 2 x sum x (y1 + y2) and the band-pass one
// 2 x difference x (y1 - y2). (Through the bilinear map, with
// d = 1 + a1 + a2 and g squared = (1 - a1 + a2) / d: sum = g squared x d / (4
// gain), difference = g x d / (4 gain).)
struct StateScales
{
    double sum;
    double difference;
};

// False for coefficients with no such filter: a pole on the unit circle, a
// silenced input or numbers that are not finite.
bool stateScales(double a1, double a2, double gain, StateScales& scales)
{
    const double d = 1.0 + a1 + a2;
    const double dc = 1.0 - a1 + a2;
    if (!(d > 0.0) || !(dc > 0.0) || !(std::fabs(gain) > 0.0) || !std::isfinite(d + dc + gain))
        return false;
    const double g = std::sqrt(dc / d);
    scales.sum = dc / (4.0 * gain);
    scales.difference = g * d / (4.0 * gain);
    return std::isfinite(scales.sum) && std::isfinite(scales.difference) && scales.sum != 0.0 &&
           scales.difference != 0.0;
}
} // namespace

void TwoPoleFilter::setPoles(double frequency, double q, double rate)
{
    double w = frequency * 0.5 / rate;
    m_a1 = float(2.0 * std::cos(2.0 * kPi * w) * std::exp(-kPi * w / q));
    m_a2 = float(std::exp(-2.0 * kPi * w / q));
}

void TwoPoleFilter::setup(double frequency, double q, double rate)
{
    const float a1 = m_a1, a2 = m_a2, gain = m_gain;
    setPoles(frequency, q, rate);
    m_gain = 1.0f;
    carryState(a1, a2, gain);
}

void TwoPoleFilter::setupUnityGain(double frequency, double q, double rate)
{
    const float a1 = m_a1, a2 = m_a2, gain = m_gain;
    setPoles(frequency, q, rate);
    m_gain = 1.0f - m_a1 + m_a2;
    carryState(a1, a2, gain);
}

void TwoPoleFilter::carryState(float a1, float a2, float gain)
{
    // Unchanged coefficients keep the state to the bit.
    if (a1 == m_a1 && a2 == m_a2 && gain == m_gain)
        return;
    StateScales before, after;
    if (!stateScales(a1, a2, gain, before) || !stateScales(m_a1, m_a2, m_gain, after))
    {
        // A state that stands for nothing is not carried: the filter starts
        // from rest.
        reset();
        return;
    }
    const double sum = (double(m_y1) + double(m_y2)) * (before.sum / after.sum);
    const double difference = (double(m_y1) - double(m_y2)) * (before.difference / after.difference);
    m_y1 = float(0.5 * (sum + difference));
    m_y2 = float(0.5 * (sum - difference));
}
