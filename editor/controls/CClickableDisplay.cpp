#include "editor/controls/CClickableDisplay.h"

#include <cstring>

CClickableDisplay::CClickableDisplay(const CRect& size, CControlListener* listener, std::int64_t tag,
                                     std::int64_t frames, CCoord heightOfOneFrame, CBitmap* background,
                                     const CPoint& offset)
    : CDisplay(size, listener, tag, frames, heightOfOneFrame, background, offset)
{
    setMouseEnabled(true);
}

CMouseEventResult CClickableDisplay::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_clickButtons = buttons;
    if (m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

bool CClickableDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CClickableDisplay") == 0 || CDisplay::isTypeOf(className);
}

CView* CClickableDisplay::newCopy() const
{
    return new CClickableDisplay(*this);
}
