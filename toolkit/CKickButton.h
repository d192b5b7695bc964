#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// A momentary button: pressed while the held mouse is over it; released
// over it, it reports 1 and then 0, released elsewhere only 0.
class CKickButton : public CControl, public IMultiBitmapControl
{
public:
    // One image as tall as the button.
    CKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                const CPoint& offset = CPoint());
    CKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    float m_fEntryState = 0.0f;
};
