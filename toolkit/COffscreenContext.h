#pragma once

#include "toolkit/CDrawContext.h"

class CBitmap;
class CView;

// A drawing context over pixels of its own (premultiplied ARGB32), or over a
// bitmap's pixels; used as a container's cache and to compose images.
class COffscreenContext : public CDrawContext
{
public:
    // width by height pixels, filled with background.
    COffscreenContext(CFrame* frame, CCoord width, CCoord height, const CColor& background = kColorBlack);
    // With drawInBitmap the bitmap's own pixels are drawn into; otherwise a
    // copy of the bitmap (black without one; 20 by 20 pixels).
    COffscreenContext(CView* view, CBitmap* bitmap, bool drawInBitmap = false);
    ~COffscreenContext() override;

    cairo_surface_t* getImage() override;
    CCoord getWidth() const { return m_width; }
    CCoord getHeight() const { return m_height; }

    // Draws these pixels into destination, clipped to destRect, so that the
    // pixel srcOffset lands on destRect's top-left corner.
    void copyFrom(CDrawContext* destination, const CRect& destRect, const CPoint& srcOffset = CPoint());

protected:
    void didDraw() override;

private:
    void createSurface();

    CBitmap* m_bitmap = nullptr;
    bool m_drawInBitmap = false;
    CCoord m_width = 0;
    CCoord m_height = 0;
    cairo_surface_t* m_surface = nullptr;
};
