#pragma once

#include "editor/controls/CDisplay.h"

// A display that tells its listener of a left click, such as a text list
// row's status picture.
class CClickableDisplay : public CDisplay
{
public:
    CClickableDisplay(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                      CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset = CPoint());

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    // The buttons and modifiers of the last click.
    CButtonState getClickButtons() const { return m_clickButtons; }

    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    CButtonState m_clickButtons = 0;
};
