#include "Source/parameters/IntParameter.h"

#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cstdlib>

IntParameter::IntParameter(const ParameterNames& names, bool midiCentre, const char* label, int min, int max,
                           bool engineNormalised)
    : ZentrovaParameter(names, midiCentre, engineNormalised),
      m_min(static_cast<float>(min)),
      m_range(static_cast<float>(max - min))
{
    setLabel(label);
    long widest = std::labs(min) > max ? std::labs(min) : max;
    setAltLabel(digitTemplate(widest));
}

float IntParameter::getQuantisedValue() const
{
    // The value of the integer shown. Rounding value x range on its own
    // would disagree with the shown integer at halves below zero and over
    // whole bands of a falling range.
    return (static_cast<float>(IntParameter::getInt()) - m_min) / m_range;
}

int IntParameter::getInt() const
{
    return nearestInt(m_min + m_range * m_value);
}

void IntParameter::getDisplay(char* out) const
{
    copyText(out, formatInteger(getInt()).c_str(), kTextSize);
}

float IntParameter::valueFromText(const std::string& text) const
{
    float n = clampBetween(static_cast<float>(parseIntegerText(text)), m_min, m_min + m_range);
    return clampUnit((n - m_min) / m_range);
}

EngineValue IntParameter::getUnitValue() const
{
    return engineValueFromInt(getInt());
}
