#include "editor/controls/CTextListRowText.h"

#include <cstring>

CTextListRowText::CTextListRowText(const CRect& size, CTextListRow* row, const char* text)
    : CTextLabel(size, text, nullptr, kNoFrame), m_row(row)
{
    setHoriAlign(kLeftText);
}

CMouseEventResult CTextListRowText::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_clickButtons = buttons;
    if (m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

bool CTextListRowText::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextListRowText") == 0 || CTextLabel::isTypeOf(className);
}
