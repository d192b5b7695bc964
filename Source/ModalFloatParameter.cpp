#include "Source/ModalFloatParameter.h"

#include "Source/FloatParameter.h"
#include "Source/ParameterMath.h"
#include "Source/ParameterText.h"

#include <cmath>

ModalFloatParameter::ModalFloatParameter(const ParameterNames& names, bool midiCentre, const Mode* modes,
                                         int modeCount, bool engineNormalised)
    : ZentrovaParameter(names, midiCentre, engineNormalised), m_modes(modes), m_modeCount(modeCount)
{
    setMode(0);
}

void ModalFloatParameter::setMode(int mode)
{
    if (mode >= m_modeCount)
        mode = m_modeCount - 1;
    if (mode < 0)
        mode = 0;
    const Mode& record = m_modes[mode];
    m_mode = mode;
    m_min = record.min;
    m_range = record.max - record.min;
    setLabel(record.label);
    m_decimals = decimalsOfFormat(record.format);
    m_scale = static_cast<float>(std::pow(10.0, m_decimals));
    m_step = static_cast<float>(std::pow(10.0, -m_decimals));
    float bottom = std::fabs(record.min);
    formatFixed(m_altLabel, sizeof m_altLabel, record.max > bottom ? record.max : bottom, m_decimals);
}

float ModalFloatParameter::toUnits(float normalised) const
{
    return nearestValue((m_min + m_range * normalised) * m_scale) * m_step;
}

void ModalFloatParameter::getDisplay(char* out) const
{
    formatFixed(out, kTextSize, toUnits(m_value), m_decimals);
}

float ModalFloatParameter::valueFromText(const std::string& text) const
{
    float x = clampBetween(parseNumberText(text), -1.0f, 1.0f);
    return (x + 1.0f) * 0.5f;
}

std::string ModalFloatParameter::getValueText() const
{
    // Written bipolar whatever the mode, so a patch reads the same under any
    // destination.
    return formatFixed((m_value - 0.5f) * 2.0f, 6);
}

EngineValue ModalFloatParameter::getUnitValue() const
{
    return engineValueFromFloat((m_value - 0.5f) * 2.0f);
}
