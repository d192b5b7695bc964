#include "toolkit/CScrollbar.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CScrollbar, TheScrollerShowsThePartInViewAndIsAbsentWhenAllIs)
{
    CScrollbar bar(CRect(0, 0, 16, 100), nullptr, 0, CScrollbar::kVertical, CRect(0, 0, 100, 400));
    EXPECT_EQ(bar.getScrollerLength(), 25);
    EXPECT_EQ(bar.getScrollerRect(), CRect(2, 2, 14, 27));
    bar.setValue(1.0f);
    EXPECT_EQ(bar.getScrollerRect(), CRect(2, 73, 14, 98));
    TestCanvas canvas(16, 100);
    bar.draw(canvas.context());
    EXPECT_EQ(canvas.pixel(8, 80), argb(kColorBlue));

    bar.setScrollSize(CRect(0, 0, 100, 100));
    EXPECT_EQ(bar.getScrollerLength(), 0);
    bar.draw(canvas.context());
    EXPECT_NE(canvas.pixel(8, 80), argb(kColorBlue));
    CPoint where(8, 10);
    EXPECT_EQ(bar.onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_EQ(bar.getValue(), 1.0f);
}

TEST(CScrollbar, HoldingTheMouseBesideTheScrollerPagesAtOnceThenAfter250AndEvery80Milliseconds)
{
    EditorHarness open;
    RecordingListener listener;
    auto* bar = new CScrollbar(CRect(0, 0, 16, 100), &listener, 1, CScrollbar::kVertical, CRect(0, 0, 100, 400));
    open.frame()->addView(bar);
    CPoint below(8, 90);
    EXPECT_EQ(open.frame()->onMouseDown(below, kButtonLeft), kMouseResultHandled);
    auto tick = [&](std::uint64_t ms) {
        open.clock.advance(ms);
        open.editor->idle();
    };
    tick(249);
    EXPECT_EQ(listener.log.size(), 1u);
    tick(1);
    tick(79);
    EXPECT_EQ(listener.log.size(), 2u);
    tick(1);
    tick(80);
    tick(80);
    EXPECT_EQ(listener.log, (Log{"changed 1 0.260417", "changed 1 0.520833", "changed 1 0.78125", "changed 1 1"}));
    open.frame()->onMouseUp(below, 0);
    EXPECT_EQ(open.editor->getTimers().getNbRunning(), 0u);
}

TEST(CScrollbar, ADraggedScrollerFollowsTheMouseAndADestroyedBarStopsPaging)
{
    EditorHarness open;
    auto* bar = new CScrollbar(CRect(0, 0, 16, 100), nullptr, 1, CScrollbar::kVertical, CRect(0, 0, 100, 400));
    open.frame()->addView(bar);
    CPoint onScroller(8, 10);
    open.frame()->onMouseDown(onScroller, kButtonLeft);
    CPoint lower(8, 10 + 71 / 2);
    open.frame()->onMouseMoved(lower, kButtonLeft);
    EXPECT_NEAR(bar->getValue(), 35.0f / 71.0f, 1e-6);
    open.frame()->onMouseUp(lower, 0);

    CPoint below(8, 90);
    open.frame()->onMouseDown(below, kButtonLeft);
    EXPECT_EQ(open.editor->getTimers().getNbRunning(), 1u);
    open.frame()->removeView(bar);
    EXPECT_EQ(open.editor->getTimers().getNbRunning(), 0u);
    open.clock.advance(1000);
    open.editor->idle();
}

TEST(CScrollbar, TheWheelStepsByItsIncrementAndAVerticalWheelScrollsAHorizontalBarRight)
{
    CScrollbar vertical(CRect(0, 0, 16, 100), nullptr, 1, CScrollbar::kVertical, CRect(0, 0, 100, 400));
    vertical.setValue(0.5f);
    vertical.onWheel(CPoint(), kWheelAxisY, 1.0f, 0);
    EXPECT_FLOAT_EQ(vertical.getValue(), 0.45f);
    vertical.onWheel(CPoint(), kWheelAxisY, -1.0f, kModShift);
    EXPECT_FLOAT_EQ(vertical.getValue(), 0.455f);

    CScrollbar horizontal(CRect(0, 0, 100, 16), nullptr, 0, CScrollbar::kHorizontal, CRect(0, 0, 400, 100));
    horizontal.onWheel(CPoint(), kWheelAxisY, 1.0f, 0);
    EXPECT_FLOAT_EQ(horizontal.getValue(), 0.05f);
    horizontal.onWheel(CPoint(), kWheelAxisX, 1.0f, 0);
    EXPECT_FLOAT_EQ(horizontal.getValue(), 0.0f);
}
