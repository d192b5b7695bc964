#pragma once

#include <cstdint>

#include "toolkit/BaseTypes.h"

class CDrawContext;
class CScrollbar;

// Draws a scrollbar in place of its own plain drawing.
class IScrollbarDrawer
{
public:
    virtual ~IScrollbarDrawer() = default;
    virtual void drawBackground(CDrawContext* context, const CRect& rect, std::int32_t direction,
                                CScrollbar* scrollbar) = 0;
    virtual void drawScroller(CDrawContext* context, const CRect& rect, std::int32_t direction,
                              CScrollbar* scrollbar) = 0;
};
