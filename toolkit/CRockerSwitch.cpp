#include "toolkit/CRockerSwitch.h"

#include <cstring>

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                             CBitmap* background, const CPoint& offset, std::int64_t style)
    : CControl(size, listener, tag, background), m_offset(offset), m_style(style)
{
    m_heightOfOneImage = heightOfOneImage;
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                             const CPoint& offset, std::int64_t style)
    : CRockerSwitch(size, listener, tag, size.height(), background, offset, style)
{
}

void CRockerSwitch::draw(CDrawContext* context)
{
    CPoint source(m_offset);
    if (m_value == 1.0f)
        source.v += 2 * m_heightOfOneImage;
    else if (m_value == 0.0f)
        source.v += m_heightOfOneImage;
    drawBackground(context, source);
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_fEntryState = m_value;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    if (!where.isInside(m_size))
        m_value = m_fEntryState;
    else if (m_style & kHorizontal)
        m_value = where.h <= m_size.left + m_size.width() / 2 ? -1.0f : 1.0f;
    else
        m_value = where.v <= m_size.top + m_size.height() / 2 ? -1.0f : 1.0f;
    if (isDirty() && m_listener)
        m_listener->valueChanged(this);
    if (isDirty())
        invalid();
    return kMouseResultHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    m_value = 0.0f;
    if (isDirty())
        invalid();
    endEdit();
    return kMouseResultHandled;
}

bool CRockerSwitch::onWheel(const CPoint&, const float& distance, const CButtonState&)
{
    if (!m_mouseEnabled)
        return false;
    m_value = distance > 0.0f ? -1.0f : 1.0f;
    beginEdit();
    if (isDirty() && m_listener)
        m_listener->valueChanged(this);
    m_value = 0.0f;
    if (m_listener)
        m_listener->valueChanged(this);
    endEdit();
    return true;
}

bool CRockerSwitch::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CRockerSwitch") == 0 || CControl::isTypeOf(className);
}

CView* CRockerSwitch::newCopy() const
{
    return new CRockerSwitch(*this);
}
