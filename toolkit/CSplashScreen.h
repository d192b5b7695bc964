#pragma once

#include "toolkit/CControl.h"

// A button that shows a view as the frame's modal view; a click on the
// shown view takes it away again. Both clicks reach the listener: 1 when
// the view is shown, 0 when it goes.
class CSplashScreen : public CControl, public CControlListener
{
public:
    // Shows a CDefaultSplashScreenView of toDisplay that draws background
    // from offset.
    CSplashScreen(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                  const CRect& toDisplay, const CPoint& offset = CPoint());
    // The copy shows a copy of the view.
    CSplashScreen(const CSplashScreen& splash);
    ~CSplashScreen() override;

    // Takes the shown view away.
    virtual void unSplash();
    // Where the shown view goes, in the frame's coordinates.
    virtual void setDisplayArea(const CRect& rect);
    virtual CRect& getDisplayArea(CRect& rect) const { return rect = m_toDisplay; }
    void valueChanged(CControl* control) override;

    CView* getModalView() const { return m_modalView; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool hitTest(const CPoint& where, const CButtonState& buttons = -1) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CRect m_toDisplay;
    CRect m_unusedArea;
    CPoint m_offset;
    CView* m_modalView;
};
