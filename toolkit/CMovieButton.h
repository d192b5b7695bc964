#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// A two-state button drawn from the first two images of a strip; a click
// toggles it, a drag off the button before release takes it back.
class CMovieButton : public CControl, public IMultiBitmapControl
{
public:
    CMovieButton(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                 CBitmap* background, const CPoint& offset = CPoint());
    // One image as tall as the button.
    CMovieButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                 const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    float m_buttonState;
    float m_fEntryState = 0.0f;
};
