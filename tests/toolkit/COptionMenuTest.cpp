#include "toolkit/COptionMenu.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace
{
// An open editor with an option menu (tag 5) at (10, 10).
struct OpenMenu
{
    explicit OpenMenu(std::int64_t style = 0)
    {
        menu = new COptionMenu(CRect(10, 10, 90, 30), &listener, 5, nullptr, nullptr, style);
        open.frame()->addView(menu);
    }
    // Clicks the menu; the pop-up answers path.
    void choose(std::vector<std::int32_t> path)
    {
        open.window->menuChoice = std::move(path);
        CPoint where(20, 20);
        open.frame()->onMouseDown(where, kButtonLeft);
    }
    const PlatformMenu& shown() const { return open.window->menus.back(); }

    EditorHarness open;
    RecordingListener listener;
    COptionMenu* menu;
};

std::vector<std::string> titles(const std::vector<PlatformMenuItem>& items)
{
    std::vector<std::string> result;
    for (const PlatformMenuItem& item : items)
        result.push_back(item.separator ? "-" : item.title);
    return result;
}
} // namespace

TEST(COptionMenu, PositionsCountSeparatorsOnlyWhenAsked)
{
    COptionMenu menu(CRect(0, 0, 10, 10), nullptr, 0);
    menu.addEntry("A");
    menu.addEntry("-");
    menu.addEntry("B");
    menu.addEntry("-", 0);
    EXPECT_EQ(menu.getNbEntries(), 4);
    EXPECT_TRUE(menu.getEntry(3)->isSeparator());

    EXPECT_TRUE(menu.setCurrent(1, false));
    EXPECT_STREQ(menu.getCurrent()->getTitle(), "B");
    EXPECT_EQ(menu.getCurrentIndex(false), 1);
    EXPECT_EQ(menu.getCurrentIndex(true), 2);
    EXPECT_FALSE(menu.setCurrent(1, true));
    EXPECT_EQ(menu.getCurrentIndex(true), 2);
    EXPECT_TRUE(menu.setCurrent(0, true));
    EXPECT_STREQ(menu.getCurrent()->getTitle(), "A");

    EXPECT_TRUE(menu.removeEntry(1));
    EXPECT_FALSE(menu.removeEntry(9));
    EXPECT_EQ(menu.getNbEntries(), 3);
}

TEST(COptionMenu, ValuesSelectTheTruncatedPositionAndOthersAreIgnored)
{
    COptionMenu menu(CRect(0, 0, 10, 10), nullptr, 0);
    for (const char* title : {"A", "B", "C"})
        menu.addEntry(title);
    menu.setValue(2.9f);
    EXPECT_EQ(menu.getCurrentIndex(true), 2);
    EXPECT_EQ(menu.getValue(), 2.9f);
    for (float ignored : {5.0f, 3.0f, -1.5f, std::numeric_limits<float>::quiet_NaN()})
        menu.setValue(ignored);
    EXPECT_EQ(menu.getCurrentIndex(true), 2);
    EXPECT_EQ(menu.getValue(), 2.9f);
}

TEST(COptionMenu, ThePopUpShowsTitlesFlagsKeysAndColumns)
{
    OpenMenu m;
    m.menu->addEntry("Header", -1, CMenuItem::kTitle);
    m.menu->addEntry(new CMenuItem("Save", CMenuItem::kNoFlags, "s", kModCommand));
    m.menu->addSeparator();
    m.menu->addEntry("Off", -1, CMenuItem::kDisabled);
    m.menu->addEntry("Bad \xFF");
    m.menu->setNbItemsPerColumn(3);
    m.choose({});
    const PlatformMenu& shown = m.shown();
    EXPECT_EQ(titles(shown.items), (std::vector<std::string>{"Header", "Save", "-", "Off", "Bad \xEF\xBF\xBD"}));
    EXPECT_TRUE(shown.items[0].indented);
    EXPECT_FALSE(shown.items[0].enabled);
    EXPECT_EQ(shown.items[1].key, "s");
    EXPECT_EQ(shown.items[1].keyModifiers, kModCommand);
    EXPECT_FALSE(shown.items[3].enabled);
    EXPECT_EQ(shown.itemsPerColumn, 3);
    // A pull-down; the anchor is the menu in frame coordinates.
    EXPECT_EQ(shown.selectedIndex, -1);
    EXPECT_EQ(m.open.window->menuAnchors.back(), CRect(10, 10, 90, 30));
    // Nothing chosen: nothing reported, the edit still ends.
    EXPECT_EQ(m.listener.log, (std::vector<std::string>{"begin 5", "end 5"}));
    EXPECT_EQ(m.open.hostEdits(), "begin 5 end 5");
    EXPECT_EQ(m.open.frame()->getFocusView(), nullptr);
}

TEST(COptionMenu, NumberPrefixesCountFromOne)
{
    OpenMenu m;
    for (int i = 0; i < 10; ++i)
        m.menu->addEntry("x");
    auto tenth = [&](std::int64_t mode) {
        m.menu->setNumberPrefix(mode);
        m.choose({});
        return m.shown().items[9].title;
    };
    EXPECT_EQ(tenth(2), "10 x");
    EXPECT_EQ(tenth(3), "10 x");
    EXPECT_EQ(tenth(4), "010 x");
    EXPECT_EQ(m.shown().items[0].title, "001 x");
    EXPECT_EQ(tenth(1), "x");
    m.menu->setNumberPrefix(5);
    EXPECT_EQ(m.menu->getNumberPrefix(), 1);
}

TEST(COptionMenu, CheckMarksFollowTheCheckStyles)
{
    OpenMenu multiple(kMultipleCheckStyle);
    for (const char* title : {"A", "B", "C"})
        multiple.menu->addEntry(title);
    multiple.choose({1});
    EXPECT_TRUE(multiple.menu->isCheckedEntry(1));
    multiple.choose({1});
    EXPECT_TRUE(multiple.shown().items[1].checked);
    EXPECT_FALSE(multiple.menu->isCheckedEntry(1));
    multiple.menu->checkEntryAlone(2);
    multiple.choose({});
    EXPECT_EQ(multiple.shown().items[2].checked, true);
    EXPECT_EQ(multiple.shown().items[0].checked, false);

    // Without it, flagged entries show no mark; the value's entry does with
    // kCheckStyle, and a pop-up opens over it.
    OpenMenu single(kCheckStyle | kPopupStyle);
    for (const char* title : {"A", "B", "C"})
        single.menu->addEntry(title);
    single.menu->checkEntry(0, true);
    single.menu->setValue(2);
    single.choose({});
    EXPECT_EQ(single.shown().selectedIndex, 2);
    EXPECT_FALSE(single.shown().items[0].checked);
    EXPECT_TRUE(single.shown().items[2].checked);
}

TEST(COptionMenu, AChoiceInASubmenuReachesTheParentsListenerWithTheSubmenu)
{
    OpenMenu m;
    m.menu->addEntry("Top");
    auto* sub = new COptionMenu(CRect(), nullptr, 6);
    sub->addEntry("One");
    sub->addEntry("Two");
    m.menu->addEntry(sub, "More");
    sub->forget();
    m.menu->setCurrent(0);
    m.choose({1, 1});
    EXPECT_TRUE(m.shown().items[1].hasSubmenu);
    EXPECT_EQ(titles(m.shown().items[1].submenu), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(m.listener.log, (std::vector<std::string>{"begin 5", "changed 6 1", "end 5"}));
    EXPECT_EQ(m.menu->getCurrentIndex(true), 0);
    std::int64_t index = -1;
    EXPECT_EQ(m.menu->getLastItemMenu(index), sub);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(m.menu->getLastResult(), 1);

    m.choose({0});
    EXPECT_EQ(m.menu->getLastItemMenu(index), m.menu);
    EXPECT_EQ(m.listener.log.back(), "end 5");
    EXPECT_EQ(m.listener.log[m.listener.log.size() - 2], "changed 5 0");
}

TEST(COptionMenu, AMenuRebuiltDuringThePopUpReportsOnlyChoicesThatStillStand)
{
    OpenMenu m;
    auto rebuild = [&m] {
        m.menu->removeAllEntry();
        m.menu->addEntry("New");
        auto* other = new COptionMenu(CRect(), nullptr, 7);
        other->addEntry("Fresh");
        m.menu->addEntry(other, "Other");
        other->forget();
    };
    rebuild();
    m.open.window->onMenu = rebuild;
    // The submenu the user chose from is gone: nothing is reported.
    m.choose({1, 0});
    EXPECT_EQ(m.listener.log, (std::vector<std::string>{"begin 5", "end 5"}));
    // The menu itself is still there: its choice stands.
    m.choose({0});
    EXPECT_EQ(m.listener.log.back(), "end 5");
    EXPECT_EQ(m.listener.log[m.listener.log.size() - 2], "changed 5 0");

    // The menu leaves the frame while its pop-up is open.
    m.open.window->onMenu = [&m] { m.open.frame()->removeView(m.menu); };
    m.choose({0});
    EXPECT_EQ(m.listener.log.back(), "begin 5");
    EXPECT_EQ(m.open.hostEdits(), "begin 5 end 5 begin 5 end 5 begin 5 end 5");
}

TEST(COptionMenu, ClicksWithoutAButtonOrControlAreNotTaken)
{
    OpenMenu m;
    m.menu->addEntry("A");
    CPoint where(20, 20);
    EXPECT_EQ(m.menu->onMouseDown(where, kButtonMiddle), kMouseResultNotHandled);
    EXPECT_EQ(m.menu->getLastButton(), kButtonMiddle);
    EXPECT_TRUE(m.open.window->menus.empty());
    EXPECT_EQ(m.menu->onMouseDown(where, kButtonRight), kMouseResultHandledNoTracking);
    EXPECT_EQ(m.open.window->menus.size(), 1u);

    std::unique_ptr<CView, void (*)(CView*)> copy(m.menu->newCopy(), [](CView* v) { v->forget(); });
    auto* menuCopy = static_cast<COptionMenu*>(copy.get());
    EXPECT_EQ(menuCopy->getEntry(0), m.menu->getEntry(0));
    EXPECT_EQ(menuCopy->getCurrentIndex(true), -1);
}
