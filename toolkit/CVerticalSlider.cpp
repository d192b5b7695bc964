#include "toolkit/CVerticalSlider.h"

#include <cstring>

CVerticalSlider::CVerticalSlider(const CRect& size, CControlListener* listener, std::int64_t tag,
                                 const CPoint& offsetHandle, CCoord rangeHandle, CBitmap* handle, CBitmap* background,
                                 const CPoint& offset, std::int64_t style)
    : CSlider(size, listener, tag, offsetHandle, rangeHandle, handle, background, offset,
              (style | kVertical) & ~kHorizontal)
{
}

CVerticalSlider::CVerticalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos,
                                 CCoord maxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                                 std::int64_t style)
    : CSlider(size, listener, tag, minPos, maxPos, handle, background, offset, (style | kVertical) & ~kHorizontal)
{
}

bool CVerticalSlider::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CVerticalSlider") == 0 || CSlider::isTypeOf(className);
}

CView* CVerticalSlider::newCopy() const
{
    return new CVerticalSlider(*this);
}
