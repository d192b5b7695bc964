// The browser's scrolling text lists: scroll buttons only while the rows
// overflow, held buttons that speed up, and selection that scrolls into
// view.

#include "editor/controls/CTextListView.h"
#include "toolkit/CKickButton.h"

#include "support/FakeClock.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
// A 100x100 list of 20-pixel rows with 16x10 scroll buttons.
struct List
{
    List()
    {
        CTextListView::Appearance appearance;
        CBitmap* arrows = makeStrip(16, 10, 2);
        appearance.upBitmap = arrows;
        appearance.downBitmap = arrows;
        list = new CTextListView(CRect(0, 0, 100, 100), nullptr, nullptr, nullptr, appearance);
        arrows->forget();
    }
    ~List() { list->forget(); }

    void fill(int count, bool keepScroll = false)
    {
        std::vector<CTextListView::Row> rows(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            rows[static_cast<std::size_t>(i)].key = std::to_string(i);
        list->setRows(rows, keepScroll);
        range = count * 20.0 - 100.0;
    }
    // The pixels scrolled out at the top.
    double scrolled() const { return list->getScrollPosition() * range; }
    // Idle steps every 50 ms for that long.
    void idle(std::uint64_t milliseconds)
    {
        for (std::uint64_t t = 0; t < milliseconds; t += 50)
        {
            clock.advance(50);
            list->tick(FakeClock::now());
        }
    }

    FakeClock clock;
    CTextListView* list;
    double range = 0;
};
} // namespace

TEST(CTextListView, ShowsScrollButtonsOnlyWhileTheRowsOverflow)
{
    List l;
    l.fill(5);
    EXPECT_FALSE(l.list->hasScrollButtons());
    l.fill(6);
    EXPECT_TRUE(l.list->hasScrollButtons());
    l.fill(0);
    EXPECT_FALSE(l.list->hasScrollButtons());
}

TEST(CTextListView, AHeldButtonScrollsARowASecondAndFasterTheLongerItIsHeld)
{
    List l;
    l.fill(2000);
    CPoint down(90, 95);
    l.list->onMouseDown(down, kButtonLeft);
    l.idle(1000);
    EXPECT_NEAR(l.scrolled(), 20, 1);
    l.idle(2000);
    const double afterThree = l.scrolled();
    l.idle(1000);
    EXPECT_NEAR(l.scrolled() - afterThree, 4 * 20, 4);
    l.idle(41000);
    const double after45 = l.scrolled();
    l.idle(1000);
    EXPECT_NEAR(l.scrolled() - after45, 40 * 20, 1);

    l.list->onMouseUp(down, 0);
    const double released = l.scrolled();
    l.idle(1000);
    EXPECT_EQ(l.scrolled(), released);
}

TEST(CTextListView, SelectingScrollsTheRowClearOfTheButtonsAndNoneScrollsToTheTop)
{
    List l;
    l.fill(30);
    l.list->setSelected(20);
    l.idle(5000);
    EXPECT_FALSE(l.list->isAnimating());
    EXPECT_GE(l.scrolled(), 20 * 20 + 20 - (100 - 10 - 20) - 0.5);
    EXPECT_LE(l.scrolled(), 20 * 20 - (10 + 20) + 0.5);
    EXPECT_EQ(l.list->getSelectedKey(), "20");

    l.list->setSelected(-1);
    EXPECT_EQ(l.list->getScrollPosition(), 0.0f);
    EXPECT_EQ(l.list->getSelectedKey(), "");

    l.fill(3);
    l.list->setSelected(2);
    l.idle(100);
    EXPECT_EQ(l.list->getScrollPosition(), 0.0f);
}

TEST(CTextListView, RowsSetAgainLieWhereTheScrollPositionShowsThem)
{
    List l;
    l.fill(30);
    l.list->setScrollPosition(1.0f);
    l.fill(30, true);
    CPoint bottom(20, 90);
    l.list->onMouseDown(bottom, kButtonLeft);
    EXPECT_EQ(l.list->getSelectedKey(), "29") << "kept at the end, the last row is at the bottom";

    l.fill(30);
    CPoint top(20, 10);
    l.list->onMouseDown(top, kButtonLeft);
    EXPECT_EQ(l.list->getSelectedKey(), "0") << "back at the top, the first row is there";
}
