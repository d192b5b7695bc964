#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// A three-state switch that springs back: -1 while held on its first half,
// 1 on its second, 0 once let go. The strip holds the -1, 0 and 1 images.
class CRockerSwitch : public CControl, public IMultiBitmapControl
{
public:
    enum : std::int64_t
    {
        kVertical = 0,
        kHorizontal = 1,
    };

    CRockerSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset = CPoint(), std::int64_t style = kHorizontal);
    // One image as tall as the switch.
    CRockerSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                  const CPoint& offset = CPoint(), std::int64_t style = kHorizontal);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    using CControl::onWheel;
    // One notch is a push and a release: -1 for a wheel forwards, 1 back.
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    std::int64_t m_style;
    float m_fEntryState = 0.0f;
};
