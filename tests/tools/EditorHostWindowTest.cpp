// The editor test host as a user meets it: run as a program on the window
// tests' plug-in, whose menu pulls down from its view at (210, 120)-(390, 146).

#include "EditorHostRun.h"
#include "tests/support/ToolRun.h"

#include <filesystem>

namespace
{
const std::string kOpenMenu = "settle\nclick 1 300 133\nsettle\n";

// Ended after a minute at the latest, so that a host that does not end
// fails the test instead of hanging it; 124 then.
ToolRun runHost(const std::string& script, const std::string& arguments)
{
    static int runs = 0;
    const std::string path =
        testing::TempDir() + "editor-host-tool-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + ".txt";
    std::ofstream(path) << script;
    const ToolRun run = runTool("timeout -k 5 60 " + shellQuoted(ZENTROVA_EDITOR_HOST_PATH) + " " +
                                shellQuoted(ZENTROVA_WINDOW_TEST_PLUGIN_PATH) + " --script " + shellQuoted(path) +
                                " " + arguments);
    std::remove(path.c_str());
    return run;
}
} // namespace

TEST(EditorHost, AStepThatFailsOrAScriptThatCannotBeReadEndsInFailure)
{
    REQUIRE_DISPLAY();
    const ToolRun screenshot = runHost("settle\nscreenshot /nonexistent/folder/shot.png\n", "");
    EXPECT_EQ(screenshot.status, 1) << screenshot.output;
    EXPECT_TRUE(screenshot.says("host 1 screenshot /nonexistent/folder/shot.png failed")) << screenshot.output;

    const ToolRun editor = runHost("use 5\n", "");
    EXPECT_EQ(editor.status, 1) << editor.output;
    EXPECT_TRUE(editor.says("host error line 1: no editor 5")) << editor.output;

    // Arguments it cannot use: what the script shows at once, what the
    // plug-in tells (it has 8 parameters) when the step comes.
    const ToolRun unread = runHost("settle\nparam abc\n", "");
    EXPECT_EQ(unread.status, 1) << unread.output;
    EXPECT_TRUE(unread.says("script line 2: param wants a parameter from 0 and a value from 0 to 1, not \"abc\""))
        << unread.output;
    const ToolRun beyond = runHost("getparam 8\n", "");
    EXPECT_EQ(beyond.status, 1) << beyond.output;
    EXPECT_TRUE(beyond.says("host error line 1: no parameter 8 (the plug-in has 8)")) << beyond.output;

    const std::string folder = testing::TempDir();
    const ToolRun script = runTool(shellQuoted(ZENTROVA_EDITOR_HOST_PATH) + " " +
                                   shellQuoted(ZENTROVA_WINDOW_TEST_PLUGIN_PATH) + " --script " + shellQuoted(folder));
    EXPECT_EQ(script.status, 1) << script.output;
    EXPECT_TRUE(script.says("cannot read the script " + folder + ": it is a folder")) << script.output;
}

TEST(EditorHost, ABadValueIsNamedWithWhatIsWrong)
{
    const struct
    {
        const char* arguments;
        const char* said;
    } cases[] = {
        {"--editors abc", "--editors abc: not a whole number"},
        {"--idle 0", "--idle 0: must be from 1 to 1000 ms"},
        {"--seconds 0", "--seconds 0: must be more than 0"},
        {"--frobnicate", "--frobnicate: no such option"},
    };
    for (const auto& c : cases)
    {
        const ToolRun run = runTool(shellQuoted(ZENTROVA_EDITOR_HOST_PATH) + " " +
                                    shellQuoted(ZENTROVA_WINDOW_TEST_PLUGIN_PATH) + " " + c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(run.says(std::string("zentrova-editor-host: ") + c.said)) << c.arguments << "\n" << run.output;
    }
}

TEST(EditorHost, AMissingPluginIsSaidBeforeAMissingDisplay)
{
    const ToolRun run = runTool("env -u DISPLAY " + shellQuoted(ZENTROVA_EDITOR_HOST_PATH) + " /nonexistent.so");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(run.says("zentrova-editor-host: cannot load /nonexistent.so: no such file")) << run.output;
    EXPECT_FALSE(run.says("display")) << run.output;
}

// The editors' thread waits inside the menu's loop: the host ends the menu,
// then closes the editor; and --seconds ends a run whatever is open.
TEST(EditorHost, ClosingTheEditorUnderAnOpenMenuEndsTheMenuThenTheEditor)
{
    REQUIRE_DISPLAY();
    const ToolRun closed = runHost(kOpenMenu + "close\nmark closed\n", "--seconds 30");
    EXPECT_EQ(closed.status, 0) << closed.output;
    const std::size_t menuEnded = closed.output.find("view 1 menu none");
    const std::size_t editorClosed = closed.output.find("host 1 close");
    EXPECT_NE(menuEnded, std::string::npos) << closed.output;
    EXPECT_LT(menuEnded, editorClosed) << closed.output;
    EXPECT_LT(editorClosed, closed.output.find("mark closed")) << "the script goes on\n" << closed.output;

    const ToolRun cut = runHost(kOpenMenu + "wait 600000\nmark waited\n", "--seconds 2");
    EXPECT_EQ(cut.status, 0) << cut.output;
    EXPECT_TRUE(cut.says("host 1 close")) << cut.output;
    EXPECT_TRUE(cut.says("host done")) << cut.output;
    EXPECT_FALSE(cut.says("mark waited")) << cut.output;
}
