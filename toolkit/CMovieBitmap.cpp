#include "toolkit/CMovieBitmap.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                           CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), m_offset(offset), m_subPixmaps(subPixmaps)
{
    m_heightOfOneImage = heightOfOneImage;
}

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                           const CPoint& offset)
    : CMovieBitmap(size, listener, tag, background && size.height() > 0 ? background->getHeight() / size.height() : 0,
                   size.height(), background, offset)
{
}

void CMovieBitmap::draw(CDrawContext* context)
{
    CPoint source(m_offset);
    if (m_value > 1.0f)
        m_value = 1.0f;
    if (m_value > 0.0f)
        source.v += m_heightOfOneImage * toCoord(std::trunc((m_subPixmaps - 1) * static_cast<double>(m_value) + 0.5));
    drawBackground(context, source);
    setDirty(false);
}

bool CMovieBitmap::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMovieBitmap") == 0 || CControl::isTypeOf(className);
}

CView* CMovieBitmap::newCopy() const
{
    return new CMovieBitmap(*this);
}
