#include "editor/controls/CDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CDisplay::CDisplay(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                   CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset)
    : CAnimKnob(size, listener, tag, frames, heightOfOneFrame, background, offset),
      m_steps(static_cast<float>(frames - 1))
{
    setWantsFocus(false);
}

void CDisplay::setValue(float value)
{
    if (!(value > 0.0f))
        value = 0.0f;
    // One image only: nothing to choose, and no step to divide by.
    if (m_steps < 1.0f)
    {
        m_value = std::min(value, 1.0f);
        return;
    }
    m_value = std::min((std::floor(value * m_steps + 0.5f) + 0.25f) / m_steps, 1.0f);
}

CMouseEventResult CDisplay::onMouseDown(CPoint&, const CButtonState&)
{
    return kMouseResultHandledNoTracking;
}

bool CDisplay::onWheel(const CPoint&, const float&, const CButtonState&)
{
    return false;
}

CKeyResult CDisplay::onKeyDown(VstKeyCode&)
{
    return kKeyNotHandled;
}

bool CDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CDisplay") == 0 || CAnimKnob::isTypeOf(className);
}
