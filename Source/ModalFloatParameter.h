#pragma once

#include "Source/ZentrovaParameter.h"

// A bipolar amount whose shown range and unit follow the destination it
// modulates (a mode chosen by another parameter). The engine always receives
// the bipolar value -1..1; a mode change alters only texts and labels.
class ModalFloatParameter : public ZentrovaParameter
{
public:
    struct Mode
    {
        float min;
        float max;
        const char* format;
        const char* label;
    };

    // modes is constant data that outlives the object; starts in mode 0.
    ModalFloatParameter(const ParameterNames& names, bool midiCentre, const Mode* modes, int modeCount,
                        bool engineNormalised);

    void getDisplay(char* out) const override;
    float valueFromText(const std::string& text) const override;
    std::string getValueText() const override;
    EngineValue getUnitValue() const override;

    virtual float toUnits(float normalised) const;

    // Modes outside the table are held to its ends.
    void setMode(int mode);
    int getMode() const { return m_mode; }

private:
    int m_mode = 0;
    const Mode* m_modes;
    float m_min = 0.0f;
    float m_range = 0.0f;
    int m_decimals = 0;
    float m_step = 1.0f;
    int m_modeCount;
    float m_scale = 1.0f;
};
