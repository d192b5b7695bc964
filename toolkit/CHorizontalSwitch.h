#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// One of maxPositions positions, chosen by where the mouse is along the
// switch from left to right; each position has its image in a vertical
// strip, as for the vertical switch.
class CHorizontalSwitch : public CControl, public IMultiBitmapControl
{
public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                      CCoord heightOfOneImage, std::int64_t maxPositions, CBitmap* background,
                      const CPoint& offset = CPoint());
    // One image as tall as the switch, one position per image of the
    // background: the images stack vertically here too, so the switch's
    // height, not its width, measures one.
    CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
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
