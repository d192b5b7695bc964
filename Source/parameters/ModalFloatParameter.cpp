#include "Source/parameters/ModalFloatParameter.h"

#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/ParameterMath.h"
#include "Source/parameters/ParameterText.h"

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
    m_mode.store(mode, std::memory_order_relaxed);
}

float ModalFloatParameter::toUnits(const Mode& mode, float normalised)
{
    const int decimals = decimalsOfFormat(mode.format);
    const auto scale = static_cast<float>(std::pow(10.0, decimals));
    const auto step = static_cast<float>(std::pow(10.0, -decimals));
    return nearestValue((mode.min + (mode.max - mode.min) * normalised) * scale) * step;
}

float ModalFloatParameter::toUnits(float normalised) const
{
    return toUnits(mode(), normalised);
}

void ModalFloatParameter::getLabel(char* out) const
{
    copyText(out, mode().label, kLabelSize);
}

void ModalFloatParameter::getDisplay(char* out) const
{
    const Mode& current = mode();
    formatFixed(out, kTextSize, toUnits(current, m_value), decimalsOfFormat(current.format));
}

void ModalFloatParameter::getAltLabel(char* out) const
{
    const Mode& current = mode();
    const float bottom = std::fabs(current.min);
    formatFixed(out, kTextSize, current.max > bottom ? current.max : bottom, decimalsOfFormat(current.format));
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
