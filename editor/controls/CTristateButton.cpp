#include "editor/controls/CTristateButton.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CTristateButton::CTristateButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                                 std::int32_t style)
    : CControl(size, listener, tag, background), m_style(style)
{
}

void CTristateButton::draw(CDrawContext* context)
{
    if (m_background)
    {
        // A value outside 0..1 shows the nearest end.
        const double value = m_value > 0.0f ? std::min<float>(m_value, 1.0f) : 0.0f;
        const CCoord state = static_cast<CCoord>(2.0 * value + 0.5);
        drawBackground(context, CPoint(0, state * (m_background->getHeight() / 3)));
    }
    setDirty(false);
}

CMouseEventResult CTristateButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    if (m_listener && (buttons & (kModShift | kModControl | kModCommand)) &&
        m_listener->controlModifierClicked(this, buttons) != 0)
        return kMouseResultHandledNoTracking;

    if (buttons & kModOption)
        m_value = m_value == 0.5f ? 0.0f : 0.5f;
    else
        m_value = std::trunc(m_value) != 0.0f ? 0.0f : 1.0f;
    invalid();
    reportClick(m_style == kNotifyBeforeIdle);
    return kMouseResultHandledNoTracking;
}

bool CTristateButton::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTristateButton") == 0 || CControl::isTypeOf(className);
}

CView* CTristateButton::newCopy() const
{
    return new CTristateButton(*this);
}
