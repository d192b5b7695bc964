#include "toolkit/CTabView.h"
#include "toolkit/CTabButton.h"

#include "toolkit/CFontDesc.h"

#include "support/EditorHarness.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// A top-tabbed view with three tabs 80 wide and 20 high.
struct Tabs
{
    Tabs() : open(CRect(0, 0, 300, 100))
    {
        tabView = new CTabView(CRect(0, 0, 300, 100), open.frame(), CRect(0, 0, 80, 40));
        open.frame()->addView(tabView);
        for (int i = 0; i < 3; ++i)
        {
            views.push_back(new CView(CRect(0, 20, 300, 100)));
            views.back()->retain();
            tabView->addTab(views.back(), "tab");
        }
    }
    ~Tabs()
    {
        for (CView* view : views)
            view->release();
    }

    CTabButton* button(std::int64_t index) const
    {
        auto* strip = static_cast<CViewContainer*>(tabView->getView(0));
        return static_cast<CTabButton*>(strip->getView(index));
    }

    EditorHarness open;
    CTabView* tabView;
    std::vector<CView*> views;
};
} // namespace

TEST(CTabView, TabButtonsLineUpAlongTheTopAndTheFirstTabShows)
{
    Tabs t;
    for (std::int64_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(t.button(i)->getViewSize(), CRect(80 * i, 0, 80 * i + 80, 20));
        EXPECT_EQ(t.button(i)->getTag(), 20000 + i);
        EXPECT_EQ(t.button(i)->getValue(), i == 0 ? 1.0f : 0.0f);
    }
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), 0);
    EXPECT_TRUE(t.tabView->isChild(t.views[0]));
    CRect area;
    EXPECT_EQ(t.tabView->getTabViewSize(area), CRect(0, 20, 300, 100));
}

TEST(CTabView, AClickOnATabShowsItsView)
{
    Tabs t;
    CPoint third(170, 10);
    t.open.frame()->onMouseDown(third, kButtonLeft);
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), 2);
    EXPECT_TRUE(t.tabView->isChild(t.views[2]));
    EXPECT_FALSE(t.views[0]->isAttached());
    EXPECT_EQ(t.button(0)->getValue(), 0.0f);

    // A click on the tab shown keeps it shown.
    t.open.frame()->onMouseDown(third, kButtonLeft);
    EXPECT_EQ(t.button(2)->getValue(), 1.0f);
    EXPECT_FALSE(t.tabView->selectTab(5));
    EXPECT_FALSE(t.tabView->selectTab(3));
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), 2);
}

TEST(CTabView, RemovingATabMovesTheLaterOnesUpAndShowsThePreviousForTheCurrent)
{
    Tabs t;
    t.tabView->selectTab(2);
    EXPECT_TRUE(t.tabView->removeTab(t.views[1]));
    EXPECT_EQ(t.views[1]->getNbReference(), 1);
    EXPECT_EQ(t.button(1)->getViewSize(), CRect(80, 0, 160, 20));
    EXPECT_EQ(t.button(1)->getTag(), 20001);
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), 1);
    CPoint second(90, 10);
    t.open.frame()->onMouseDown(second, kButtonLeft);
    EXPECT_TRUE(t.tabView->isChild(t.views[2]));

    EXPECT_TRUE(t.tabView->removeTab(t.views[2]));
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), 0);
    EXPECT_TRUE(t.tabView->isChild(t.views[0]));
    EXPECT_TRUE(t.tabView->removeTab(t.views[0]));
    EXPECT_EQ(t.tabView->getCurrentSelectedTab(), -1);
    EXPECT_FALSE(t.tabView->removeTab(t.views[0]));
    EXPECT_EQ(t.tabView->getNbTabs(), 0);
}

TEST(CTabView, AlignedTabsSitAtTheStartTheMiddleOrTheEnd)
{
    Tabs t;
    t.tabView->alignTabs(CTabView::kAlignCenter);
    EXPECT_EQ(t.button(0)->getViewSize().left, 30);
    t.tabView->alignTabs(CTabView::kAlignEnd);
    EXPECT_EQ(t.button(2)->getViewSize().right, 300);
}

TEST(CTabView, TheShownTabsNameIsDrawnInTheSelectedColour)
{
    Tabs t;
    t.tabView->setTabFontStyle(kFontSystem, 14, kColorWhite, kColorRed);
    t.open.editor->idle();
    auto count = [&](CCoord left, std::uint32_t colour) {
        int found = 0;
        for (int y = 0; y < 20; ++y)
            for (CCoord x = left; x < left + 80; ++x)
                found += t.open.window->pixel(static_cast<int>(x), y) == colour ? 1 : 0;
        return found;
    };
    EXPECT_GT(count(0, argb(kColorWhite)), 0);
    EXPECT_EQ(count(0, argb(kColorRed)), 0);
    EXPECT_GT(count(80, argb(kColorRed)), 0);
    EXPECT_EQ(count(80, argb(kColorWhite)), 0);
}
