#pragma once

#include "toolkit/CView.h"

// One key of the on-screen keyboard, or the lower part of a white key: an
// image with its up state on top of its down state.
class CKey : public CView
{
public:
    // image is not owned; the keyboard keeps it.
    CKey(const CRect& size, CBitmap* image, CCoord heightOfOneState);

    // 0 up, 1 down.
    void setState(std::int32_t state);
    std::int32_t getState() const { return m_state; }

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

private:
    CBitmap* m_image;
    CCoord m_heightOfOneState;
    std::int32_t m_state = 0;
};
