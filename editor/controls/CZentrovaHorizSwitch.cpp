#include "editor/controls/CZentrovaHorizSwitch.h"

#include <cstring>

CZentrovaHorizSwitch::CZentrovaHorizSwitch(const CRect& size, CControlListener* listener, std::int64_t tag,
                                           std::int64_t subPixmaps, CCoord heightOfOneImage, std::int64_t maxPositions,
                                           CBitmap* background, const CPoint& offset)
    : CHorizontalSwitch(size, listener, tag, subPixmaps, heightOfOneImage, maxPositions, background, offset)
{
}

void CZentrovaHorizSwitch::getMidiEditRect(CRect& rect) const
{
    midiEditRectAbove(m_size, rect);
}

CMouseEventResult CZentrovaHorizSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    tellMonitor();
    return CHorizontalSwitch::onMouseDown(where, buttons);
}

CMouseEventResult CZentrovaHorizSwitch::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = CHorizontalSwitch::onMouseUp(where, buttons);
    tellMonitor();
    return result;
}

bool CZentrovaHorizSwitch::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaHorizSwitch") == 0 || CHorizontalSwitch::isTypeOf(className);
}
