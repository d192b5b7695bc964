#pragma once

#include "Source/parameters/LogFloatParameter.h"

#include <atomic>

// A logarithmic float that the patch can switch into an integer range with
// its own label (a tempo in bpm or beats per bar, a rate in Hz or cycles per
// bar). The stored normalised value keeps its place when the mode changes.
class FloatIntParameter : public LogFloatParameter
{
public:
    FloatIntParameter(const ParameterNames& names, bool midiCentre, const char* label, const char* format,
                      bool engineNormalised, float min, float max, float linearShare, const char* intLabel,
                      long intMin, long intMax);

    void getLabel(char* out) const override;
    void getDisplay(char* out) const override;
    void getAltLabel(char* out) const override;
    // "f" and "i" suffixes tell the two modes apart; any other text gives 0.
    float valueFromText(const std::string& text) const override;
    std::string getValueText() const override;
    EngineValue getUnitValue() const override;

    // The integer of integer mode.
    virtual int getInt() const;
    // toUnits of the current value.
    virtual float getFloat() const;

    // The mode is switched on whichever thread changes the patch, while
    // others read it: every reader takes it once.
    void setIntMode(bool intMode);
    bool isIntMode() const { return m_intMode.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kIntLabelSize = 9;

    char m_intLabel[kIntLabelSize] = {};
    int m_intMin;
    int m_intRange;
    std::atomic<bool> m_intMode{false};
    char m_floatAltLabel[kTextSize] = {};
    char m_intAltLabel[kTextSize] = {};
};

// One '#' per decimal digit of n (n >= 0), at least one.
std::string digitTemplate(long n);
