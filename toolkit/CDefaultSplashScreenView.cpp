#include "toolkit/CDefaultSplashScreenView.h"

#include <cstring>

CDefaultSplashScreenView::CDefaultSplashScreenView(const CRect& size, CControlListener* listener, CBitmap* background,
                                                   const CPoint& offset)
    : CControl(size, listener, 0, background), m_offset(offset)
{
}

void CDefaultSplashScreenView::draw(CDrawContext* context)
{
    drawBackground(context, m_offset);
    setDirty(false);
}

CMouseEventResult CDefaultSplashScreenView::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    if (m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

bool CDefaultSplashScreenView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CDefaultSplashScreenView") == 0 || CControl::isTypeOf(className);
}

CView* CDefaultSplashScreenView::newCopy() const
{
    return new CDefaultSplashScreenView(*this);
}
