#pragma once

#include "editor/controls/CAnimKnobHoriz.h"
#include "editor/controls/CZentrovaControl.h"

// A pitch or modulation wheel: dragged straight, up or to the right to
// raise it, over a fixed number of pixels, whatever the knob mode.
class CWheel : public CAnimKnobHoriz, public CZentrovaControl
{
public:
    CWheel(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames, CCoord frameWidth,
           CBitmap* background, const CPoint& offset, float dragRange);

    bool isDragging() const { return m_dragging; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    // Let go: the bend wheel springs back.
    void onMouseCancel() override;
    void getMidiEditRect(CRect& rect) const override;
    bool isTypeOf(const char* className) const override;

protected:
    // The value per pixel for the buttons held.
    float stepFor(CButtonState buttons) const;

    float m_dragRange;
    CPoint m_clickPoint;
    CPoint m_lastPoint;
    float m_startValue = 0.0f;
    float m_step = 0.0f;
    CButtonState m_buttons = 0;
    bool m_dragging = false;
};
