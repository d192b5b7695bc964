#include "editor/controls/CWheel.h"

#include <algorithm>
#include <cstring>

CWheel::CWheel(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames, CCoord frameWidth,
               CBitmap* background, const CPoint& offset, float dragRange)
    : CAnimKnobHoriz(size, listener, tag, frames, frameWidth, background, offset),
      // Less than a pixel of travel would make every step a jump to an end.
      m_dragRange(dragRange >= 1.0f ? dragRange : 1.0f)
{
}

float CWheel::stepFor(CButtonState buttons) const
{
    float range = m_dragRange;
    if (buttons & getZoomModifier())
        range *= m_zoomFactor;
    return (m_vmax - m_vmin) / range;
}

CMouseEventResult CWheel::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseResultHandledNoTracking;
    }
    m_clickPoint = where;
    m_lastPoint = CPoint(-1, -1);
    m_startValue = m_value;
    m_step = stepFor(buttons);
    m_buttons = buttons;
    m_dragging = true;
    return onMouseMoved(where, buttons);
}

CMouseEventResult CWheel::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft) || !m_dragging || where == m_lastPoint)
        return kMouseResultHandled;
    m_lastPoint = where;
    const float delta = static_cast<float>((where.h - m_clickPoint.h) + (m_clickPoint.v - where.v));
    if (buttons != m_buttons)
    {
        // The value stays where it is when the rate changes mid-drag.
        const float step = stepFor(buttons);
        m_startValue += (m_step - step) * delta;
        m_step = step;
        m_buttons = buttons;
    }
    m_value = m_startValue + delta * m_step;
    bounceValue();
    if (isDirty())
    {
        if (m_listener)
            m_listener->valueChanged(this);
        invalid();
    }
    return kMouseResultHandled;
}

CMouseEventResult CWheel::onMouseUp(CPoint&, const CButtonState&)
{
    if (m_dragging)
    {
        m_dragging = false;
        endEdit();
    }
    return kMouseResultHandled;
}

void CWheel::onMouseCancel()
{
    m_dragging = false;
    CAnimKnobHoriz::onMouseCancel();
}

void CWheel::getMidiEditRect(CRect& rect) const
{
    midiEditRectOver(m_size, rect);
}

bool CWheel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CWheel") == 0 || CAnimKnobHoriz::isTypeOf(className);
}
