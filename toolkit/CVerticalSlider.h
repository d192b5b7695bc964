#pragma once

#include "toolkit/CSlider.h"

// A slider along the vertical axis; by default the value grows from bottom to top.
class CVerticalSlider : public CSlider
{
public:
    CVerticalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, const CPoint& offsetHandle,
                    CCoord rangeHandle, CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                    std::int64_t style = kBottom);
    CVerticalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos, CCoord maxPos,
                    CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                    std::int64_t style = kBottom);

    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;
};
