#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// One of maxPositions positions, chosen by where the mouse is along the
// switch from top to bottom; each position has its image in a vertical
// strip.
class CVerticalSwitch : public CControl, public IMultiBitmapControl
{
public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                    CCoord heightOfOneImage, std::int64_t maxPositions, CBitmap* background,
                    const CPoint& offset = CPoint());
    // One image as tall as the switch, one position per image of the
    // background.
    CVerticalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                    const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    std::int64_t m_subPixmaps;
    std::int64_t m_maxPositions;
    double m_coef = 0.0;
};
