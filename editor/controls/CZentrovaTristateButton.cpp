#include "editor/controls/CZentrovaTristateButton.h"

#include <cstring>

CZentrovaTristateButton::CZentrovaTristateButton(const CRect& size, CControlListener* listener, std::int64_t tag,
                                                 CBitmap* background, std::int32_t style)
    : CTristateButton(size, listener, tag, background, style)
{
}

void CZentrovaTristateButton::getMidiEditRect(CRect& rect) const
{
    midiEditRectAbove(m_size, rect);
}

bool CZentrovaTristateButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaTristateButton") == 0 || CTristateButton::isTypeOf(className);
}
