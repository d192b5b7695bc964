#pragma once

#include "toolkit/CControl.h"

class COffscreenContext;

// A level shown as a bar of LEDs: the lit part from onBitmap, the rest
// from offBitmap. A falling level drops by at most decreaseValue per draw;
// the level shown is kept in the old value.
class CVuMeter : public CControl
{
public:
    enum : std::int64_t
    {
        kVertical = 0,
        kHorizontal = 1,
    };

    CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, std::int64_t nbLed,
             std::int64_t style = kVertical);
    CVuMeter(const CVuMeter& meter);
    ~CVuMeter() override;

    virtual void setDecreaseStepValue(float value) { m_decreaseValue = value; }
    // Draws through an offscreen of the meter's size.
    void setUseOffscreen(bool state) { m_useOffscreen = state; }

    // Touches the view's flag only: the old value is the level shown.
    void setDirty(bool state = true) override;
    void draw(CDrawContext* context) override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void dropOffscreen();
    void resetRects();
    void drawOne(CDrawContext* context, CBitmap* bitmap, const CRect& rect, const CPoint& source);

    CBitmap* m_onBitmap;
    CBitmap* m_offBitmap;
    COffscreenContext* m_offscreen = nullptr;
    std::int64_t m_nbLed;
    std::int64_t m_style;
    float m_decreaseValue = 0.1f;
    bool m_useOffscreen = false;
    CRect m_rectOn;
    CRect m_rectOff;
};
