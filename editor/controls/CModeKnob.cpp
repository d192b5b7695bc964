#include "editor/controls/CModeKnob.h"

#include <algorithm>
#include <cstring>

#include "editor/controls/CSwitchedKnob.h"

namespace
{
constexpr float kPi = 3.14159265358979323846f;
}

CModeKnob::CModeKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                     CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset)
    : CAnimKnob(size, listener, tag, frames, heightOfOneFrame, background, offset),
      m_steps(CSwitchedKnob::stepsOf(frames))
{
    setStartAngle(kPi);
    setRangeAngle(-kPi);
    setWheelInc(1.0f / m_steps);
    setZoomFactor(1.0f);
}

void CModeKnob::draw(CDrawContext* context)
{
    const float value = CSwitchedKnob::snapToStep(m_value, m_steps);
    const CCoord frame =
        std::clamp<CCoord>(static_cast<CCoord>(value * m_steps + 0.5f), 0, std::max<CCoord>(m_subPixmaps - 1, 0));
    drawBackground(context, CPoint(0, frame * m_heightOfOneImage));
    valueToPoint(m_lastDrawnPoint);
    setDirty(false);
}

void CModeKnob::bounceValue()
{
    m_value = CSwitchedKnob::snapToStep(m_value, m_steps);
}

float CModeKnob::valueFromPoint(CPoint& point) const
{
    return CSwitchedKnob::snapToStep(CAnimKnob::valueFromPoint(point), m_steps);
}

bool CModeKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CModeKnob") == 0 || CAnimKnob::isTypeOf(className);
}
