#include "toolkit/CScrollContainer.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CFrame.h"

CScrollContainer::CScrollContainer(const CRect& size, const CRect& containerSize, CFrame* frame)
    : CViewContainer(size, frame, nullptr), m_containerSize(containerSize)
{
}

CScrollContainer::CScrollContainer(const CScrollContainer& container)
    : CViewContainer(container), m_containerSize(container.m_containerSize), m_offset(container.m_offset)
{
}

void CScrollContainer::setScrollOffset(CPoint offset)
{
    const CRect& cs = m_containerSize;
    offset.h = std::max(std::min(offset.h, cs.right), 2 * cs.left - cs.right);
    offset.v = std::max(std::min(offset.v, cs.bottom), cs.top);
    CCoord dx = offset.h - m_offset.h;
    CCoord dy = m_offset.v - offset.v;
    if (dx == 0 && dy == 0)
        return;
    for (CView* child : m_children)
    {
        CRect size = child->getViewSize();
        CRect area = child->getMouseableArea();
        child->setViewSize(size.offset(dx, dy), false);
        child->setMouseableArea(area.offset(dx, dy));
    }
    m_offset = offset;
    if (!m_attached || !m_frame)
        return;
    if (m_transparency)
    {
        invalid();
        return;
    }
    // The pixels already drawn move along; only what they uncover is drawn.
    CRect visible = getVisibleSize();
    if (visible.isEmpty())
        return;
    CPoint topLeft = visible.getTopLeft();
    if (CView* parent = getParentView())
        parent->localToFrame(topLeft);
    visible.moveTo(topLeft.h, topLeft.v);
    m_frame->scrollRect(visible, CPoint(dx, dy));
}

void CScrollContainer::setContainerSize(const CRect& containerSize)
{
    m_containerSize = containerSize;
    setScrollOffset(m_offset);
}

bool CScrollContainer::isDirty() const
{
    if (m_dirty)
        return true;
    CRect bounds(0, 0, m_size.width(), m_size.height());
    for (CView* child : m_children)
    {
        if (!child->isDirty())
            continue;
        CRect visible = child->getViewSize();
        visible.bound(bounds);
        if (visible.width() > 0 && visible.height() > 0)
            return true;
        child->setDirty(false);
    }
    return false;
}

bool CScrollContainer::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CScrollContainer") == 0 || CViewContainer::isTypeOf(className);
}

CView* CScrollContainer::newCopy() const
{
    return new CScrollContainer(*this);
}
