// Our own text field over the editor, typed into through XTest.

#include "EditorHostRun.h"

namespace
{
// The scene's text view; a click opens its field with everything selected.
const std::string kOpenField = "settle\nclick 1 50 133\nsettle\n";
} // namespace

TEST(X11TextField, TypingBackspaceHomeAndReturnCommitAndTheFocusComesBack)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost("settle\nfocus\n" + kOpenField +
                                "focus\ntype hello\nkey BackSpace\nkey Home\ntype X\nsettle\n"
                                "screenshot " + screenshotPath("window-text-field.png") + "\n"
                                "key Return\nsettle\nfocus\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("host 1 focus "), (std::vector<std::string>{"host", "editor", "host"})) << run.text();
    EXPECT_TRUE(run.has("view 1 text edit")) << run.text();
    EXPECT_TRUE(run.has("view 1 text return [Xhell]")) << run.text();
}

TEST(X11TextField, TypesUtf8ThroughTheInputMethodAndCopiesAndPastes)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kOpenField + "type \xC3\xA9\xE2\x82\xAC" "ab\nkey ctrl+a\nkey ctrl+c\nkey End\n"
                                             "key ctrl+v\nkey Return\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("view 1 text return [\xC3\xA9\xE2\x82\xAC" "ab\xC3\xA9\xE2\x82\xAC" "ab]")) << run.text();
}

TEST(X11TextField, EscapeCancelsAndAClickElsewhereCommits)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kOpenField + "type x\nkey Escape\nsettle\n" + kOpenField +
                                "type zz\nclick 1 50 50\nsettle\nfocus\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const int cancelled = run.find("view 1 text cancel");
    ASSERT_GE(cancelled, 0) << run.text();
    EXPECT_GT(run.find("view 1 text blur [zz]"), cancelled) << run.text();
    EXPECT_TRUE(run.has("view 1 pad down 50,50 L")) << run.text();
    EXPECT_TRUE(run.has("host 1 focus host")) << run.text();
}

TEST(X11TextField, ClosingTheEditorWhileEditingGivesTheFocusBack)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kOpenField + "type abc\nsettle\nfocus\nclose\nsettle\nfocus\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("host 1 focus "), (std::vector<std::string>{"editor", "host"})) << run.text();
}
