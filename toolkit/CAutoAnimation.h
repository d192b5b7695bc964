#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// An animation over a strip of images that a click opens and closes. Its
// value is the pixel offset of the image shown; whoever owns it steps it
// (a timer, say) with nextPixmap and previousPixmap.
class CAutoAnimation : public CControl, public IMultiBitmapControl
{
public:
    CAutoAnimation(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                   CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // One image as tall as the view, as many as the background holds.
    CAutoAnimation(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                   const CPoint& offset = CPoint());

    virtual void openWindow() { m_windowOpened = true; }
    virtual void closeWindow() { m_windowOpened = false; }
    bool isWindowOpened() const { return m_windowOpened; }
    // Steps one image on, back to the first before the last is reached.
    virtual void nextPixmap();
    // Steps one image back, from the first to the last.
    virtual void previousPixmap();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    std::int64_t m_subPixmaps;
    std::int64_t m_totalHeightOfBitmap;
    bool m_windowOpened = false;
};
