#pragma once

#include "toolkit/CControl.h"

// A button with three states, 0, 0.5 and 1, stacked in its background from
// top to bottom. A click goes to 1, or back to 0 from 1; with Option it
// goes to 0.5, or back to 0 from 0.5.
class CTristateButton : public CControl
{
public:
    // Styles: when the listener hears of a click, before or after the
    // frame's idle has run.
    enum : std::int32_t
    {
        kNotifyAfterIdle = 0,
        kNotifyBeforeIdle = 1,
    };

    CTristateButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                    std::int32_t style = kNotifyAfterIdle);

    virtual std::int32_t getStyle() const { return m_style; }
    virtual void setStyle(std::int32_t style) { m_style = style; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    std::int32_t m_style;
};
