#pragma once

#include <string>

#include "toolkit/COnOffButton.h"

class CFontDesc;

// The button of one tab: an on/off image with the tab's name centred on
// it. A click, or a drag passing over it, tells the tab view.
class CTabButton : public COnOffButton
{
public:
    CTabButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background, const char* name);
    CTabButton(const CTabButton& button);
    ~CTabButton() override;

    // Retains font.
    void setTextFont(CFontDesc* font);
    CFontDesc* getTextFont() const { return m_font; }
    void setActiveTextColor(const CColor& color) { m_activeTextColor = color; }
    void setInactiveTextColor(const CColor& color) { m_inactiveTextColor = color; }
    // Null without a name.
    const char* getName() const { return m_hasName ? m_name.c_str() : nullptr; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    std::string m_name;
    bool m_hasName;
    CFontDesc* m_font;
    CColor m_activeTextColor = kColorBlack;
    CColor m_inactiveTextColor{90, 90, 90, 255};
};
