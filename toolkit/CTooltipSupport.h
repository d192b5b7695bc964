#pragma once

#include <cstdint>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"
#include "toolkit/CView.h"
#include "toolkit/IMouseObserver.h"

class CFrame;
class CVSTGUITimer;

// Shows the tooltip text of the view under the mouse (its 'cvtt'
// attribute) after a delay, in the tooltip window of the frame's platform
// window. It watches the mouse as the frame's mouse observer and runs on
// the editor's timers.
class CTooltipSupport : public CBaseObject, public IMouseObserver
{
public:
    enum State : std::uint32_t
    {
        kTooltipHidden = 0,
        kTooltipVisible = 1,
        kTooltipHiding = 2,
        kTooltipShowing = 3,
        kTooltipForceVisible = 4,
    };
    static constexpr std::uint32_t kTooltipAttribute = attributeId("cvtt");

    CTooltipSupport(CFrame* frame, std::uint32_t delay = 1000);
    ~CTooltipSupport() override;
    CTooltipSupport(const CTooltipSupport&) = delete;
    CTooltipSupport& operator=(const CTooltipSupport&) = delete;

    std::int32_t notify(CBaseObject* sender, const char* message) override;

    void onMouseEntered(CView* view, CFrame* frame) override;
    void onMouseExited(CView* view, CFrame* frame) override;
    void onMouseMoved(CFrame* frame, const CPoint& where) override;
    void onMouseDown(CFrame* frame, const CPoint& where) override;
    void onViewRemoved(CView* view, CFrame* frame) override;

    std::uint32_t getState() const { return m_state; }
    CView* getCurrentView() const { return m_currentView; }

private:
    void showTooltip();
    // State hidden; a shown tooltip fades out.
    void hideTooltip();
    void stopFade();
    void restartTimer(std::uint32_t period);
    void stopTimer();

    CVSTGUITimer* m_timer;
    CFrame* m_frame;
    CView* m_currentView = nullptr;
    std::uint32_t m_delay;
    std::uint32_t m_state = kTooltipHidden;
    CPoint m_lastMouseMove;

    CVSTGUITimer* m_fadeTimer = nullptr;
    int m_fadeSteps = 0;
    bool m_windowShown = false;
};
