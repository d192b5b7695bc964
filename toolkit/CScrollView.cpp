#include "toolkit/CScrollView.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CDrawContext.h"
#include "toolkit/CScrollContainer.h"
#include "toolkit/CScrollbar.h"

namespace
{
// An offset from a scrollbar's value, which may lie anywhere.
CCoord offsetOf(double position)
{
    return std::isnan(position) ? 0 : static_cast<CCoord>(std::clamp(position, -1e15, 1e15));
}
} // namespace

CScrollView::CScrollView(const CRect& size, const CRect& containerSize, CFrame* frame, std::int64_t style,
                         CCoord scrollbarWidth, CBitmap* background)
    : CViewContainer(size, frame, background), m_containerSize(containerSize), m_style(style)
{
    CCoord width = size.width();
    CCoord height = size.height();
    CRect scrollArea(0, 0, width, height);
    if (!(style & kDontDrawFrame))
        scrollArea.inset(1, 1);
    if (style & kHorizontalScrollbar)
    {
        CRect bar(0, height - scrollbarWidth, width, height);
        if (style & kVerticalScrollbar)
            bar.right -= scrollbarWidth - 1;
        m_hsb = new CScrollbar(bar, this, kHSBTag, CScrollbar::kHorizontal, containerSize);
        m_hsb->setAutosizeFlags(kAutosizeLeft | kAutosizeRight | kAutosizeBottom);
        CViewContainer::addView(m_hsb);
        scrollArea.bottom = bar.top;
    }
    if (style & kVerticalScrollbar)
    {
        CRect bar(width - scrollbarWidth, 0, width, height);
        if (style & kHorizontalScrollbar)
            bar.bottom -= scrollbarWidth - 1;
        m_vsb = new CScrollbar(bar, this, kVSBTag, CScrollbar::kVertical, containerSize);
        m_vsb->setAutosizeFlags(kAutosizeTop | kAutosizeRight | kAutosizeBottom);
        CViewContainer::addView(m_vsb);
        scrollArea.right = bar.left;
    }
    m_sc = new CScrollContainer(scrollArea, containerSize, frame);
    m_sc->setAutosizeFlags(kAutosizeAll);
    CViewContainer::addView(m_sc);
}

CScrollView::CScrollView(const CScrollView& view)
    : CViewContainer(view), CControlListener(), m_containerSize(view.m_containerSize), m_style(view.m_style)
{
    // The copied children: the bars report to this view now.
    for (CView* child : m_children)
    {
        if (child->isTypeOf("CScrollContainer"))
            m_sc = static_cast<CScrollContainer*>(child);
        else if (child->isTypeOf("CScrollbar"))
        {
            auto* bar = static_cast<CScrollbar*>(child);
            bar->setListener(this);
            (bar->getDirection() == CScrollbar::kVertical ? m_vsb : m_hsb) = bar;
        }
    }
}

bool CScrollView::addView(CView* view)
{
    return m_sc->addView(view);
}

bool CScrollView::addView(CView* view, const CRect& mouseableArea, bool mouseEnabled)
{
    return m_sc->addView(view, mouseableArea, mouseEnabled);
}

bool CScrollView::addView(CView* view, CView* before)
{
    return m_sc->addView(view, before);
}

bool CScrollView::removeView(CView* view, bool withRelease)
{
    return m_sc->removeView(view, withRelease);
}

bool CScrollView::removeAll(bool)
{
    return m_sc->removeAll(true);
}

bool CScrollView::isChild(CView* view) const
{
    return m_sc->isChild(view);
}

std::int64_t CScrollView::getNbViews() const
{
    return m_sc->getNbViews();
}

CView* CScrollView::getView(std::int64_t index) const
{
    return m_sc->getView(index);
}

const CPoint& CScrollView::getScrollOffset() const
{
    return m_sc->getScrollOffset();
}

bool CScrollView::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                          const CButtonState& buttons)
{
    if (CViewContainer::onWheel(where, axis, distance, buttons))
        return true;
    CScrollbar* bar = axis == kWheelAxisY ? m_vsb : m_hsb;
    if (!bar)
        return false;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    return bar->onWheel(local, axis, distance, buttons);
}

void CScrollView::setViewSize(const CRect& rect, bool invalidate)
{
    CViewContainer::setViewSize(rect, invalidate);
    setContainerSize(m_containerSize, true);
}

void CScrollView::setTransparency(bool state)
{
    CViewContainer::setTransparency(state);
    m_sc->setTransparency(state);
}

void CScrollView::setBackgroundColor(const CColor& color)
{
    CViewContainer::setBackgroundColor(color);
    m_sc->setBackgroundColor(color);
}

void CScrollView::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    CViewContainer::drawBackgroundRect(context, rect);
    if (m_style & kDontDrawFrame)
        return;
    context->setLineWidth(1);
    context->setFrameColor(kColorBlack);
    context->drawRect(CRect(0, 0, m_size.width(), m_size.height()), kDrawStroked);
}

void CScrollView::setContainerSize(const CRect& containerSize, bool keepVisibleArea)
{
    m_containerSize = containerSize;
    m_sc->setContainerSize(containerSize);
    const CRect& visible = m_sc->getViewSize();
    // The bar keeps showing the same part when asked to and it can.
    auto follow = [&](CScrollbar* bar, CCoord CRect::*near, CCoord CRect::*far) {
        if (!bar)
            return;
        auto length = [near, far](const CRect& r) { return r.*far - r.*near; };
        CCoord oldLength = length(bar->getScrollSize());
        float oldValue = bar->getValue();
        bar->setScrollSize(containerSize);
        CCoord newLength = length(containerSize);
        CCoord extent = newLength - length(visible);
        if (newLength < length(m_size))
            bar->setValue(0.0f);
        else if (keepVisibleArea && newLength != oldLength)
        {
            float value = extent > 0 ? static_cast<float>(oldLength - length(visible)) / extent * oldValue : 0.0f;
            bar->setValue(std::clamp(value, 0.0f, 1.0f));
        }
        valueChanged(bar);
    };
    follow(m_vsb, &CRect::top, &CRect::bottom);
    follow(m_hsb, &CRect::left, &CRect::right);
}

void CScrollView::valueChanged(CControl* control)
{
    float value = control->getValue();
    const CRect& vs = m_sc->getViewSize();
    const CRect& cs = m_sc->getContainerSize();
    CPoint offset = m_sc->getScrollOffset();
    switch (control->getTag())
    {
    case kHSBTag:
        // Horizontal offsets run negative as the view scrolls right: with
        // nothing to scroll, any offset goes back to 0.
        if (cs.width() <= vs.width())
        {
            if (offset.h == 0)
                return;
            offset.h = 0;
        }
        else
            offset.h = offsetOf(cs.left - (cs.width() - vs.width()) * static_cast<double>(value));
        break;
    case kVSBTag:
        if (cs.height() <= vs.height())
        {
            if (offset.v < 1)
                return;
            offset.v = 0;
        }
        else
            offset.v = offsetOf(cs.top + (cs.height() - vs.height()) * static_cast<double>(value));
        break;
    default:
        return;
    }
    m_sc->setScrollOffset(offset);
}

void CScrollView::makeRectVisible(const CRect& rect)
{
    CRect vs = m_sc->getViewSize();
    if (!(m_style & kDontDrawFrame))
    {
        --vs.left;
        ++vs.right;
    }
    CRect box(0, 0, vs.width(), vs.height());
    if (rect.left >= box.left && rect.right <= box.right && rect.top >= box.top && rect.bottom <= box.bottom)
        return;
    // How far each axis is scrolled, the inverse of valueChanged.
    const CRect& cs = m_sc->getContainerSize();
    const CRect& visible = m_sc->getViewSize();
    const CPoint& offset = m_sc->getScrollOffset();
    CCoord scrolledV = offset.v - cs.top;
    CCoord scrolledH = cs.left - offset.h;
    CCoord newV = scrolledV;
    CCoord newH = scrolledH;
    if (rect.top < box.top)
        newV -= box.top - rect.top;
    else if (rect.bottom > box.bottom)
        newV += rect.bottom - box.bottom;
    if (rect.left < box.left)
        newH -= box.left - rect.left;
    else if (rect.right > box.right)
        newH += rect.right - box.right;
    // A container exactly as long as the view has nothing to scroll.
    auto scrollTo = [this](CScrollbar* bar, CCoord scrolled, CCoord extent) {
        bar->setValue(extent > 0 ? std::clamp(static_cast<float>(scrolled) / extent, 0.0f, 1.0f) : 0.0f);
        valueChanged(bar);
    };
    if (m_vsb && newV != scrolledV)
        scrollTo(m_vsb, newV, cs.height() - visible.height());
    if (m_hsb && newH != scrolledH)
        scrollTo(m_hsb, newH, cs.width() - visible.width());
}

bool CScrollView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CScrollView") == 0 || CViewContainer::isTypeOf(className);
}

CView* CScrollView::newCopy() const
{
    return new CScrollView(*this);
}
