#include "editor/controls/CKey.h"

#include <cstring>

#include "toolkit/CBitmap.h"

CKey::CKey(const CRect& size, CBitmap* image, CCoord heightOfOneState)
    : CView(size), m_image(image), m_heightOfOneState(heightOfOneState)
{
    // The keyboard takes every click.
    setMouseEnabled(false);
}

void CKey::setState(std::int32_t state)
{
    if (state == m_state)
        return;
    m_state = state;
    setDirty();
}

void CKey::draw(CDrawContext* context)
{
    if (m_image)
        m_image->draw(context, m_size, CPoint(0, m_state * m_heightOfOneState));
    setDirty(false);
}

bool CKey::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKey") == 0 || CView::isTypeOf(className);
}
