#pragma once

#include "toolkit/CAnimKnob.h"

// A stepped parameter shown as a picture out of a vertical strip; the user
// cannot change it.
class CDisplay : public CAnimKnob
{
public:
    CDisplay(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
             CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    // Stores the nearest step raised by a quarter step, so that the strip's
    // image below the value is the nearest one.
    void setValue(float value) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    using CAnimKnob::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    bool isTypeOf(const char* className) const override;

protected:
    float m_steps;
};
