#include "toolkit/CMovieButton.h"

#include <cstring>

CMovieButton::CMovieButton(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord heightOfOneImage,
                           CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), m_offset(offset), m_buttonState(m_value)
{
    m_heightOfOneImage = heightOfOneImage;
}

CMovieButton::CMovieButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                           const CPoint& offset)
    : CMovieButton(size, listener, tag, size.height(), background, offset)
{
}

void CMovieButton::draw(CDrawContext* context)
{
    bounceValue();
    drawBackground(context, CPoint(0, m_value != 0.0f ? m_heightOfOneImage : 0));
    m_buttonState = m_value;
    setDirty(false);
}

CMouseEventResult CMovieButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_fEntryState = m_value;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CMovieButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (buttons & kButtonLeft)
    {
        if (where.isInside(m_size))
            m_value = m_fEntryState == 0.0f ? 1.0f : 0.0f;
        else
            m_value = m_fEntryState;
        if (isDirty() && m_listener)
            m_listener->valueChanged(this);
        if (isDirty())
            invalid();
    }
    return kMouseResultHandled;
}

CMouseEventResult CMovieButton::onMouseUp(CPoint&, const CButtonState&)
{
    endEdit();
    return kMouseResultHandled;
}

bool CMovieButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMovieButton") == 0 || CControl::isTypeOf(className);
}

CView* CMovieButton::newCopy() const
{
    return new CMovieButton(*this);
}
