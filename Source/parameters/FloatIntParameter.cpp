#include "Source/parameters/FloatIntParameter.h"

#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

#include <cstdlib>

std::string digitTemplate(long n)
{
    std::string text = "#";
    for (n /= 10; n > 0; n /= 10)
        text += '#';
    return text;
}

FloatIntParameter::FloatIntParameter(const ParameterNames& names, bool midiCentre, const char* label,
                                     const char* format, bool engineNormalised, float min, float max,
                                     float linearShare, const char* intLabel, long intMin, long intMax)
    : LogFloatParameter(names, midiCentre, label, format, engineNormalised, min, max, linearShare),
      m_intMin(static_cast<int>(intMin)),
      m_intRange(static_cast<int>(intMax - intMin))
{
    copyText(m_intLabel, intLabel, sizeof m_intLabel);
    copyText(m_floatAltLabel, m_altLabel, sizeof m_floatAltLabel);
    long widest = std::labs(intMin) > intMax ? std::labs(intMin) : intMax;
    copyText(m_intAltLabel, digitTemplate(widest).c_str(), sizeof m_intAltLabel);
}

void FloatIntParameter::getLabel(char* out) const
{
    if (isIntMode())
        copyText(out, m_intLabel, kLabelSize);
    else
        LogFloatParameter::getLabel(out);
}

void FloatIntParameter::getDisplay(char* out) const
{
    if (isIntMode())
        copyText(out, formatInteger(getInt()).c_str(), kTextSize);
    else
        LogFloatParameter::getDisplay(out);
}

void FloatIntParameter::getAltLabel(char* out) const
{
    copyText(out, isIntMode() ? m_intAltLabel : m_floatAltLabel, kTextSize);
}

float FloatIntParameter::valueFromText(const std::string& text) const
{
    if (text.empty())
        return 0.0f;
    std::string rest = text.substr(0, text.size() - 1);
    switch (text.back())
    {
    case 'f':
        return LogFloatParameter::valueFromText(rest);
    case 'i':
    {
        float n = clampBetween(static_cast<float>(parseIntegerText(rest)), static_cast<float>(m_intMin),
                               static_cast<float>(m_intMin + m_intRange));
        return clampUnit((n - m_intMin) / m_intRange);
    }
    default:
        return 0.0f;
    }
}

std::string FloatIntParameter::getValueText() const
{
    if (isIntMode())
        return formatInteger(getInt()) + "i";
    return LogFloatParameter::getValueText() + "f";
}

EngineValue FloatIntParameter::getUnitValue() const
{
    if (isIntMode())
        return engineValueFromInt(getInt());
    return LogFloatParameter::getUnitValue();
}

int FloatIntParameter::getInt() const
{
    // Summed in double and wide enough that no stored value can overflow it.
    double n = m_intMin + static_cast<double>(truncateInt(static_cast<double>(static_cast<float>(m_intRange) * m_value) + 0.5));
    return truncateInt(n);
}

float FloatIntParameter::getFloat() const
{
    return toUnits(m_value);
}

void FloatIntParameter::setIntMode(bool intMode)
{
    m_intMode.store(intMode, std::memory_order_relaxed);
}
