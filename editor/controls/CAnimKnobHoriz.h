#pragma once

#include "toolkit/CKnob.h"

// A knob drawn as one image of a horizontal strip.
class CAnimKnobHoriz : public CKnob
{
public:
    CAnimKnobHoriz(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                   CCoord frameWidth, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

protected:
    std::int64_t m_frames;
    CCoord m_frameWidth;
};
