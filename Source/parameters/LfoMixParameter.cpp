#include "Source/parameters/LfoMixParameter.h"

#include "Source/parameters/ParameterMath.h"

LfoMixParameter::LfoMixParameter(const ParameterNames& names, bool midiCentre, const char* label)
    : MixParameter(names, midiCentre, label)
{
}

int LfoMixParameter::getInt() const
{
    // Held well inside the int range before the factor 25.
    return 25 * nearestInt(clampBetween(4.0f * m_value, -1.0e6f, 1.0e6f));
}
