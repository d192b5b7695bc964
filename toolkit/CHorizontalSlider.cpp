#include "toolkit/CHorizontalSlider.h"

#include <cstring>

CHorizontalSlider::CHorizontalSlider(const CRect& size, CControlListener* listener, std::int64_t tag,
                                     const CPoint& offsetHandle, CCoord rangeHandle, CBitmap* handle,
                                     CBitmap* background, const CPoint& offset, std::int64_t style)
    : CSlider(size, listener, tag, offsetHandle, rangeHandle, handle, background, offset, style | kHorizontal)
{
}

CHorizontalSlider::CHorizontalSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos,
                                     CCoord maxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                                     std::int64_t style)
    : CSlider(size, listener, tag, minPos, maxPos, handle, background, offset, style | kHorizontal)
{
}

bool CHorizontalSlider::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CHorizontalSlider") == 0 || CSlider::isTypeOf(className);
}

CView* CHorizontalSlider::newCopy() const
{
    return new CHorizontalSlider(*this);
}
