#include "Source/parameters/FloatParameter.h"

#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cmath>

int decimalsOfFormat(const char* format)
{
    if (format && format[0] == 'd' && format[1] >= '0' && format[1] <= '9')
        return format[1] - '0';
    return 0;
}

FloatParameter::FloatParameter(const ParameterNames& names, bool midiCentre, const char* label, const char* format,
                               bool engineNormalised, float min, float max)
    : ZentrovaParameter(names, midiCentre, engineNormalised),
      m_min(min),
      m_max(max),
      m_decimals(decimalsOfFormat(format)),
      m_step(static_cast<float>(std::pow(10.0, -m_decimals))),
      m_scale(static_cast<float>(std::pow(10.0, m_decimals)))
{
    setLabel(label);
    setAltLabel(formatFixed(std::fabs(min) > max ? std::fabs(min) : max, m_decimals));
}

float FloatParameter::quantise(float units) const
{
    return nearestValue(units * m_scale) * m_step;
}

float FloatParameter::toUnits(float normalised) const
{
    const float min = m_min;
    return quantise(min + (m_max - min) * normalised);
}

void FloatParameter::getDisplay(char* out) const
{
    formatFixed(out, kTextSize, toUnits(m_value), m_decimals);
}

float FloatParameter::valueFromText(const std::string& text) const
{
    const float min = m_min;
    float x = clampBetween(parseNumberText(text), min, m_max);
    return clampUnit((x - min) / (m_max - min));
}

std::string FloatParameter::getValueText() const
{
    // Two more decimals than shown, so that reading back lands on the same step.
    return formatFixed(toUnits(m_value), m_decimals + 2);
}

EngineValue FloatParameter::getUnitValue() const
{
    return engineValueFromFloat(toUnits(m_value));
}

void FloatParameter::setMinimum(float minimum)
{
    m_min = minimum;
}
