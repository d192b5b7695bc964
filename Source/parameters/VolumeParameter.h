#pragma once

#include "Source/parameters/FloatParameter.h"

// A level in dB from -54 to 0; the engine receives the linear gain, 0 at
// the very bottom.
class VolumeParameter : public FloatParameter
{
public:
    VolumeParameter(const ParameterNames& names, bool midiCentre, bool engineNormalised);

    // "-oo" at the very bottom.
    void getDisplay(char* out) const override;
    EngineValue getUnitValue() const override;
};
