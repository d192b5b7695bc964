#pragma once

#include "toolkit/CAnimKnob.h"

// A stepped knob over half a turn, showing the frame nearest its value.
class CModeKnob : public CAnimKnob
{
public:
    CModeKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
              CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void bounceValue() override;
    float valueFromPoint(CPoint& point) const override;
    bool isTypeOf(const char* className) const override;

protected:
    float m_steps;
};
