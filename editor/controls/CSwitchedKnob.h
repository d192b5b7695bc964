#pragma once

#include "editor/controls/CZentrovaKnob.h"

// A knob that rests on one of its frames only: values 0, 1/steps, ..., 1
// with steps = frames - 1. The wheel moves it one step per notch.
class CSwitchedKnob : public CZentrovaKnob
{
public:
    CSwitchedKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                  CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    void bounceValue() override;
    float valueFromPoint(CPoint& point) const override;
    bool isTypeOf(const char* className) const override;

    // The step nearest value (clamped to 0..1; not a number gives 1).
    static float snapToStep(float value, float steps);
    // A knob of fewer than two frames still has one step, so nothing
    // divides by zero.
    static float stepsOf(std::int64_t frames);

protected:
    float m_steps;
};
