#pragma once

#include "toolkit/CControl.h"
#include "toolkit/IMultiBitmapControl.h"

// Shows its value, 0 to 1, as the nearest of subPixmaps images of a strip.
class CMovieBitmap : public CControl, public IMultiBitmapControl
{
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // One image as tall as the view, as many as the background holds.
    CMovieBitmap(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                 const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CPoint m_offset;
    std::int64_t m_subPixmaps;
};
