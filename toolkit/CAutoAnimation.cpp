#include "toolkit/CAutoAnimation.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CAutoAnimation::CAutoAnimation(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                               CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      m_offset(offset),
      m_subPixmaps(subPixmaps),
      m_totalHeightOfBitmap(subPixmaps * heightOfOneImage)
{
    m_heightOfOneImage = heightOfOneImage;
}

CAutoAnimation::CAutoAnimation(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                               const CPoint& offset)
    : CAutoAnimation(size, listener, tag, background && size.height() > 0 ? background->getHeight() / size.height() : 0,
                     size.height(), background, offset)
{
}

void CAutoAnimation::nextPixmap()
{
    m_value += static_cast<float>(m_heightOfOneImage);
    if (m_value >= static_cast<float>(m_totalHeightOfBitmap - m_heightOfOneImage))
        m_value = 0.0f;
}

void CAutoAnimation::previousPixmap()
{
    m_value -= static_cast<float>(m_heightOfOneImage);
    // The last image starts a whole image above the end of the strip; one
    // pixel higher would show a row of the one before it.
    if (m_value < 0.0f)
        m_value = static_cast<float>(m_totalHeightOfBitmap - m_heightOfOneImage);
}

void CAutoAnimation::draw(CDrawContext* context)
{
    if (m_windowOpened)
        drawBackground(context, CPoint(m_offset.h, toCoord(std::trunc(m_value)) + m_offset.v));
    setDirty(false);
}

CMouseEventResult CAutoAnimation::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_value = 0.0f;
    if (m_windowOpened)
    {
        invalid();
        closeWindow();
    }
    else
    {
        openWindow();
        invalid();
    }
    if (m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

bool CAutoAnimation::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CAutoAnimation") == 0 || CControl::isTypeOf(className);
}

CView* CAutoAnimation::newCopy() const
{
    return new CAutoAnimation(*this);
}
