#pragma once

#include "toolkit/CKickButton.h"

// The product's momentary button.
class CZentrovaKickButton : public CKickButton
{
public:
    // One image as tall as the button.
    CZentrovaKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                        const CPoint& offset = CPoint());
    CZentrovaKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                        CBitmap* background, const CPoint& offset = CPoint());

    // Draws image picture of its strip when up, the next one when down
    // (a memory button marks its states so).
    void setPicture(std::int64_t picture);

    bool isTypeOf(const char* className) const override;
};
