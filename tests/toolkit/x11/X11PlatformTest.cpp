// The editor window's lifetime: made only where it can be, surviving a
// host that destroys its window first, side by side with another, and
// opened and closed again and again.

#include "EditorHostRun.h"

#include "tools/HostedPlugin.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>

namespace
{
// Sets or clears an environment variable for one scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
        {
            m_old = old;
            m_had = true;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

void* windowId(std::uintptr_t id)
{
    return reinterpret_cast<void*>(id);
}

int hostErrors = 0;

int countError(Display*, XErrorEvent*)
{
    ++hostErrors;
    return 0;
}

int hostIOError(Display*)
{
    return 0;
}

// An error of a call outside the layer's trap (the host's handler, or
// Xlib's own), anywhere; or one of the layer's traced errors after the
// line from.
bool xErrorAfter(const HostRun& run, int from)
{
    for (int i = 0; i < static_cast<int>(run.lines.size()); ++i)
    {
        const std::string& line = run.lines[static_cast<std::size_t>(i)];
        if (line.find("X error:") != std::string::npos || line.find("X Error") != std::string::npos ||
            (i > from && line.find("X error") != std::string::npos))
            return true;
    }
    return false;
}
} // namespace

TEST(X11Platform, EditorOpenAnswersZeroWhereNoWindowCanBeMade)
{
    HostedPlugin plugin(ZENTROVA_WINDOW_TEST_PLUGIN_PATH, HostSettings{});
    testing::internal::CaptureStderr();
    {
        ScopedEnvironment noDisplay("DISPLAY", nullptr);
        EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, windowId(0x123)), 0);
    }
    EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 0);
    if (haveDisplay())
    {
        // No window has this id: the server answers with an error, which
        // the layer traps on its own connection, leaving the host's handler
        // in place and untouched.
        hostErrors = 0;
        XErrorHandler previous = XSetErrorHandler(countError);
        XIOErrorHandler previousIO = XSetIOErrorHandler(hostIOError);
        EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, windowId(0x3FFFFF0)), 0);
        EXPECT_EQ(XSetErrorHandler(previous), &countError);
        EXPECT_EQ(XSetIOErrorHandler(previousIO), &hostIOError);
        EXPECT_EQ(hostErrors, 0);
    }
    // The editor stays closed: its idle and close do nothing.
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(X11Platform, AHostThatDestroysItsWindowFirstCostsNoCrashAndNoXCall)
{
    REQUIRE_DISPLAY();
    // The layer reports every error its calls cause. What it sent before
    // the server told it of the destruction may fail, harmlessly; once it
    // has had its events and idles since, nothing more is called (the
    // close's calls among them), and nothing fails outside its trap.
    const std::string traced = "ZENTROVA_X11_TRACE_ERRORS=1";
    const std::string destroy = "destroy\nwaitfor host 1 destroyed\nsettle\nmark learnt\nclose\n";
    HostRun run = runEditorHost("settle\nclick 1 50 50\nsettle\n" + destroy, "", traced);
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("host 1 destroyed")) << run.text();
    EXPECT_TRUE(run.has("host 1 close")) << run.text();
    EXPECT_FALSE(xErrorAfter(run, run.find("mark learnt"))) << run.text();

    // Likewise while a menu runs its own loop, and while a field edits
    // with keys still on their way.
    HostRun menu = runEditorHost("settle\nclick 1 300 133\nsettle\n" + destroy, "", traced);
    ASSERT_EQ(menu.status, 0) << menu.text();
    EXPECT_TRUE(menu.has("view 1 menu none")) << menu.text();
    EXPECT_FALSE(xErrorAfter(menu, menu.find("mark learnt"))) << menu.text();
    HostRun field = runEditorHost("settle\nclick 1 50 133\nsettle\ntype abc\n" + destroy, "", traced);
    ASSERT_EQ(field.status, 0) << field.text();
    EXPECT_TRUE(field.has("host 1 close")) << field.text();
    EXPECT_FALSE(xErrorAfter(field, field.find("mark learnt"))) << field.text();
}

TEST(X11Platform, TwoEditorsSideBySideEachGetTheirOwnInput)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost("settle\ngeometry\nuse 2\ngeometry\nclick 1 50 50\nuse 1\nclick 1 60 60\n"
                                "settle\n",
                                "--editors 2");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("host 1 child 0 0 400 300 viewable")) << run.text();
    EXPECT_TRUE(run.has("host 2 child 0 0 400 300 viewable")) << run.text();
    EXPECT_EQ(run.after("view 1 pad down "), std::vector<std::string>{"60,60 L"}) << run.text();
    EXPECT_EQ(run.after("view 2 pad down "), std::vector<std::string>{"50,50 L"}) << run.text();
}

TEST(X11Platform, TwentyOpenAndCloseCyclesWork)
{
    REQUIRE_DISPLAY();
    // Under AddressSanitizer the host's exit status also says that nothing
    // leaked.
    HostRun run = runEditorHost("settle\nrepeat 20\nclose\nopen\nclick 1 50 50\nsettle\nend\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.after("host 1 open ").size(), 21u) << run.text();
    for (const std::string& result : run.after("host 1 open "))
        EXPECT_EQ(result, "1");
    // Each new window answers the mouse.
    EXPECT_EQ(run.after("view 1 pad down ").size(), 20u) << run.text();
}
