#include "editor/controls/CSwitchedKnob.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CSwitchedKnob::CSwitchedKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                             CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset)
    : CZentrovaKnob(size, listener, tag, frames, heightOfOneFrame, background, offset), m_steps(stepsOf(frames))
{
    setWheelInc(1.0f / m_steps);
    setZoomFactor(1.0f);
}

float CSwitchedKnob::stepsOf(std::int64_t frames)
{
    return static_cast<float>(std::max<std::int64_t>(frames - 1, 1));
}

float CSwitchedKnob::snapToStep(float value, float steps)
{
    if (!(value < 1.0f))
        value = 1.0f;
    else if (value < 0.0f)
        value = 0.0f;
    return std::floor(value * steps + 0.5f) / steps;
}

void CSwitchedKnob::bounceValue()
{
    m_value = snapToStep(m_value, m_steps);
}

float CSwitchedKnob::valueFromPoint(CPoint& point) const
{
    return snapToStep(CZentrovaKnob::valueFromPoint(point), m_steps);
}

bool CSwitchedKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CSwitchedKnob") == 0 || CZentrovaKnob::isTypeOf(className);
}
