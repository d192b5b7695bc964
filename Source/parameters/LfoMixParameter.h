#pragma once

#include "Source/parameters/MixParameter.h"

// The LFO 1 / LFO 2 mix of a modulation, in five positions 0, 25 .. 100.
class LfoMixParameter : public MixParameter
{
public:
    LfoMixParameter(const ParameterNames& names, bool midiCentre, const char* label);

    int getInt() const override;
};
