#pragma once

#include "Source/parameters/FloatParameter.h"

// A logarithmic float, optionally blended with a small linear share so that
// the low end of a long time range stays reachable.
class LogFloatParameter : public FloatParameter
{
public:
    LogFloatParameter(const ParameterNames& names, bool midiCentre, const char* label, const char* format,
                      bool engineNormalised, float min, float max, float linearShare);

    float valueFromText(const std::string& text) const override;
    float toUnits(float normalised) const override;

    float getLinearShare() const { return m_linearShare; }

private:
    float m_logMin;
    float m_logRange;
    float m_linMin;
    float m_linRange;
    float m_linearShare;
    float m_epsilon;
};
