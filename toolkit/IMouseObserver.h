#pragma once

#include "toolkit/BaseTypes.h"

class CFrame;
class CView;

// Watches the mouse as the frame routes it (the tooltips do).
class IMouseObserver
{
public:
    virtual ~IMouseObserver() = default;
    virtual void onMouseEntered(CView* view, CFrame* frame) = 0;
    virtual void onMouseExited(CView* view, CFrame* frame) = 0;
    virtual void onMouseMoved(CFrame*, const CPoint&) {}
    virtual void onMouseDown(CFrame*, const CPoint&) {}
    // view, or an ancestor of it, leaves frame's tree: forget it.
    virtual void onViewRemoved(CView*, CFrame*) {}
};
