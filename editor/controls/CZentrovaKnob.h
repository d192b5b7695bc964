#pragma once

#include "editor/controls/CZentrovaControl.h"
#include "editor/controls/MonitoredControl.h"
#include "toolkit/CAnimKnob.h"

// The product's knob: a vertical strip of frames, showing the frame nearest
// its value; it tells the parameter monitor when it is pressed and
// released.
class CZentrovaKnob : public CAnimKnob, public CZentrovaControl, public MonitoredControl
{
public:
    CZentrovaKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                  CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    // Dirty while the frame to show differs from the one last drawn.
    bool isDirty() const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    void getMidiEditRect(CRect& rect) const override;
    bool isTypeOf(const char* className) const override;

protected:
    // The nearest frame; values outside 0..1 (or not a number) show the
    // nearer end.
    CCoord frameOf(float value) const;

    float m_lastFrame;
};
