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

    bool isTypeOf(const char* className) const override;
};
