#pragma once

#include "toolkit/CControlListener.h"
#include "toolkit/CViewContainer.h"

class CFontDesc;
class COptionMenu;
class CTextLabel;
class Zentrova;

// The patch menu of the current bank (entry i is program i), which can
// give way to a short message text. Transparent: it lies over its
// container's image.
class CPatchSelector : public CViewContainer, public CControlListener
{
public:
    // The menu carries the tag; a choice goes straight to the plug-in, so
    // the widget's listener hears nothing of it.
    CPatchSelector(const CRect& size, CFrame* frame, CControlListener* listener, std::int64_t tag,
                   CBitmap* background, Zentrova* effect);
    ~CPatchSelector() override;

    CPatchSelector(const CPatchSelector&) = delete;
    CPatchSelector& operator=(const CPatchSelector&) = delete;

    // The current bank's patch names, then the current program; an empty
    // bank shows the current patch's name and opens no menu.
    void rebuild();
    // A program outside the menu selects nothing.
    void selectCurrent();
    void renameEntry(std::int64_t program);
    void showText(const char* text);
    void showMenu();
    bool isShowingText() const;
    // While its own click runs (the menu is open).
    bool isBusy() const { return m_busy; }

    // Passed on to the menu and the message label.
    void setFont(CFontDesc* font);
    void setFontColor(const CColor& colour);
    void setBackColor(const CColor& colour);
    // The selector itself stays transparent.
    void setTransparency(bool state) override;
    const CColor& getFontColor() const;

    COptionMenu* getMenu() const { return m_menu; }
    CTextLabel* getLabel() const { return m_label; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void valueChanged(CControl* control) override;
    bool isTypeOf(const char* className) const override;

private:
    Zentrova* m_effect;
    // Both held here, whichever is shown.
    COptionMenu* m_menu;
    CTextLabel* m_label;
    bool m_busy = false;
    // The menu holds only the current patch's name: the bank is empty.
    bool m_standIn = false;
};
