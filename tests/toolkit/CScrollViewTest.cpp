#include "toolkit/CScrollView.h"
#include "toolkit/CScrollContainer.h"
#include "toolkit/CScrollbar.h"

#include "support/EditorHarness.h"

#include <gtest/gtest.h>

namespace
{
// A framed 100-pixel scroll view with both bars at (10, 10): the visible
// area is 83 by 83 at (1, 1), and the container scrolls 256 pixels down.
struct ScrollView
{
    explicit ScrollView(CRect container = CRect(0, 0, 300, 339)) : open(CRect(0, 0, 200, 200))
    {
        view = new CScrollView(CRect(10, 10, 110, 110), container, open.frame(),
                               CScrollView::kHorizontalScrollbar | CScrollView::kVerticalScrollbar);
        open.frame()->addView(view);
        child = new CView(CRect(0, 0, 50, 50));
        view->addView(child);
    }
    EditorHarness open;
    CScrollView* view;
    CView* child;
};
} // namespace

TEST(CScrollView, TheBarsAndTheScrolledAreaShareTheView)
{
    ScrollView s;
    EXPECT_EQ(s.view->getHorizontalScrollbar()->getViewSize(), CRect(0, 84, 85, 100));
    EXPECT_EQ(s.view->getVerticalScrollbar()->getViewSize(), CRect(84, 0, 100, 85));
    EXPECT_EQ(s.view->getScrollContainer()->getViewSize(), CRect(1, 1, 84, 84));
    EXPECT_EQ(s.view->getNbViews(), 1);
    EXPECT_EQ(s.view->getView(0), s.child);
    EXPECT_EQ(s.view->CViewContainer::getNbViews(), 3);
}

TEST(CScrollView, TheBarsMoveTheChildrenAndTheFrameScrollsWhatIsDrawn)
{
    ScrollView s;
    CScrollbar* vsb = s.view->getVerticalScrollbar();
    vsb->setValue(1.0f);
    s.view->valueChanged(vsb);
    EXPECT_EQ(s.child->getViewSize(), CRect(0, -256, 50, -206));
    ASSERT_FALSE(s.open.window->scrolls.empty());
    EXPECT_EQ(s.open.window->scrolls.back().first, CRect(11, 11, 94, 94));
    EXPECT_EQ(s.open.window->scrolls.back().second, CPoint(0, -256));

    CScrollbar* hsb = s.view->getHorizontalScrollbar();
    hsb->setValue(0.5f);
    s.view->valueChanged(hsb);
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(-108, 256));
    EXPECT_EQ(s.child->getMouseableArea(), CRect(-108, -256, -58, -206));
}

TEST(CScrollView, OffsetsStayWithinTheContainer)
{
    ScrollView s;
    s.view->getScrollContainer()->setScrollOffset(CPoint(0, -50));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 0));
    s.view->getScrollContainer()->setScrollOffset(CPoint(1000, 1000));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(300, 339));
}

TEST(CScrollView, AContainerSmallerThanTheViewScrollsBackToItsOrigin)
{
    ScrollView s;
    s.view->getVerticalScrollbar()->setValue(1.0f);
    s.view->valueChanged(s.view->getVerticalScrollbar());
    s.view->getHorizontalScrollbar()->setValue(0.5f);
    s.view->valueChanged(s.view->getHorizontalScrollbar());
    s.view->setContainerSize(CRect(0, 0, 50, 50));
    EXPECT_EQ(s.view->getVerticalScrollbar()->getValue(), 0.0f);
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 0));
    EXPECT_EQ(s.child->getViewSize(), CRect(0, 0, 50, 50));
}

TEST(CScrollView, MakeRectVisibleScrollsJustEnough)
{
    ScrollView s;
    s.view->makeRectVisible(CRect(0, 100, 10, 120));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 37));
    s.view->makeRectVisible(CRect(0, 10, 10, 20));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 37));
    s.view->makeRectVisible(CRect(0, -7, 10, 20));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 30));
    s.view->makeRectVisible(CRect(100, 0, 110, 10));
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(-25, 30));

    ScrollView exact(CRect(0, 0, 83, 83));
    exact.view->makeRectVisible(CRect(0, 100, 10, 120));
    EXPECT_EQ(exact.view->getVerticalScrollbar()->getValue(), 0.0f);
    EXPECT_EQ(exact.view->getScrollOffset(), CPoint(0, 0));
}

TEST(CScrollView, AWheelNoChildTakesMovesTheBarOfItsAxis)
{
    ScrollView s;
    EXPECT_TRUE(s.open.frame()->onWheel(CPoint(80, 80), kWheelAxisY, -1.0f, 0));
    EXPECT_FLOAT_EQ(s.view->getVerticalScrollbar()->getValue(), 0.05f);
    EXPECT_EQ(s.view->getScrollOffset(), CPoint(0, 12));
}
