#include "toolkit/CTextLabel.h"

#include <cstring>

CTextLabel::CTextLabel(const CRect& size, const char* text, CBitmap* background, std::int64_t style)
    : CParamDisplay(size, background, style), m_text(text ? text : ""), m_hasText(text != nullptr)
{
}

void CTextLabel::setText(const char* text)
{
    if (!text && !m_hasText)
        return;
    if (text && m_hasText && m_text == text)
        return;
    m_hasText = text != nullptr;
    m_text = text ? text : "";
    setDirty(true);
}

void CTextLabel::draw(CDrawContext* context)
{
    drawText(context, getText());
    setDirty(false);
}

bool CTextLabel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextLabel") == 0 || CParamDisplay::isTypeOf(className);
}

CView* CTextLabel::newCopy() const
{
    return new CTextLabel(*this);
}
