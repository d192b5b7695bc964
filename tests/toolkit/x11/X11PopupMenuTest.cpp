// Our own pop-up menus, clicked and dragged through XTest. The scene's
// menu pulls down from its view at (210, 120)-(390, 146): its entries are
// One, Two, a separator, Disabled, Sub (Sub A, Sub B), Long (150 items)
// and Checked, 20 pixels each below a 5-pixel edge; separators take 9.

#include "EditorHostRun.h"

#include <sstream>

namespace
{
const std::string kOpenMenu = "settle\nclick 1 300 133\nsettle\n";

struct Box
{
    int x = 0, y = 0, width = 0, height = 0;
};

std::vector<Box> popups(const HostRun& run, int from)
{
    std::vector<Box> boxes;
    for (int i = from; i < static_cast<int>(run.lines.size()); ++i)
    {
        std::istringstream words(run.lines[static_cast<std::size_t>(i)]);
        std::string host, number, popup;
        Box box;
        if (words >> host >> number >> popup >> box.x >> box.y >> box.width >> box.height && popup == "popup")
            boxes.push_back(box);
        else if (!boxes.empty())
            break;
    }
    return boxes;
}
} // namespace

TEST(X11PopupMenu, AClickOpensItAndASecondClickChoosesWhileTheMenuIsRebuilt)
{
    REQUIRE_DISPLAY();
    // A tick of the timer while the menu is open rebuilds it.
    HostRun run = runEditorHost(kOpenMenu + "mark opened\nwaitfor view 1 timer\npopups\nscreenshot " +
                                screenshotPath("window-menu.png") + "\nclick 1 250 181\nsettle\npopups\n");
    ASSERT_EQ(run.status, 0) << run.text();
    // Under the menu's view, as wide as it and on the monitor.
    EXPECT_TRUE(run.has("host 1 popup 210 146 182 139")) << run.text();
    // The editor's timer replaced the menu object while it was open.
    const int rebuilt = run.find("view 1 menu rebuilt while open");
    EXPECT_GE(rebuilt, 0) << run.text();
    EXPECT_EQ(run.find("view 1 menu chose 1"), rebuilt + 1) << run.text();
    EXPECT_TRUE(run.has("host 1 popup none")) << run.text();
}

TEST(X11PopupMenu, EscapeAndAClickOutsideCloseItAndDisabledEntriesStayUnchosen)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kOpenMenu + "key Escape\nsettle\n" + kOpenMenu +
                                "click 1 100 280\nsettle\n" + kOpenMenu +
                                "click 1 250 210\nsettle\nmark disabled\npopups\nkey Escape\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    std::vector<std::string> results;
    for (const std::string& result : run.after("view 1 menu "))
        if (result != "rebuilt while open")
            results.push_back(result);
    EXPECT_EQ(results, std::vector<std::string>(3, "none")) << run.text();
    // The click that closed the menu reached nothing else.
    EXPECT_TRUE(run.after("view 1 pad ").empty()) << run.text();
    EXPECT_EQ(popups(run, run.find("mark disabled")).size(), 1u) << run.text();
}

TEST(X11PopupMenu, APopUpShowsItsSelectedLineOverTheViewAndItsOpeningClickChoosesNothing)
{
    REQUIRE_DISPLAY();
    // A right click pops it up with Two under the pointer; the quick
    // release there leaves it open, and a click on One above chooses.
    HostRun run = runEditorHost("settle\nclick 3 300 133\nsettle\npopups\nclick 1 250 113\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("host 1 popup 189 98 202 139")) << run.text();
    EXPECT_TRUE(run.has("view 1 menu chose 0")) << run.text();
}

TEST(X11PopupMenu, KeysMoveOverEnabledEntriesIntoSubmenusAndChoose)
{
    REQUIRE_DISPLAY();
    // Down goes One, Two, then over the separator and Disabled to Sub.
    HostRun run = runEditorHost(kOpenMenu + "key Down\nkey Down\nkey Return\nsettle\n" + kOpenMenu +
                                "key Down\nkey Down\nkey Down\nkey Right\nsettle\nkey Down\nkey Return\n"
                                "settle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("view 1 menu chose 1")) << run.text();
    EXPECT_TRUE(run.has("view 1 menu chose 4/1")) << run.text();
}

TEST(X11PopupMenu, PressDragAndReleaseChoosesFromASubmenu)
{
    REQUIRE_DISPLAY();
    // Sub lies at 220-240; its submenu opens beside it, Sub B at 240-260.
    HostRun run = runEditorHost("settle\nmove 300 133\nsettle\npress 1\nsettle\nmove 300 230\nsettle\n"
                                "popups\nmove 420 250\nsettle\nrelease 1\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<Box> boxes = popups(run, 0);
    ASSERT_EQ(boxes.size(), 2u) << run.text();
    EXPECT_EQ(boxes[1].x, 389) << run.text();
    EXPECT_EQ(boxes[1].y, 215) << run.text();
    EXPECT_TRUE(run.has("view 1 menu chose 4/1")) << run.text();
}

TEST(X11PopupMenu, ALongMenuGoesIntoColumnsOnTheMonitor)
{
    REQUIRE_DISPLAY();
    // Long lies at 240-260.
    HostRun run = runEditorHost(kOpenMenu + "move 300 250\nsettle\npopups\nmark opened\n" +
                                "key Escape\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<Box> boxes = popups(run, 0);
    ASSERT_EQ(boxes.size(), 2u) << run.text();
    const Box& longMenu = boxes[1];
    // The host's window lies at (40, 40) of a 1920 by 1080 screen.
    EXPECT_GE(longMenu.x + 40, 0);
    EXPECT_GE(longMenu.y + 40, 0);
    EXPECT_LE(longMenu.x + 40 + longMenu.width, 1920);
    EXPECT_LE(longMenu.y + 40 + longMenu.height, 1080);
    // 150 entries of 20 pixels would need 3000: they stand in three columns.
    EXPECT_LE(longMenu.height, 1080);
    EXPECT_GT(longMenu.width, 3 * boxes[0].width / 2);

    // The last entry, at the foot of the third column, can be chosen.
    const int column = (longMenu.width - 2) / 3;
    const int rowsPerColumn = (1080 - 5 - 5) / 20;
    const int row = 149 - 2 * rowsPerColumn;
    std::ostringstream choose;
    choose << kOpenMenu << "move 300 250\nsettle\nmove " << longMenu.x + 1 + 2 * column + column / 2 << " "
           << longMenu.y + 5 + row * 20 + 10 << "\nsettle\nclick 1\nsettle\n";
    HostRun chosen = runEditorHost(choose.str());
    ASSERT_EQ(chosen.status, 0) << chosen.text();
    EXPECT_TRUE(chosen.has("view 1 menu chose 5/149")) << chosen.text();
}
