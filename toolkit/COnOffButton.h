#pragma once

#include "toolkit/CControl.h"

// A two-state button: the upper half of its background is off, the lower
// half on. A click toggles it.
class COnOffButton : public CControl
{
public:
    // Styles: when the listener hears of a click, before or after the
    // frame's idle has run.
    enum : std::int64_t
    {
        kNotifyAfterIdle = 0,
        kNotifyBeforeIdle = 1,
    };

    COnOffButton(const CRect& size, CControlListener* listener = nullptr, std::int64_t tag = 0,
                 CBitmap* background = nullptr, std::int64_t style = kNotifyAfterIdle);

    std::int64_t getStyle() const { return m_style; }
    void setStyle(std::int64_t style) { m_style = style; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    std::int64_t m_style;
};
