#include "toolkit/CControl.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

CButtonState CControl::s_zoomModifier = kModShift;
CButtonState CControl::s_defaultValueModifier = kModCommand;

CControl::CControl(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background)
    : CView(size), m_listener(listener), m_tag(tag)
{
    m_transparency = false;
    m_mouseEnabled = true;
    setBackground(background);
    // A new control is dirty through its old value alone.
    m_dirty = false;
    m_oldValue = 1.0f;
}

CControl::CControl(const CControl& control)
    : CView(control),
      m_listener(control.m_listener),
      m_tag(control.m_tag),
      m_oldValue(control.m_oldValue),
      m_defaultValue(control.m_defaultValue),
      m_value(control.m_value),
      m_vmin(control.m_vmin),
      m_vmax(control.m_vmax),
      m_wheelInc(control.m_wheelInc)
{
}

void CControl::processIdle()
{
    if (m_frame)
        m_frame->processIdle();
}

void CControl::bounceValue()
{
    if (m_value > m_vmax)
        m_value = m_vmax;
    else if (m_value < m_vmin)
        m_value = m_vmin;
}

bool CControl::checkDefaultValue(CButtonState buttons)
{
    if (buttons != (s_defaultValueModifier | kButtonLeft))
        return false;
    beginEdit();
    m_value = getDefaultValue();
    if (isDirty() && m_listener)
        m_listener->valueChanged(this);
    endEdit();
    return true;
}

void CControl::beginEdit()
{
    ++m_openEdits;
    if (m_listener)
        m_listener->controlBeginEdit(this);
    if (m_frame)
    {
        m_frame->setFocusView(this);
        m_frame->beginEdit(static_cast<std::int32_t>(m_tag));
    }
}

void CControl::endEdit()
{
    if (m_openEdits > 0)
        --m_openEdits;
    if (m_frame)
        m_frame->endEdit(static_cast<std::int32_t>(m_tag));
    if (m_listener)
        m_listener->controlEndEdit(this);
}

void CControl::onMouseCancel()
{
    for (std::int32_t open = m_openEdits; open > 0; --open)
        endEdit();
    m_openEdits = 0;
}

void CControl::reportClick(bool beforeIdle)
{
    if (m_listener && beforeIdle)
    {
        beginEdit();
        m_listener->valueChanged(this);
        endEdit();
    }
    processIdle();
    if (m_listener && !beforeIdle)
    {
        beginEdit();
        m_listener->valueChanged(this);
        endEdit();
    }
}

void CControl::copyBackOffset()
{
    m_backOffset = m_size.getTopLeft();
}

bool CControl::isDirty() const
{
    return m_dirty || m_value != m_oldValue;
}

void CControl::setDirty(bool state)
{
    CView::setDirty(state);
    if (state)
        m_oldValue = m_value == -1.0f ? 0.0f : -1.0f;
    else
        m_oldValue = m_value;
}

std::int32_t CControl::modifierClicked(const CButtonState& buttons)
{
    return m_listener ? m_listener->controlModifierClicked(this, buttons) : 0;
}

bool CControl::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CControl") == 0 || CView::isTypeOf(className);
}

CButtonState CControl::modifiersOfKey(unsigned char keyModifier)
{
    CButtonState buttons = 0;
    if (keyModifier & kKeyModShift)
        buttons |= kModShift;
    if (keyModifier & kKeyModOption)
        buttons |= kModOption;
    if (keyModifier & kKeyModCommand)
        buttons |= kModCommand;
    if (keyModifier & kKeyModControl)
        buttons |= kModControl;
    return buttons;
}

bool CControl::wheelStep(float distance, CButtonState buttons)
{
    if (!m_mouseEnabled)
        return false;
    float step = distance;
    if (buttons & s_zoomModifier)
        step *= 0.1f;
    float before = m_value;
    m_value += step * m_wheelInc;
    bounceValue();
    // A strip knob may call a small change clean, as it needs no redraw;
    // the listener hears of it all the same.
    if ((isDirty() || m_value != before) && m_listener)
    {
        beginEdit();
        m_listener->valueChanged(this);
        endEdit();
    }
    return true;
}

CKeyResult CControl::arrowKeyStep(const VstKeyCode& keyCode)
{
    if (keyCode.virt < VKEY_LEFT || keyCode.virt > VKEY_DOWN)
        return kKeyNotHandled;
    float distance = keyCode.virt == VKEY_DOWN || keyCode.virt == VKEY_LEFT ? -1.0f : 1.0f;
    if (modifiersOfKey(keyCode.modifier) & s_zoomModifier)
        distance *= 0.1f;
    float before = m_value;
    m_value += distance * m_wheelInc;
    bounceValue();
    if ((isDirty() || m_value != before) && m_listener)
    {
        beginEdit();
        m_listener->valueChanged(this);
        endEdit();
    }
    return kKeyHandled;
}

void CControl::drawBackground(CDrawContext* context, const CPoint& source, const CRect& rect)
{
    if (!m_background)
        return;
    if (m_transparency)
        m_background->drawTransparent(context, rect, source);
    else
        m_background->draw(context, rect, source);
}

CCoord CControl::toCoord(double value)
{
    // Far beyond any surface, and safely inside the integer range.
    constexpr double kLimit = 1e15;
    if (std::isnan(value))
        return 0;
    if (value > kLimit)
        return static_cast<CCoord>(kLimit);
    if (value < -kLimit)
        return static_cast<CCoord>(-kLimit);
    return static_cast<CCoord>(value);
}
