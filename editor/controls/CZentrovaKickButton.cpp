#include "editor/controls/CZentrovaKickButton.h"

#include <cstring>

CZentrovaKickButton::CZentrovaKickButton(const CRect& size, CControlListener* listener, std::int64_t tag,
                                         CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, background, offset)
{
}

CZentrovaKickButton::CZentrovaKickButton(const CRect& size, CControlListener* listener, std::int64_t tag,
                                         CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset)
{
}

bool CZentrovaKickButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaKickButton") == 0 || CKickButton::isTypeOf(className);
}
