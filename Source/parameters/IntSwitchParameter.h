#pragma once

#include "Source/parameters/IntParameter.h"

// An integer range whose minimum means something else and shows a word
// ("Off", "Midi").
class IntSwitchParameter : public IntParameter
{
public:
    IntSwitchParameter(const ParameterNames& names, bool midiCentre, const char* label, int min, int max,
                       const char* word, bool engineNormalised);

    void getDisplay(char* out) const override;
    float valueFromText(const std::string& text) const override;

private:
    char m_word[kTextSize] = {};
};
