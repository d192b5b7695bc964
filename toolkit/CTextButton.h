#pragma once

#include <string>

#include "toolkit/CControl.h"

// A push button of a dialog, drawn with its title: a click released over
// it reports value 1 to the listener (and the value goes back to 0). The
// default button, the one Return presses, stands out. It reports no edits
// to the host.
class CTextButton : public CControl
{
public:
    CTextButton(const CRect& size, CControlListener* listener, std::int64_t tag, const char* title);

    void setTitle(const char* title);
    const std::string& getTitle() const { return m_title; }
    void setDefault(bool state);
    bool isDefault() const { return m_default; }
    // The listener hears the press as from a click.
    void press();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

private:
    std::string m_title;
    bool m_default = false;
    bool m_pressed = false;
};
