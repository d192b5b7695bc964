// Tooltips, dialogs and drops in real windows: the test host opens the
// dialog scene of the test plug-in and plays XTest input and XDND drags.

#include "DialogTestScene.h"
#include "EditorHostRun.h"

#include "toolkit/CAlertPanel.h"
#include "toolkit/CFileSelectorPanel.h"
#include "toolkit/x11/X11DropTarget.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
const std::string kSettle = "settle\n";
// The test host's first window stands this far from the screen's corner;
// a dialog is centred over the editor (400 x 300) but kept on the screen.
constexpr CCoord kHostGap = 40;

HostRun runDialogScene(const std::string& script, const std::string& folder = "/tmp")
{
    return runEditorHost(kSettle + script, "", "ZENTROVA_WINDOW_SCENE=dialogs ZENTROVA_TEST_FOLDER='" + folder + "'");
}

std::string centreOf(const CRect& view)
{
    return std::to_string(static_cast<int>((view.left + view.right) / 2)) + " " +
           std::to_string(static_cast<int>((view.top + view.bottom) / 2));
}

CPoint dialogOrigin(const CRect& size)
{
    return CPoint(std::max<CCoord>(-kHostGap, (400 - size.width()) / 2),
                  std::max<CCoord>(-kHostGap, (300 - size.height()) / 2));
}

// "click 1 X Y" on rect of a dialog at origin.
std::string clickIn(const CPoint& origin, const CRect& rect)
{
    CRect moved(rect);
    moved.offset(origin.h, origin.v);
    return "click 1 " + centreOf(moved) + "\nsettle\n";
}

struct TestFolder
{
    TestFolder()
    {
        char pattern[] = "/tmp/zentrova-dialogs-XXXXXX";
        path = mkdtemp(pattern);
        for (const char* name : {"Bass.fxp", "Lead.fxp"})
            std::ofstream(path + "/" + name) << "patch";
    }
    ~TestFolder() { fs::remove_all(path); }
    std::string path;
};
} // namespace

TEST(X11Tooltip, AppearsCentredUnderTheHoveredViewAfterTheDelayAndAClickHidesIt)
{
    REQUIRE_DISPLAY();
    const CRect tip = DialogTestScene::tipRect();
    // The clocks bound how soon after the move the first look came.
    HostRun run =
        runDialogScene("clock\nmove " + centreOf(tip) + "\nsettle\npopups\nclock\nwaitpopup\nclick 1\nwaitnopopup\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<std::string> popups = run.after("host 1 popup ");
    ASSERT_EQ(popups.size(), 3u) << run.text();
    const std::vector<std::string> clocks = run.after("host clock ");
    ASSERT_EQ(clocks.size(), 2u) << run.text();
    if (std::stol(clocks[1]) - std::stol(clocks[0]) < static_cast<long>(DialogTestScene::kTooltipDelay))
    {
        EXPECT_EQ(popups[0], "none") << "not before the delay\n" << run.text();
    }
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(popups[1].c_str(), "%d %d %d %d", &x, &y, &width, &height), 4) << run.text();
    EXPECT_NEAR(x + width / 2.0, (tip.left + tip.right) / 2.0, 1.0);
    EXPECT_EQ(y, tip.bottom + 4);
    EXPECT_GT(width, 40);
    EXPECT_EQ(popups[2], "none");
    EXPECT_TRUE(run.has("view 1 tip clicked")) << run.text();
}

TEST(X11Drop, TwoFilesArriveAsDecodedPathsTextAsTextAndARefusedDropIsAnsweredSo)
{
    REQUIRE_DISPLAY();
    const std::string drop = centreOf(DialogTestScene::dropRect());
    HostRun run = runDialogScene("drop " + drop + " files file:///tmp/My%20Patch.fxp file://localhost/tmp/b.fxp\n"
                                 "drop " + centreOf(DialogTestScene::tipRect()) + " files file:///tmp/c.fxp\n"
                                 "drop " + drop + " text Hello there\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("view 1 drop "),
              (std::vector<std::string>{"file /tmp/My Patch.fxp", "file /tmp/b.fxp", "text Hello there"}))
        << run.text();
    EXPECT_EQ(run.after("host 1 drop "),
              (std::vector<std::string>{"status accept", "status accept", "finished accepted", "status refuse",
                                        "status refuse", "left", "status accept", "status accept",
                                        "finished accepted"}))
        << run.text();
}

TEST(WindowAlertHandler, AnswersByEachButtonAndReturnPressesTheDefault)
{
    REQUIRE_DISPLAY();
    const std::vector<std::string> buttons{"Skip All", "Stop", "Skip"};
    const CAlertPanel::Layout layout =
        CAlertPanel::layout("Converting patches", "The file Bass.fxp cannot be read.", buttons);
    const CPoint origin = dialogOrigin(layout.size);
    const std::string ask = "click 1 " + centreOf(DialogTestScene::askRect()) + "\nsettle\n";
    std::string script = "click 1 " + centreOf(DialogTestScene::alertRect()) + "\nsettle\nkey Return\nsettle\n";
    script += ask + "dialogs\n" + clickIn(origin, layout.buttons[0]);
    script += ask + clickIn(origin, layout.buttons[1]);
    script += ask + clickIn(origin, layout.buttons[2]);
    script += ask + "key Return\nsettle\ndialogs\n";
    HostRun run = runDialogScene(script);
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("view 1 alert done")) << run.text();
    EXPECT_EQ(run.after("view 1 ask "), (std::vector<std::string>{"2", "0", "1", "2"})) << run.text();
    const std::string where = std::to_string(static_cast<int>(origin.h)) + " " +
                              std::to_string(static_cast<int>(origin.v)) + " " +
                              std::to_string(static_cast<int>(layout.size.width())) + " " +
                              std::to_string(static_cast<int>(layout.size.height()));
    EXPECT_EQ(run.after("host 1 dialog "), (std::vector<std::string>{where + " Zentrova2", "none"})) << run.text();
}

TEST(X11FileSelector, SavesUnderATypedNameWithTheChosenTypeAndEscapeCancels)
{
    REQUIRE_DISPLAY();
    TestFolder folder;
    const CPoint origin = dialogOrigin(CRect(0, 0, CFileSelectorPanel::kWidth, CFileSelectorPanel::kHeight));
    // The name field has the keyboard at once; the type menu opens below
    // its view with nothing highlighted.
    std::string script = "click 1 " + centreOf(DialogTestScene::saveRect()) + "\nsettle\n";
    script += "type My Patch\nsettle\n" + clickIn(origin, CFileSelectorPanel::typeMenuRect());
    script += "key Down\nkey Down\nkey Return\nsettle\nkey Return\nsettle\n";
    script += "click 1 " + centreOf(DialogTestScene::saveRect()) + "\nsettle\nkey Escape\n";
    script += "settle\ndialogs\n";
    HostRun run = runDialogScene(script, folder.path);
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("view 1 save "),
              (std::vector<std::string>{"ran 1 " + folder.path + "/My Patch.aupreset", "ran 0"}))
        << run.text();
    EXPECT_EQ(run.after("view 1 delegate told "), (std::vector<std::string>{"1", "0"})) << run.text();
    EXPECT_TRUE(run.has("host 1 dialog none")) << run.text();
}

TEST(X11TextField, AnEditWhoseListenerRemovesItOnReturnLeavesTheEditorWorking)
{
    REQUIRE_DISPLAY();
    HostRun run = runDialogScene("click 1 " + centreOf(DialogTestScene::editRect()) +
                                 "\nsettle\nkey ctrl+a\ntype gone\nkey Return\nsettle\nfocus\n"
                                 "click 1 " + centreOf(DialogTestScene::menuRect()) +
                                 "\nsettle\nkey Down\nkey Down\nkey Return\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("view 1 edit "), (std::vector<std::string>{"value gone", "removed"})) << run.text();
    EXPECT_TRUE(run.has("host 1 focus host")) << run.text();
    EXPECT_TRUE(run.has("view 1 menu value 1")) << run.text();
}

TEST(X11Drop, AUriListGivesOnlyThisMachinesFilesAndSkipsBrokenLines)
{
    const std::string list = "# a comment\r\nfile:///tmp/a%20b.fxp\r\nfile://localhost/tmp/%C3%A9t%C3%A9.fxp\r\n"
                             "http://example.org/c.fxp\r\nfile://elsewhere.invalid/tmp/d.fxp\r\nfile:///tmp/bad%zz\r\n"
                             "file:///tmp/zero%00byte\r\nfile:/tmp/short.fxp\n\nfile:relative.fxp";
    EXPECT_EQ(X11DropTarget::filePaths(list),
              (std::vector<std::string>{"/tmp/a b.fxp", "/tmp/\xC3\xA9t\xC3\xA9.fxp", "/tmp/short.fxp"}));
}
