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

void CZentrovaKickButton::setPicture(std::int64_t picture)
{
    const CCoord top = picture * m_heightOfOneImage;
    if (m_offset.v == top)
        return;
    m_offset.v = top;
    setDirty(true);
}

bool CZentrovaKickButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaKickButton") == 0 || CKickButton::isTypeOf(className);
}
