#include "toolkit/CTooltipSupport.h"

#include <string>
#include <vector>

#include "toolkit/CFrame.h"
#include "toolkit/CVSTGUITimer.h"

namespace
{
constexpr std::uint32_t kReshowMillis = 50;
constexpr std::uint32_t kHideMillis = 200;
constexpr std::uint32_t kForceVisibleMillis = 100;
constexpr std::uint32_t kFadeMillis = 10;
// The tooltip shows at alpha 0.95 and loses 0.05 a fade tick.
constexpr int kFadeSteps = 19;
constexpr double kFadeStep = 0.05;
// Moves this small do not count as moving.
constexpr CCoord kMoveSlack = 2;

bool isSameOrInside(CView* candidate, CView* view)
{
    for (CView* v = candidate; v; v = v->getParentView())
        if (v == view)
            return true;
    return false;
}
} // namespace

CTooltipSupport::CTooltipSupport(CFrame* frame, std::uint32_t delay)
    : m_timer(new CVSTGUITimer(this, delay)), m_frame(frame), m_delay(delay)
{
    m_frame->retain();
    m_frame->setMouseObserver(this);
}

CTooltipSupport::~CTooltipSupport()
{
    m_timer->stop();
    m_timer->release();
    stopFade();
    if (m_windowShown)
        if (PlatformWindow* window = m_frame->getPlatformWindow())
            window->hideTooltip();
    if (m_frame->getMouseObserver() == this)
        m_frame->setMouseObserver(nullptr);
    m_frame->release();
}

void CTooltipSupport::restartTimer(std::uint32_t period)
{
    m_timer->stop();
    m_timer->setFireTime(period);
    m_timer->start();
}

void CTooltipSupport::stopTimer()
{
    m_timer->stop();
    m_timer->setFireTime(m_delay);
}

// --- Mouse -------------------------------------------------------------------------------------

void CTooltipSupport::onMouseEntered(CView* view, CFrame*)
{
    std::int64_t size = 0;
    if (!view || !view->getAttributeSize(kTooltipAttribute, size) || size < 1)
        return;
    m_currentView = view;
    if (m_state == kTooltipHidden)
    {
        m_state = kTooltipShowing;
        restartTimer(m_delay);
    }
    else if (m_state == kTooltipHiding)
    {
        // Moving on from one tooltip to the next: the next shows soon.
        m_state = kTooltipShowing;
        restartTimer(kReshowMillis);
    }
}

void CTooltipSupport::onMouseExited(CView*, CFrame*)
{
    if (!m_currentView)
        return;
    switch (m_state)
    {
    case kTooltipVisible:
    case kTooltipForceVisible:
    case kTooltipHiding:
        m_state = kTooltipHiding;
        restartTimer(kHideMillis);
        m_currentView = nullptr;
        return;
    case kTooltipShowing:
        hideTooltip();
        [[fallthrough]];
    default:
        stopTimer();
        m_currentView = nullptr;
        return;
    }
}

void CTooltipSupport::onMouseMoved(CFrame*, const CPoint& where)
{
    if (m_currentView && m_state != kTooltipForceVisible)
    {
        const bool moved = where.h < m_lastMouseMove.h - kMoveSlack || where.h > m_lastMouseMove.h + kMoveSlack ||
                           where.v < m_lastMouseMove.v - kMoveSlack || where.v > m_lastMouseMove.v + kMoveSlack;
        if (moved)
        {
            // A pending tooltip waits until the mouse rests.
            if (m_state == kTooltipHidden || m_state == kTooltipShowing)
            {
                if (m_timer->stop())
                    m_timer->start();
            }
            else if (m_state == kTooltipVisible)
            {
                m_state = kTooltipHiding;
                restartTimer(kHideMillis);
            }
        }
    }
    m_lastMouseMove = where;
}

void CTooltipSupport::onMouseDown(CFrame*, const CPoint&)
{
    if (m_state == kTooltipHidden)
        return;
    stopTimer();
    hideTooltip();
}

void CTooltipSupport::onViewRemoved(CView* view, CFrame*)
{
    // Panels are rebuilt during the idle: a pending tooltip must never
    // read a view that is gone.
    if (!m_currentView || !isSameOrInside(m_currentView, view))
        return;
    m_currentView = nullptr;
    if (m_state == kTooltipHiding)
        return;
    stopTimer();
    hideTooltip();
}

// --- Timer and window ---------------------------------------------------------------------------

std::int32_t CTooltipSupport::notify(CBaseObject* sender, const char* message)
{
    if (message != CVSTGUITimer::kMsgTimer)
        return 0;
    if (sender == m_fadeTimer)
    {
        PlatformWindow* window = m_frame->getPlatformWindow();
        if (--m_fadeSteps > 0)
        {
            if (window)
                window->setTooltipAlpha(m_fadeSteps * kFadeStep);
            return 1;
        }
        if (window)
            window->hideTooltip();
        m_windowShown = false;
        stopFade();
        return 1;
    }
    switch (m_state)
    {
    case kTooltipHiding:
        hideTooltip();
        stopTimer();
        break;
    case kTooltipShowing:
        if (!m_currentView)
        {
            m_state = kTooltipHidden;
            stopTimer();
            break;
        }
        showTooltip();
        m_timer->setFireTime(kForceVisibleMillis);
        break;
    case kTooltipForceVisible:
        m_state = kTooltipVisible;
        stopTimer();
        break;
    default:
        break;
    }
    return 1;
}

void CTooltipSupport::showTooltip()
{
    std::int64_t size = 0;
    m_currentView->getAttributeSize(kTooltipAttribute, size);
    std::vector<char> text(static_cast<std::size_t>(size) + 1, 0);
    m_currentView->getAttribute(kTooltipAttribute, size, text.data(), size);
    m_state = kTooltipForceVisible;
    stopFade();
    PlatformWindow* window = m_frame->getPlatformWindow();
    if (!window)
        return;
    CRect anchor = m_currentView->getViewSize();
    CPoint topLeft = anchor.getTopLeft();
    if (CView* parent = m_currentView->getParentView())
        parent->localToFrame(topLeft);
    anchor.moveTo(topLeft.h, topLeft.v);
    window->showTooltip(anchor, std::string(text.data()));
    m_windowShown = true;
}

void CTooltipSupport::hideTooltip()
{
    m_state = kTooltipHidden;
    if (!m_windowShown || m_fadeTimer)
        return;
    m_fadeSteps = kFadeSteps;
    m_fadeTimer = new CVSTGUITimer(this, kFadeMillis);
    m_fadeTimer->start();
}

void CTooltipSupport::stopFade()
{
    if (!m_fadeTimer)
        return;
    m_fadeTimer->stop();
    m_fadeTimer->release();
    m_fadeTimer = nullptr;
}
