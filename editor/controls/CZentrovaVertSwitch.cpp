#include "editor/controls/CZentrovaVertSwitch.h"

#include <cstring>

CZentrovaVertSwitch::CZentrovaVertSwitch(const CRect& size, CControlListener* listener, std::int64_t tag,
                                         std::int64_t subPixmaps, CCoord heightOfOneImage, std::int64_t maxPositions,
                                         CBitmap* background, const CPoint& offset)
    : CVerticalSwitch(size, listener, tag, subPixmaps, heightOfOneImage, maxPositions, background, offset)
{
}

void CZentrovaVertSwitch::getMidiEditRect(CRect& rect) const
{
    midiEditRectAbove(m_size, rect);
}

CMouseEventResult CZentrovaVertSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    tellMonitor();
    return CVerticalSwitch::onMouseDown(where, buttons);
}

CMouseEventResult CZentrovaVertSwitch::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = CVerticalSwitch::onMouseUp(where, buttons);
    tellMonitor();
    return result;
}

bool CZentrovaVertSwitch::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaVertSwitch") == 0 || CVerticalSwitch::isTypeOf(className);
}
