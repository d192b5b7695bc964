#include "editor/controls/CZentrovaButton.h"

#include <cstring>

CZentrovaButton::CZentrovaButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background)
    : COnOffButton(size, listener, tag, background, kNotifyAfterIdle)
{
}

void CZentrovaButton::getMidiEditRect(CRect& rect) const
{
    midiEditRectAbove(m_size, rect);
}

bool CZentrovaButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaButton") == 0 || COnOffButton::isTypeOf(className);
}
