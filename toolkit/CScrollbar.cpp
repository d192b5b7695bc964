#include "toolkit/CScrollbar.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CDrawContext.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/IScrollbarDrawer.h"
#include "toolkit/SharedPointer.h"

namespace
{
constexpr std::uint32_t kFirstPageDelay = 250;
constexpr std::uint32_t kPageInterval = 80;
} // namespace

CScrollbar::CScrollbar(const CRect& size, CControlListener* listener, std::int64_t tag, std::int32_t direction,
                       const CRect& scrollSize)
    : CControl(size, listener, tag, nullptr),
      m_direction(direction),
      m_scrollSize(scrollSize),
      m_scrollerArea(CRect(size).inset(2, 2))
{
    m_wheelInc = 0.05f;
    calculateScrollerLength();
}

CScrollbar::CScrollbar(const CScrollbar& scrollbar)
    : CControl(scrollbar),
      m_direction(scrollbar.m_direction),
      m_scrollSize(scrollbar.m_scrollSize),
      m_scrollerArea(scrollbar.m_scrollerArea),
      m_stepValue(scrollbar.m_stepValue),
      m_scrollerLength(scrollbar.m_scrollerLength),
      m_frameColor(scrollbar.m_frameColor),
      m_scrollerColor(scrollbar.m_scrollerColor),
      m_backgroundColor(scrollbar.m_backgroundColor),
      m_drawer(scrollbar.m_drawer)
{
}

CScrollbar::~CScrollbar()
{
    // A timer left running would tick into a freed scrollbar.
    stopPaging();
}

void CScrollbar::stopPaging()
{
    if (!m_timer)
        return;
    m_timer->stop();
    m_timer->release();
    m_timer = nullptr;
}

void CScrollbar::calculateScrollerLength()
{
    bool horizontal = m_direction == kHorizontal;
    CCoord own = horizontal ? m_size.width() : m_size.height();
    CCoord scrolled = horizontal ? m_scrollSize.width() : m_scrollSize.height();
    double ratio = scrolled > 0 ? static_cast<double>(own) / scrolled : 1.0;
    m_scrollerLength = ratio >= 1.0 ? 0 : toCoord(ratio * own);
}

CRect CScrollbar::getScrollerRect() const
{
    CRect scroller(m_scrollerArea);
    if (m_direction == kHorizontal)
    {
        scroller.left += toCoord((m_scrollerArea.width() - m_scrollerLength) * static_cast<double>(m_value));
        scroller.right = scroller.left + m_scrollerLength;
    }
    else
    {
        scroller.top += toCoord((m_scrollerArea.height() - m_scrollerLength) * static_cast<double>(m_value));
        scroller.bottom = scroller.top + m_scrollerLength;
    }
    return scroller;
}

void CScrollbar::setScrollSize(const CRect& scrollSize)
{
    m_scrollSize = scrollSize;
    calculateScrollerLength();
    setDirty();
}

void CScrollbar::setViewSize(const CRect& rect, bool invalidate)
{
    CControl::setViewSize(rect, invalidate);
    m_scrollerArea = CRect(rect).inset(2, 2);
    calculateScrollerLength();
}

void CScrollbar::draw(CDrawContext* context)
{
    if (m_drawer)
        m_drawer->drawBackground(context, m_size, m_direction, this);
    else
    {
        context->setLineWidth(1);
        context->setFillColor(m_backgroundColor);
        context->setFrameColor(m_frameColor);
        context->drawRect(m_size, kDrawFilledAndStroked);
    }
    if (m_scrollerLength > 0)
    {
        CRect scroller = getScrollerRect();
        if (m_drawer)
            m_drawer->drawScroller(context, scroller, m_direction, this);
        else
        {
            context->setFillColor(m_scrollerColor);
            context->setFrameColor(m_frameColor);
            context->drawRect(scroller, kDrawFilledAndStroked);
        }
    }
    setDirty(false);
}

CMouseEventResult CScrollbar::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (buttons != kButtonLeft || m_scrollerLength == 0)
        return kMouseResultHandledNoTracking;
    m_startPoint = where;
    m_scrollerRect = getScrollerRect();
    if (m_scrollerRect.pointInside(where))
    {
        m_scrolling = true;
        return kMouseResultHandled;
    }
    m_scrolling = false;
    if (!m_scrollerArea.pointInside(where))
        return kMouseResultHandledNoTracking;
    doStepping();
    stopPaging();
    m_timer = new CVSTGUITimer(this, kFirstPageDelay);
    m_timer->start();
    return kMouseResultHandled;
}

void CScrollbar::doStepping()
{
    CRect scroller = getScrollerRect();
    // Paging stops once the scroller has reached the mouse.
    if (m_timer && (!m_size.pointInside(m_startPoint) || scroller.pointInside(m_startPoint)))
        return;
    bool horizontal = m_direction == kHorizontal;
    CCoord areaLength = horizontal ? m_scrollerArea.width() : m_scrollerArea.height();
    float page = areaLength > 0 ? static_cast<float>(m_scrollerLength) / static_cast<float>(areaLength) : 0.0f;
    bool before = horizontal ? m_startPoint.h < scroller.left : m_startPoint.v < scroller.top;
    float newValue = std::clamp(before ? m_value - page : m_value + page, 0.0f, 1.0f);
    if (newValue == m_value)
        return;
    m_value = newValue;
    if (m_listener)
        m_listener->valueChanged(this);
    invalid();
}

std::int32_t CScrollbar::notify(CBaseObject* sender, const char* message)
{
    if (message == CVSTGUITimer::kMsgTimer && m_timer)
    {
        // The listener may let go of the scrollbar while it pages.
        SharedPointer<CScrollbar> guard(this);
        doStepping();
        // The listener may have ended the paging.
        if (m_timer)
            m_timer->setFireTime(kPageInterval);
        return 1;
    }
    return CControl::notify(sender, message);
}

CMouseEventResult CScrollbar::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    if (!m_scrolling)
    {
        // Paging goes on towards wherever the mouse is held now.
        m_startPoint = where;
        return kMouseResultHandled;
    }
    bool horizontal = m_direction == kHorizontal;
    CCoord pos = horizontal ? where.h - (m_startPoint.h - m_scrollerRect.left) - m_scrollerArea.left
                            : where.v - (m_startPoint.v - m_scrollerRect.top) - m_scrollerArea.top;
    CCoord travel = horizontal ? m_scrollerArea.width() - m_scrollerRect.width()
                               : m_scrollerArea.height() - m_scrollerRect.height();
    float newValue = travel > 0 ? std::clamp(static_cast<float>(pos) / travel, 0.0f, 1.0f) : 0.0f;
    if (newValue != m_value)
    {
        m_value = newValue;
        if (m_listener)
            m_listener->valueChanged(this);
        invalid();
    }
    return kMouseResultHandled;
}

CMouseEventResult CScrollbar::onMouseUp(CPoint&, const CButtonState&)
{
    stopPaging();
    m_scrolling = false;
    return kMouseResultHandled;
}

bool CScrollbar::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons)
{
    return onWheel(where, kWheelAxisY, distance, buttons);
}

bool CScrollbar::onWheel(const CPoint&, const CMouseWheelAxis& axis, const float& distance, const CButtonState& buttons)
{
    if (!m_mouseEnabled)
        return false;
    float notches = distance;
    // A vertical wheel over a horizontal bar scrolls it to the right.
    if (axis == kWheelAxisY && m_direction == kHorizontal)
        notches = -notches;
    if (buttons & getZoomModifier())
        m_value += notches * -0.1f * m_wheelInc;
    else
        m_value -= notches * m_wheelInc;
    bounceValue();
    if (isDirty() && m_listener)
    {
        m_listener->valueChanged(this);
        invalid();
    }
    return true;
}

bool CScrollbar::removed(CView* parent)
{
    stopPaging();
    m_scrolling = false;
    return CControl::removed(parent);
}

bool CScrollbar::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CScrollbar") == 0 || CControl::isTypeOf(className);
}

CView* CScrollbar::newCopy() const
{
    return new CScrollbar(*this);
}
