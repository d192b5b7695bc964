#include "toolkit/CTooltipSupport.h"

#include "toolkit/CFrame.h"
#include "toolkit/CTimerRegistry.h"

#include "support/FakeClock.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
constexpr std::uint32_t kDelay = 1000;

// A frame in a fake window with two views that have tooltips, one whose
// tooltip is empty, and the tooltip support on the fake clock.
struct TooltipFrame
{
    TooltipFrame()
    {
        CTimerRegistry::setCurrent(&timers);
        frame = new CFrame(CRect(0, 0, 300, 100), platform.parentWindow(), nullptr);
        window = FakePlatform::windowOf(frame);
        first = addView(CRect(10, 10, 60, 30), "First");
        second = addView(CRect(70, 10, 120, 30), "Second");
        empty = addView(CRect(130, 10, 180, 30), "");
        tooltips = new CTooltipSupport(frame, kDelay);
    }
    ~TooltipFrame()
    {
        tooltips->release();
        frame->release();
        CTimerRegistry::setCurrent(nullptr);
    }

    CView* addView(const CRect& size, const char* text)
    {
        auto* view = new CView(size);
        view->setAttribute(CTooltipSupport::kTooltipAttribute, static_cast<std::int64_t>(std::strlen(text)), text);
        frame->addView(view);
        return view;
    }
    void move(CCoord h, CCoord v)
    {
        CPoint where(h, v);
        frame->onMouseMoved(where, 0);
    }
    void click(CCoord h, CCoord v)
    {
        CPoint where(h, v);
        frame->onMouseDown(where, kButtonLeft);
        frame->onMouseUp(where, kButtonLeft);
    }
    // The clock moves on by milliseconds, the timers firing every 10.
    void wait(std::uint64_t milliseconds)
    {
        for (std::uint64_t passed = 0; passed < milliseconds; passed += 10)
        {
            clock.advance(10);
            timers.fire(FakeClock::now());
        }
    }

    FakeClock clock;
    CTimerRegistry timers;
    FakePlatform platform;
    CFrame* frame;
    FakePlatformWindow* window;
    CView* first;
    CView* second;
    CView* empty;
    CTooltipSupport* tooltips;
};
} // namespace

TEST(CTooltipSupport, AStillMouseShowsTheTooltipCentredBelowAfterTheDelayAndAnEmptyTipNever)
{
    TooltipFrame f;
    f.move(30, 20);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipShowing);
    f.wait(kDelay - 10);
    EXPECT_FALSE(f.window->tooltipShown);
    f.wait(10);
    EXPECT_TRUE(f.window->tooltipShown);
    EXPECT_EQ(f.window->tooltipText, "First");
    EXPECT_EQ(f.window->tooltipAnchor, CRect(10, 10, 60, 30));
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipForceVisible);
    // The next tick makes it plainly visible and the timer rests.
    f.wait(100);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipVisible);
    EXPECT_EQ(f.timers.getNbRunning(), 0u);

    TooltipFrame g;
    g.move(150, 20);
    g.wait(3 * kDelay);
    EXPECT_EQ(g.tooltips->getState(), CTooltipSupport::kTooltipHidden);
    EXPECT_FALSE(g.window->tooltipShown);
}

TEST(CTooltipSupport, LeavingHidesAfter200MillisecondsAndTheNextViewWithinThemShowsAfter50)
{
    TooltipFrame f;
    f.move(30, 20);
    f.wait(kDelay + 100);
    f.move(65, 20);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipHiding);
    f.wait(100);
    EXPECT_TRUE(f.window->tooltipShown);
    f.move(90, 20);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipShowing);
    f.wait(50);
    EXPECT_EQ(f.window->tooltipText, "Second");
    EXPECT_EQ(f.window->tooltipAlpha, 0.95);

    // Off both views for good: hidden 200 ms later, then faded out.
    f.wait(100);
    f.move(250, 80);
    f.wait(190);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipHiding);
    f.wait(10);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipHidden);
    f.wait(50);
    EXPECT_TRUE(f.window->tooltipShown);
    EXPECT_LT(f.window->tooltipAlpha, 0.95);
    f.wait(200);
    EXPECT_FALSE(f.window->tooltipShown);
    EXPECT_EQ(f.timers.getNbRunning(), 0u);
}

TEST(CTooltipSupport, MovesOfTwoPixelsKeepTheDelayAndLargerOnesRestartIt)
{
    TooltipFrame f;
    f.move(30, 20);
    f.wait(500);
    f.move(32, 18);
    f.wait(500);
    EXPECT_TRUE(f.window->tooltipShown);

    TooltipFrame g;
    g.move(30, 20);
    g.wait(500);
    g.move(33, 20);
    g.wait(500);
    EXPECT_FALSE(g.window->tooltipShown);
    g.wait(500);
    EXPECT_TRUE(g.window->tooltipShown);
    // A visible tooltip goes when the mouse moves on within the view.
    g.wait(100);
    g.move(40, 20);
    EXPECT_EQ(g.tooltips->getState(), CTooltipSupport::kTooltipHiding);
}

TEST(CTooltipSupport, AClickHidesAVisibleTooltipAndCancelsAPendingOne)
{
    TooltipFrame f;
    f.move(30, 20);
    f.wait(kDelay + 100);
    f.click(30, 20);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipHidden);
    f.wait(300);
    EXPECT_FALSE(f.window->tooltipShown);

    TooltipFrame g;
    g.move(30, 20);
    g.wait(500);
    g.click(30, 20);
    g.wait(2 * kDelay);
    EXPECT_FALSE(g.window->tooltipShown);
    EXPECT_EQ(g.tooltips->getState(), CTooltipSupport::kTooltipHidden);
}

TEST(CTooltipSupport, AViewRemovedWhileItsTooltipWaitsIsNeverRead)
{
    TooltipFrame f;
    f.move(30, 20);
    f.wait(500);
    f.frame->removeView(f.first);
    EXPECT_EQ(f.tooltips->getCurrentView(), nullptr);
    f.wait(2 * kDelay);
    EXPECT_FALSE(f.window->tooltipShown);
    EXPECT_EQ(f.tooltips->getState(), CTooltipSupport::kTooltipHidden);

    // Removed while shown: the tooltip fades, the next view still works.
    f.move(90, 20);
    f.wait(kDelay + 100);
    f.frame->removeView(f.second);
    f.wait(300);
    EXPECT_FALSE(f.window->tooltipShown);
    f.addView(CRect(70, 10, 120, 30), "Third");
    f.move(100, 25);
    f.wait(kDelay);
    EXPECT_EQ(f.window->tooltipText, "Third");
}
