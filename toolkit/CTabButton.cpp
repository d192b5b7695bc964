#include "toolkit/CTabButton.h"

#include <cmath>
#include <cstring>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

CTabButton::CTabButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                       const char* name)
    : COnOffButton(size, listener, tag, background, kNotifyAfterIdle),
      m_name(name ? name : ""),
      m_hasName(name != nullptr),
      m_font(kFontSystem)
{
    m_font->retain();
}

CTabButton::CTabButton(const CTabButton& button)
    : COnOffButton(button),
      m_name(button.m_name),
      m_hasName(button.m_hasName),
      m_font(button.m_font),
      m_activeTextColor(button.m_activeTextColor),
      m_inactiveTextColor(button.m_inactiveTextColor)
{
    m_font->retain();
}

CTabButton::~CTabButton()
{
    m_font->release();
}

void CTabButton::setTextFont(CFontDesc* font)
{
    if (!font)
        return;
    font->retain();
    m_font->release();
    m_font = font;
    setDirty();
}

void CTabButton::draw(CDrawContext* context)
{
    COnOffButton::draw(context);
    if (m_hasName)
    {
        context->setFont(m_font);
        context->setFontColor(m_value != 0.0f ? m_activeTextColor : m_inactiveTextColor);
        context->drawString(m_name.c_str(), m_size, kCenterText, true);
    }
    setDirty(false);
}

CMouseEventResult CTabButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_value = std::trunc(m_value) == 0.0f ? 1.0f : 0.0f;
    invalid();
    if (m_listener)
        m_listener->valueChanged(this);
    return kMouseResultHandledNoTracking;
}

void CTabButton::onDragEnter(CDragContainer*, const CPoint&)
{
    m_value = 1.0f;
    invalid();
    if (m_listener)
        m_listener->valueChanged(this);
}

bool CTabButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTabButton") == 0 || COnOffButton::isTypeOf(className);
}

CView* CTabButton::newCopy() const
{
    return new CTabButton(*this);
}
