#pragma once

#include "Source/parameters/ZentrovaParameter.h"

#include <atomic>

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

    void getLabel(char* out) const override;
    void getDisplay(char* out) const override;
    void getAltLabel(char* out) const override;
    float valueFromText(const std::string& text) const override;
    std::string getValueText() const override;
    EngineValue getUnitValue() const override;

    virtual float toUnits(float normalised) const;

    // Modes outside the table are held to its ends. The mode is switched on
    // whichever thread changes the patch, while others read it: everything
    // it decides is taken from the table through one reading of it.
    void setMode(int mode);
    int getMode() const { return m_mode.load(std::memory_order_relaxed); }

private:
    const Mode& mode() const { return m_modes[getMode()]; }
    static float toUnits(const Mode& mode, float normalised);

    std::atomic<int> m_mode{0};
    const Mode* m_modes;
    int m_modeCount;
};
