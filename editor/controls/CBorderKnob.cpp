#include "editor/controls/CBorderKnob.h"

#include <cstring>

#include "toolkit/CBitmap.h"

CBorderKnob::CBorderKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                         CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset)
    : CZentrovaKnob(size, listener, tag, frames, heightOfOneFrame, background, offset), m_borderRect(size)
{
    m_borderRect.inset(-4, -4);
    m_borderRect.normalize();
}

void CBorderKnob::draw(CDrawContext* context)
{
    if (m_handleBitmap)
    {
        const CPoint source(0, frameOf(m_value) * m_borderRect.height());
        if (m_transparency)
            m_handleBitmap->drawTransparent(context, m_borderRect, source);
        else
            m_handleBitmap->draw(context, m_borderRect, source);
    }
    setDirty(false);
}

bool CBorderKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CBorderKnob") == 0 || CZentrovaKnob::isTypeOf(className);
}
