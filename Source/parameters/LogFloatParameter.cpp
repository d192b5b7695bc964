#include "Source/parameters/LogFloatParameter.h"

#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cmath>

LogFloatParameter::LogFloatParameter(const ParameterNames& names, bool midiCentre, const char* label,
                                     const char* format, bool engineNormalised, float min, float max,
                                     float linearShare)
    : FloatParameter(names, midiCentre, label, format, engineNormalised, min, max),
      m_logMin(static_cast<float>(std::log10(static_cast<double>(min)))),
      m_logRange(static_cast<float>(std::log10(static_cast<double>(max)) - std::log10(static_cast<double>(min)))),
      m_linMin(min),
      m_linRange(max - min),
      m_linearShare(linearShare < 0.0f ? 0.0f : (linearShare > 1.0f ? 1.0f : linearShare)),
      m_epsilon(0.005f / m_scale)
{
}

float LogFloatParameter::toUnits(float normalised) const
{
    float exponent = m_logMin + m_logRange * normalised;
    float lg = static_cast<float>(std::pow(10.0, static_cast<double>(exponent)));
    float mixed = lg;
    if (m_linearShare > 0.0f)
        mixed = quantise(m_linMin + m_linRange * normalised) * m_linearShare + lg * (1.0f - m_linearShare);
    return quantise(mixed);
}

float LogFloatParameter::valueFromText(const std::string& text) const
{
    float x = clampBetween(parseNumberText(text), m_linMin, m_linMin + m_linRange);
    float t = static_cast<float>((std::log10(static_cast<double>(x)) - m_logMin) / m_logRange);
    if (m_linearShare <= 0.0f)
        return clampUnit(t);

    float min = m_min;
    float max = m_max;
    float dMin = std::fabs(x - min);
    float dMax = std::fabs(x - max);
    float u = toUnits(t);
    float dT = std::fabs(x - u);
    float position, step, best;
    if (dT > dMin)
    {
        position = 0.0f;
        step = t * 0.5f;
        best = dMin;
    }
    else if (dT > dMax)
    {
        position = 1.0f;
        step = (t - 1.0f) * 0.5f;
        best = dMax;
    }
    else
    {
        position = t;
        best = dT;
        // The first step heads toward x. (Choosing it by which end of the
        // range x is nearer sends the search the wrong way whenever the
        // linear share lifts u above an x in the upper half; as the step is
        // only ever halved after that, the search would never move.)
        step = x > u ? (1.0f - t) * 0.5f : -t * 0.5f;
    }
    auto units = [this](float p) { return toUnits(p); };
    return clampUnit(searchNormalised(x, position, step, best, m_epsilon, units));
}
