#pragma once

#include "Source/parameters/ZentrovaParameter.h"

// A float shaped by a table of points with cubic (Catmull-Rom)
// interpolation: fine steps near the centre, coarse ones at the ends. The
// first and last points are guards outside the range, which spans
// points[1] .. points[pointCount - 2].
class PolyFloatParameter : public ZentrovaParameter
{
public:
    // points is constant data that outlives the object; pointCount >= 4.
    PolyFloatParameter(const ParameterNames& names, bool midiCentre, const char* label, const float* points,
                       int pointCount, const char* format, bool engineNormalised);

    void getDisplay(char* out) const override;
    float valueFromText(const std::string& text) const override;
    EngineValue getUnitValue() const override;

    virtual float toUnits(float normalised) const;

private:
    float interpolate(float normalised) const;

    int m_decimals;
    float m_scale;
    float m_step;
    float m_epsilon;
    const float* m_points;
    int m_pointCount;
};
