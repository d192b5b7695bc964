#pragma once

#include "editor/controls/CZentrovaKnob.h"

// A knob drawn from its handle image alone, as a strip of frames 4 pixels
// larger than the knob on every side.
class CBorderKnob : public CZentrovaKnob
{
public:
    CBorderKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

protected:
    CRect m_borderRect;
};
