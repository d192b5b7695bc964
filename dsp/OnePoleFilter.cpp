#include "dsp/OnePoleFilter.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

void OnePoleFilter::setup(double frequency, double rate)
{
    m_c = float(1.0 - std::exp(-2.0 * kPi * frequency * 0.5 / rate));
}
