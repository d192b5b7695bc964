#pragma once

#include "toolkit/CSlider.h"

// A slider along the horizontal axis; by default the value grows from left to right.
class CHorizontalSlider : public CSlider
{
public:
    CHorizontalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, const CPoint& offsetHandle,
                      CCoord rangeHandle, CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                      std::int64_t style = kLeft);
    CHorizontalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos, CCoord maxPos,
                      CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
                      std::int64_t style = kLeft);

    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;
};
