#include "toolkit/CKickButton.h"

#include <cstring>

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                         const CPoint& offset)
    : CKickButton(size, listener, tag, size.height(), background, offset)
{
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), m_offset(offset)
{
    m_heightOfOneImage = heightOfOneImage;
}

void CKickButton::draw(CDrawContext* context)
{
    CPoint source(m_offset);
    bounceValue();
    if (m_value != 0.0f)
        source.v += m_heightOfOneImage;
    drawBackground(context, source);
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_fEntryState = m_value;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (buttons & kButtonLeft)
    {
        if (where.isInside(m_size))
            m_value = m_fEntryState == 0.0f ? 1.0f : 0.0f;
        else
            m_value = m_fEntryState;
        if (isDirty())
            invalid();
    }
    return kMouseResultHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&)
{
    if (m_value != 0.0f && m_listener)
        m_listener->valueChanged(this);
    m_value = 0.0f;
    if (m_listener)
        m_listener->valueChanged(this);
    if (isDirty())
        invalid();
    endEdit();
    return kMouseResultHandled;
}

bool CKickButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKickButton") == 0 || CControl::isTypeOf(className);
}

CView* CKickButton::newCopy() const
{
    return new CKickButton(*this);
}
