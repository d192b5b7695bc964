#include "toolkit/CTextButton.h"

#include <cstring>

#include "Source/shared/Utf8.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/SharedPointer.h"

namespace
{
constexpr CColor kFace{250, 250, 250, 255};
constexpr CColor kPressedFace{210, 210, 210, 255};
constexpr CColor kBorder{150, 150, 150, 255};
constexpr CColor kDefaultFace{56, 117, 215, 255};
constexpr CColor kDefaultPressedFace{40, 90, 170, 255};
constexpr CColor kText{0, 0, 0, 255};
constexpr CColor kDefaultText{255, 255, 255, 255};
} // namespace

CTextButton::CTextButton(const CRect& size, CControlListener* listener, std::int64_t tag, const char* title)
    : CControl(size, listener, tag), m_title(Utf8::makeValid(title ? title : ""))
{
}

void CTextButton::setTitle(const char* title)
{
    m_title = Utf8::makeValid(title ? title : "");
    setDirty(true);
}

void CTextButton::setDefault(bool state)
{
    m_default = state;
    setDirty(true);
}

void CTextButton::press()
{
    SharedPointer<CTextButton> self(this);
    m_value = 1.0f;
    if (m_listener)
        m_listener->valueChanged(this);
    m_value = 0.0f;
}

void CTextButton::draw(CDrawContext* context)
{
    context->setFillColor(kBorder);
    context->drawRect(m_size, kDrawFilled);
    CRect face(m_size);
    face.inset(1, 1);
    context->setFillColor(m_default ? (m_pressed ? kDefaultPressedFace : kDefaultFace)
                                    : (m_pressed ? kPressedFace : kFace));
    context->drawRect(face, kDrawFilled);
    context->setFont(kFontSystem);
    context->setFontColor(m_default ? kDefaultText : kText);
    context->drawString(m_title.c_str(), m_size, kCenterText, true);
    setDirty(false);
}

CMouseEventResult CTextButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    m_pressed = true;
    invalid();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CTextButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    const bool inside = where.isInside(m_size);
    if (inside != m_pressed)
    {
        m_pressed = inside;
        invalid();
    }
    return kMouseResultHandled;
}

CMouseEventResult CTextButton::onMouseUp(CPoint& where, const CButtonState&)
{
    const bool chosen = m_pressed && where.isInside(m_size);
    m_pressed = false;
    invalid();
    if (chosen)
        press();
    return kMouseResultHandled;
}

bool CTextButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextButton") == 0 || CControl::isTypeOf(className);
}

CView* CTextButton::newCopy() const
{
    return new CTextButton(*this);
}
