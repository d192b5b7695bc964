#include "toolkit/CHorizontalSwitch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag,
                                     std::int64_t subPixmaps, CCoord heightOfOneImage, std::int64_t maxPositions,
                                     CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      m_offset(offset),
      m_subPixmaps(subPixmaps),
      m_maxPositions(maxPositions)
{
    m_heightOfOneImage = heightOfOneImage;
    m_defaultValue = 0.0f;
}

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, std::int64_t tag,
                                     CBitmap* background, const CPoint& offset)
    : CHorizontalSwitch(size, listener, tag, 0, size.height(), 0, background, offset)
{
    if (background && m_heightOfOneImage > 0)
        m_subPixmaps = m_maxPositions = background->getHeight() / m_heightOfOneImage;
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    // Fewer than two positions have only the first image; a value set
    // outside 0..1 shows the nearest end.
    CCoord image = 0;
    if (m_maxPositions > 1)
        image = std::clamp<CCoord>(toCoord((m_maxPositions - 1) * static_cast<double>(m_value) + 0.5), 0,
                                   m_maxPositions - 1);
    drawBackground(context, CPoint(0, m_heightOfOneImage * image));
    setDirty(false);
}

CMouseEventResult CHorizontalSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    // Without a background the switch measures its own width.
    CCoord width = m_background ? m_background->getWidth() : m_size.width();
    m_coef = m_maxPositions > 0 ? static_cast<double>(width) / m_maxPositions : 0.0;
    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseResultHandledNoTracking;
    }
    return onMouseMoved(where, buttons);
}

CMouseEventResult CHorizontalSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    double value = 0.0;
    if (m_maxPositions > 1 && m_coef > 0.0)
        value = std::trunc((where.h - m_size.left) / m_coef) / static_cast<double>(m_maxPositions - 1);
    m_value = static_cast<float>(std::clamp(value, 0.0, 1.0));
    if (isDirty() && m_listener)
        m_listener->valueChanged(this);
    if (isDirty())
        invalid();
    return kMouseResultHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    endEdit();
    return kMouseResultHandled;
}

bool CHorizontalSwitch::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CHorizontalSwitch") == 0 || CControl::isTypeOf(className);
}

CView* CHorizontalSwitch::newCopy() const
{
    return new CHorizontalSwitch(*this);
}
