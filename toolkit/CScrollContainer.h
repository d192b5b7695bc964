#pragma once

#include "toolkit/CViewContainer.h"

// The inner container of a scroll view: its children lie in a larger
// virtual area and move when the scroll offset changes.
class CScrollContainer : public CViewContainer
{
public:
    CScrollContainer(const CRect& size, const CRect& containerSize, CFrame* frame);
    CScrollContainer(const CScrollContainer& container);

    // Moves the children to show the virtual area from offset on; the
    // offset is clamped to the container size first.
    virtual void setScrollOffset(CPoint offset);
    const CPoint& getScrollOffset() const { return m_offset; }
    // Takes the new virtual area and clamps the offset to it.
    virtual void setContainerSize(const CRect& containerSize);
    const CRect& getContainerSize() const { return m_containerSize; }

    // Children scrolled out of sight do not count, and are made clean.
    bool isDirty() const override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    CRect m_containerSize;
    CPoint m_offset;
};
