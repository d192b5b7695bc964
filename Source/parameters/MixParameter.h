#pragma once

#include "Source/parameters/IntParameter.h"

// A two-way mix 0..100, shown as both shares ("%3d/%3d"). The value is the
// second share, or with valueFirst the first one.
class MixParameter : public IntParameter
{
public:
    MixParameter(const ParameterNames& names, bool midiCentre, const char* label, bool valueFirst = false);

    void getDisplay(char* out) const override;
    std::string getValueText() const override;

private:
    bool m_valueFirst;
};
