#include "toolkit/CAnimKnob.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CBitmap.h"

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset), m_subPixmaps(subPixmaps)
{
    m_inset = 0;
    m_heightOfOneImage = heightOfOneImage;
    countImages();
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                     const CPoint& offset)
    : CAnimKnob(size, listener, tag, 0, size.height(), background, offset)
{
}

void CAnimKnob::countImages()
{
    if (m_background && m_heightOfOneImage != 0)
        m_subPixmaps = static_cast<std::int16_t>(m_background->getHeight() / m_heightOfOneImage);
}

void CAnimKnob::setHeightOfOneImage(const CCoord& height)
{
    IMultiBitmapControl::setHeightOfOneImage(height);
    countImages();
}

void CAnimKnob::draw(CDrawContext* context)
{
    // A value outside 0..1 shows the nearest end of the strip.
    float value = m_value >= 0.0f ? std::min<float>(m_value, 1.0f) : 0.0f;
    CCoord span = std::max<CCoord>(0, (m_subPixmaps - 1) * m_heightOfOneImage);
    CCoord y = toCoord((m_inverseBitmap ? 1.0 - value : static_cast<double>(value)) * span);
    // Down to the top of the image the value lies in.
    if (m_heightOfOneImage > 0 && y < span)
        y = y / m_heightOfOneImage * m_heightOfOneImage;
    drawBackground(context, CPoint(0, y));
    valueToPoint(m_lastDrawnPoint);
    setDirty(false);
}

bool CAnimKnob::isDirty() const
{
    if (!m_dirty)
    {
        // The value drawn last needs no trigonometry to say so.
        if (m_value == m_oldValue)
            return false;
        CPoint point;
        valueToPoint(point);
        if (point == m_lastDrawnPoint)
            return false;
    }
    return CKnob::isDirty();
}

bool CAnimKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CAnimKnob") == 0 || CKnob::isTypeOf(className);
}

CView* CAnimKnob::newCopy() const
{
    return new CAnimKnob(*this);
}
