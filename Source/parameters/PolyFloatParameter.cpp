#include "Source/parameters/PolyFloatParameter.h"

#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cmath>

PolyFloatParameter::PolyFloatParameter(const ParameterNames& names, bool midiCentre, const char* label,
                                       const float* points, int pointCount, const char* format,
                                       bool engineNormalised)
    : ZentrovaParameter(names, midiCentre, engineNormalised),
      m_decimals(decimalsOfFormat(format)),
      m_scale(static_cast<float>(std::pow(10.0, m_decimals))),
      m_step(static_cast<float>(std::pow(10.0, -m_decimals))),
      m_epsilon(0.005f / m_scale),
      m_points(points),
      m_pointCount(pointCount)
{
    setLabel(label);
    float top = points[pointCount - 2];
    float bottom = std::fabs(points[1]);
    setAltLabel(formatFixed(top > bottom ? top : bottom, m_decimals));
}

float PolyFloatParameter::interpolate(float normalised) const
{
    int segments = m_pointCount - 3;
    if (!(normalised > 0.0f))
        normalised = 0.0f;
    // The top of the range is a point itself; computing it would read past
    // the last guard point.
    else if (normalised >= 1.0f)
        return m_points[m_pointCount - 2];
    float p = normalised * static_cast<float>(segments);
    int i = static_cast<int>(p);
    if (i > segments - 1)
        i = segments - 1;
    float t = p - static_cast<float>(i);
    float p0 = m_points[i];
    float p1 = m_points[i + 1];
    float p2 = m_points[i + 2];
    float p3 = m_points[i + 3];
    float c1 = (p2 - p0) * 0.5f;
    float c3 = 1.5f * (p1 - p2) + (p3 - p0) * 0.5f;
    float c2 = c1 - c3 + p0 - p1;
    return p1 + t * (c1 + t * (c2 + t * c3));
}

float PolyFloatParameter::toUnits(float normalised) const
{
    return nearestValue(interpolate(normalised) * m_scale) * m_step;
}

void PolyFloatParameter::getDisplay(char* out) const
{
    formatFixed(out, kTextSize, toUnits(m_value), m_decimals);
}

float PolyFloatParameter::valueFromText(const std::string& text) const
{
    float low = m_points[0];
    float high = m_points[m_pointCount - 1];
    float x = clampBetween(parseNumberText(text), low, high);
    float e = std::fabs(x - interpolate(0.5f));
    float dLo = std::fabs(x - low);
    float dHi = std::fabs(x - high);
    float position, step, best;
    if (e > dLo)
    {
        position = 0.0f;
        step = 0.25f;
        best = dLo;
    }
    else if (e > dHi)
    {
        position = 1.0f;
        step = -0.25f;
        best = dHi;
    }
    else
    {
        position = 0.5f;
        best = e;
        step = x > interpolate(0.5f) ? 0.25f : -0.25f;
    }
    auto units = [this](float p) { return interpolate(p); };
    return clampUnit(searchNormalised(x, position, step, best, m_epsilon, units));
}

EngineValue PolyFloatParameter::getUnitValue() const
{
    return engineValueFromFloat(toUnits(m_value));
}
