#pragma once

#include "toolkit/CKnob.h"
#include "toolkit/IMultiBitmapControl.h"

// A knob drawn as one image of a vertical strip: the image below the
// value's place along the strip.
class CAnimKnob : public CKnob, public IMultiBitmapControl
{
public:
    CAnimKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());
    // One image as tall as the knob.
    CAnimKnob(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
              const CPoint& offset = CPoint());

    // The number of images follows from the background.
    void setHeightOfOneImage(const CCoord& height) override;
    // The strip runs from the value 1 down to 0.
    void setInverseBitmap(bool state) { m_inverseBitmap = state; }
    bool getInverseBitmap() const { return m_inverseBitmap; }

    void draw(CDrawContext* context) override;
    // Clean while the handle would stay where it was last drawn.
    bool isDirty() const override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void countImages();

    std::int64_t m_subPixmaps;
    bool m_inverseBitmap = false;
    CPoint m_lastDrawnPoint;
};
