#pragma once

#include "Source/parameters/ZentrovaParameter.h"

// An integer range; max may lie below min (a falling range).
class IntParameter : public ZentrovaParameter
{
public:
    IntParameter(const ParameterNames& names, bool midiCentre, const char* label, int min, int max,
                 bool engineNormalised);

    float getQuantisedValue() const override;
    void getDisplay(char* out) const override;
    float valueFromText(const std::string& text) const override;
    EngineValue getUnitValue() const override;

    virtual int getInt() const;

    int getMinimum() const { return static_cast<int>(m_min); }
    int getMaximum() const { return static_cast<int>(m_min + m_range); }

protected:
    float m_min;
    float m_range;
};
