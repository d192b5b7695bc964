#include "Source/parameters/VolumeParameter.h"

#include "Source/parameters/ParameterText.h"

#include <cmath>

VolumeParameter::VolumeParameter(const ParameterNames& names, bool midiCentre, bool engineNormalised)
    : FloatParameter(names, midiCentre, "dB", "d1", engineNormalised, -54.0f, 0.0f)
{
}

void VolumeParameter::getDisplay(char* out) const
{
    if (m_value == 0.0f)
        copyText(out, "-oo", kTextSize);
    else
        FloatParameter::getDisplay(out);
}

EngineValue VolumeParameter::getUnitValue() const
{
    // The bottom is shown as minus infinity, and is silence.
    if (m_value == 0.0f)
        return engineValueFromFloat(0.0f);
    float dB = toUnits(m_value);
    float exponent = dB * 0.05f;
    return engineValueFromFloat(static_cast<float>(std::pow(10.0, static_cast<double>(exponent))));
}
