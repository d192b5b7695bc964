#pragma once

#include "Source/parameters/ZentrovaParameter.h"

// A linear float in units, shown with N decimals (format text "dN").
class FloatParameter : public ZentrovaParameter
{
public:
    FloatParameter(const ParameterNames& names, bool midiCentre, const char* label, const char* format,
                   bool engineNormalised, float min, float max);

    void getDisplay(char* out) const override;
    float valueFromText(const std::string& text) const override;
    std::string getValueText() const override;
    EngineValue getUnitValue() const override;

    // The value in units for a normalised value, carrying at most N decimals.
    virtual float toUnits(float normalised) const;

    // Moves the low end of the range; the high end stays.
    void setMinimum(float minimum);
    float getMinimum() const { return m_min; }
    float getMaximum() const { return m_max; }
    int getDecimals() const { return m_decimals; }

protected:
    float quantise(float units) const;

    // The low end moves on whichever thread switches the mode, while others
    // read it.
    RelaxedFloat m_min;
    const float m_max;
    int m_decimals;
    float m_step;
    float m_scale;
};

// The decimals of a format text: the letter d followed by one digit.
int decimalsOfFormat(const char* format);
