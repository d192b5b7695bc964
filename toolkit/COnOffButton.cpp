#include "toolkit/COnOffButton.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                           std::int64_t style)
    : CControl(size, listener, tag, background), m_style(style)
{
}

void COnOffButton::draw(CDrawContext* context)
{
    if (m_background)
        drawBackground(context, CPoint(0, m_value == 0.0f ? 0 : m_background->getHeight() / 2));
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_value = std::trunc(m_value) == 0.0f ? 1.0f : 0.0f;
    invalid();
    reportClick(m_style == kNotifyBeforeIdle);
    return kMouseResultHandledNoTracking;
}

bool COnOffButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "COnOffButton") == 0 || CControl::isTypeOf(className);
}

CView* COnOffButton::newCopy() const
{
    return new COnOffButton(*this);
}
