#pragma once

#include "toolkit/CControl.h"

// The view a splash screen shows by default: its background image; a click
// on it tells the listener.
class CDefaultSplashScreenView : public CControl
{
public:
    CDefaultSplashScreenView(const CRect& size, CControlListener* listener, CBitmap* background,
                             const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
};
