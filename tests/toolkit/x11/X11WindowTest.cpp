// The editor's X11 window, end to end: the test host opens the test
// plug-in's editor and plays XTest input into it; the scene's views log
// what reaches them.

#include "EditorHostRun.h"
#include "WindowTestScene.h"

#include "support/OwnXServer.h"
#include "support/TestCanvas.h"
#include "toolkit/CFrame.h"

#include <cairo.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

// fontconfig keeps its configuration until FcFini, which nothing here calls.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace
{
const std::string kSettle = "settle\n";

std::vector<std::string> padEvents(const HostRun& run)
{
    std::vector<std::string> events;
    for (const std::string& line : run.after("view 1 pad "))
        events.push_back(line);
    return events;
}

// -1 when the sizes differ or a file does not load.
int differentPixels(const std::string& first, const std::string& second)
{
    cairo_surface_t* a = cairo_image_surface_create_from_png(first.c_str());
    cairo_surface_t* b = cairo_image_surface_create_from_png(second.c_str());
    int different = -1;
    if (cairo_surface_status(a) == CAIRO_STATUS_SUCCESS && cairo_surface_status(b) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_width(a) == cairo_image_surface_get_width(b) &&
        cairo_image_surface_get_height(a) == cairo_image_surface_get_height(b))
    {
        different = 0;
        for (int y = 0; y < cairo_image_surface_get_height(a); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(a); ++x)
            {
                auto pixel = [x, y](cairo_surface_t* s) {
                    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                                  y * cairo_image_surface_get_stride(s))[x] &
                           0xFFFFFF;
                };
                different += pixel(a) != pixel(b) ? 1 : 0;
            }
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
    return different;
}

CPoint parsePoint(const std::string& text)
{
    CPoint point;
    std::sscanf(text.c_str(), "%lld,%lld", reinterpret_cast<long long*>(&point.h),
                reinterpret_cast<long long*>(&point.v));
    return point;
}
} // namespace

TEST(X11Window, OpensAtTheEditorsSizeAndShowsWhatAnImageSurfaceShows)
{
    REQUIRE_DISPLAY();
    const std::string shot = screenshotPath("window-400x300.png");
    std::remove(shot.c_str());
    HostRun run = runEditorHost(kSettle + "geometry\nscreenshot " + shot + "\n");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(run.has("host 1 rect 400 300")) << run.text();
    EXPECT_TRUE(run.has("host 1 open 1")) << run.text();
    EXPECT_TRUE(run.has("host 1 child 0 0 400 300 viewable")) << run.text();

    auto* frame = new CFrame(CRect(0, 0, WindowTestScene::kWidth, WindowTestScene::kHeight), nullptr);
    WindowTestScene scene(frame, {}, false);
    TestCanvas canvas(WindowTestScene::kWidth, WindowTestScene::kHeight, frame);
    frame->drawRect(canvas.context(), frame->getViewSize());

    cairo_surface_t* screen = cairo_image_surface_create_from_png(shot.c_str());
    ASSERT_EQ(cairo_surface_status(screen), CAIRO_STATUS_SUCCESS) << shot;
    ASSERT_EQ(cairo_image_surface_get_width(screen), WindowTestScene::kWidth);
    ASSERT_EQ(cairo_image_surface_get_height(screen), WindowTestScene::kHeight);
    cairo_surface_flush(screen);
    const unsigned char* data = cairo_image_surface_get_data(screen);
    const int stride = cairo_image_surface_get_stride(screen);
    int different = 0;
    for (int y = 0; y < WindowTestScene::kHeight; ++y)
        for (int x = 0; x < WindowTestScene::kWidth; ++x)
        {
            const std::uint32_t shown = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
            different += shown != (canvas.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        }
    EXPECT_EQ(different, 0);
    cairo_surface_destroy(screen);
    frame->release();
}

TEST(X11Window, DrawsThroughASegmentTheServerAttachedRemadeOnResizeAndGoneAtClose)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kSettle + "shm\nclick 1 100 205\nsettle\nshm\nclose\nshm\n");
    ASSERT_EQ(run.status, 0) << run.text();
    // 4 bytes a pixel, at 400 by 300, then 420 by 320.
    const std::vector<std::string> expected = {"480000 attached 2 removed", "537600 attached 2 removed", "none"};
    EXPECT_EQ(run.after("host 1 shm "), expected) << run.text();
}

TEST(X11Window, AServerWithoutSharedMemoryOrOverTheNetworkShowsTheSame)
{
    REQUIRE_DISPLAY();
    const std::string script = kSettle + "click 1 100 205\nsettle\nshm\nscreenshot ";
    const std::string shared = screenshotPath("window-shared.png");
    HostRun run = runEditorHost(script + shared + "\n");
    ASSERT_EQ(run.status, 0) << run.text();
    ASSERT_NE(run.find("host 1 shm 537600 attached 2 removed"), -1) << run.text();
    const struct
    {
        std::vector<std::string> options;
        const char* host;
        const char* shot;
    } servers[] = {{{"-extension", "MIT-SHM"}, "", "window-unshared.png"},
                   {{"-listen", "tcp"}, "127.0.0.1", "window-tcp.png"}};
    for (const auto& server : servers)
    {
        const std::string shot = screenshotPath(server.shot);
        OwnXServer own(server.options);
        ASSERT_FALSE(own.number().empty());
        run = runEditorHost(script + shot + "\n", "",
                            std::string("ZENTROVA_X11_TRACE_ERRORS=1 DISPLAY=") + server.host + ":" + own.number());
        ASSERT_EQ(run.status, 0) << run.text();
        // Not even tried: no refused segment.
        EXPECT_EQ(run.after("host 1 shm "), std::vector<std::string>{"none"}) << server.shot << "\n" << run.text();
        EXPECT_TRUE(run.after("X error").empty()) << server.shot << "\n" << run.text();
        EXPECT_EQ(differentPixels(shared, shot), 0) << server.shot;
    }
}

TEST(X11Window, ButtonsWheelAndModifiersReachTheViewsAsTheTableSays)
{
    REQUIRE_DISPLAY();
    // Each click on another button or spot, so that none is a double click.
    HostRun run = runEditorHost(kSettle +
                                "click 1 50 50\nclick 2 60 50\nclick 3 70 50\nclick 8 80 50\nclick 9 90 50\n"
                                "keydown ctrl\nclick 1 100 50\nkeyup ctrl\n"
                                "keydown alt\nclick 1 110 50\nkeyup alt\n"
                                "keydown super\nclick 1 120 50\nkeyup super\n"
                                "keydown shift\nclick 1 130 50\nkeyup shift\n"
                                "numlock on\ncapslock on\nclick 1 140 50\nnumlock off\ncapslock off\n"
                                "move 150 50\nclick 4\nclick 5\nclick 6\nclick 7\n"
                                "settle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    std::vector<std::string> downs;
    for (const std::string& event : padEvents(run))
        if (event.compare(0, 5, "down ") == 0 || event.compare(0, 6, "wheel ") == 0)
            downs.push_back(event);
    const std::vector<std::string> expected = {
        "down 50,50 L",         "down 60,50 M",         "down 70,50 R",          "down 80,50 4",
        "down 90,50 5",         "down 100,50 L+cmd",    "down 110,50 L+opt",     "down 120,50 L+ctrl",
        "down 130,50 L+shift",  "down 140,50 L",        "wheel y +1 150,50 -",   "wheel y -1 150,50 -",
        "wheel x +1 150,50 -",  "wheel x -1 150,50 -",
    };
    EXPECT_EQ(downs, expected) << run.text();
    EXPECT_TRUE(run.has("view 1 pad up 60,50 M")) << run.text();
    EXPECT_TRUE(run.has("view 1 pad up 90,50 5")) << run.text();
}

TEST(X11Window, ADoubleClickIsTheSameButtonWithin400MillisecondsAnd4Pixels)
{
    REQUIRE_DISPLAY();
    // The clocks around the first two clicks bound the time the server saw
    // between them (its clock, a coarse one, runs at the host's rate). On a
    // machine too busy to tell which side of 400 ms they fell, the run is
    // tried again.
    const std::vector<std::string> single = {"down 50,80 L", "down 50,80 L", "down 50,80 L",
                                             "down 50,80 L", "down 50,80 L", "down 56,80 L"};
    for (int attempt = 0;; ++attempt)
    {
        HostRun run = runEditorHost(kSettle + "move 50 80\nclock\nclick 1\nclock\nwait 300\nclock\nclick 1\nclock\n"
                                              "wait 700\nclick 1\nwait 500\nclick 1\n"
                                              "wait 700\nclick 1\nwait 100\nclick 1 56 80\nsettle\n");
        ASSERT_EQ(run.status, 0) << run.text();
        std::vector<long> clocks;
        for (const std::string& line : run.after("host clock "))
            clocks.push_back(std::stol(line));
        ASSERT_EQ(clocks.size(), 4u) << run.text();
        constexpr long kCoarse = 10;
        const bool within = clocks[3] - clocks[0] + kCoarse < 400;
        const bool beyond = clocks[2] - clocks[1] - kCoarse > 400;
        if (!within && !beyond && attempt < 4)
            continue;
        std::vector<std::string> downs;
        for (const std::string& event : padEvents(run))
            if (event.compare(0, 5, "down ") == 0)
                downs.push_back(event);
        std::vector<std::string> expected = single;
        if (within)
            expected[1] = "down 50,80 L+dbl";
        if (within || beyond)
            EXPECT_EQ(downs, expected) << run.text();
        else
        {
            // Either is right; the rest is as ever.
            ASSERT_EQ(downs.size(), expected.size()) << run.text();
            downs[1] = expected[1];
            EXPECT_EQ(downs, expected) << run.text();
        }
        break;
    }
}

TEST(X11Window, ADragKeepsReportingToItsViewAndLeavingTheWindowIsReported)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kSettle + "move 20 20\nsettle\npress 1\nsettle\nmove 30 40\nsettle\n"
                                          "move 250 60\nsettle\nmove 450 60\nsettle\nrelease 1\nsettle\n"
                                          "move 100 60\nsettle\nmove 500 60\nsettle\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<std::string> expected = {
        "entered 20,20", "exited 20,20",  "down 20,20 L",   "moved 30,40 L", "moved 250,60 L",
        "moved 450,60 L", "up 450,60 L",  "entered 100,60", "exited 500,60",
    };
    EXPECT_EQ(padEvents(run), expected) << run.text();
}

TEST(X11Window, ALinearDragHidesThePointerAtTheMonitorsCentreAndBringsItBack)
{
    REQUIRE_DISPLAY();
    HostRun run = runEditorHost(kSettle + "move 300 60\nsettle\npress 1\nsettle\ncursor\npointer\n"
                                          "moveby 5 0\nsettle\nmoveby 5 0\nsettle\nmoveby 0 7\nsettle\n"
                                          "release 1\nsettle\npointer\ncursor\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<std::string> events = run.after("view 1 linear ");
    ASSERT_FALSE(events.empty()) << run.text();
    const std::string hiddenAt = events.front().substr(events.front().find("hidden ") + 7);
    EXPECT_EQ(events.front(), "down 300,60 hidden " + hiddenAt);
    // The pointer sits at the monitor's centre (1920 by 1080, the host's
    // window at 40, 40).
    const CPoint hidden = parsePoint(hiddenAt);
    EXPECT_EQ(hidden, CPoint(920, 500)) << run.text();
    auto at = [&](CCoord dh, CCoord dv) {
        return std::to_string(hidden.h + dh) + "," + std::to_string(hidden.v + dv);
    };
    // Only the user's moves: none from the warps themselves.
    const std::vector<std::string> expected = {"down 300,60 hidden " + hiddenAt, "moved " + at(5, 0),
                                               "moved " + at(10, 0), "moved " + at(10, 7), "up " + at(10, 7)};
    EXPECT_EQ(events, expected) << run.text();
    // The first pointer probe after the hidden cursor's finds it at the
    // centre; the timer's ticks may come between the two lines.
    const int hiddenLine = run.find("host 1 cursor hidden");
    ASSERT_GE(hiddenLine, 0) << run.text();
    const std::vector<std::string> pointers = run.after("host 1 pointer ", hiddenLine);
    ASSERT_FALSE(pointers.empty()) << run.text();
    EXPECT_EQ(pointers.front(), std::to_string(hidden.h) + " " + std::to_string(hidden.v)) << run.text();
    EXPECT_GT(run.find("host 1 pointer 300 60"), hiddenLine) << run.text();
    EXPECT_GT(run.find("host 1 cursor shown"), hiddenLine) << run.text();
}

TEST(X11Window, ATimerFiresAgainAndAgainAtTheHostsIdles)
{
    REQUIRE_DISPLAY();
    // Its period is the timer's own test's; here its ticks reach the view
    // through the window's idle, one at a time and in order.
    HostRun run = runEditorHost(kSettle + "waitfor view 1 timer 10\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const std::vector<std::string> ticks = run.after("view 1 timer ");
    ASSERT_GE(ticks.size(), 10u) << run.text();
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(ticks[i], std::to_string(i + 1)) << run.text();
}

TEST(X11Window, ParameterEditsAndResizingReachTheHost)
{
    REQUIRE_DISPLAY();
    const std::string shot = screenshotPath("window-420x320.png");
    HostRun run = runEditorHost(kSettle + "click 1 300 169\nsettle\nclick 1 100 205\nsettle\ngeometry\n"
                                          "screenshot " + shot + "\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const int begin = run.find("host 1 beginEdit 3");
    ASSERT_GE(begin, 0) << run.text();
    EXPECT_EQ(run.lines[static_cast<std::size_t>(begin) + 1], "host 1 automate 3 0.25");
    EXPECT_GT(run.find("host 1 endEdit 3"), begin) << run.text();
    EXPECT_TRUE(run.has("host 1 sizeWindow 420 320")) << run.text();
    EXPECT_TRUE(run.has("view 1 grow grown")) << run.text();
    EXPECT_TRUE(run.has("host 1 child 0 0 420 320 viewable")) << run.text();
}

TEST(X11Window, AModalDialogKeepsTheTimersRunningAndEndsWithItsResult)
{
    REQUIRE_DISPLAY();
    // The dialog is centred over the editor: its middle is the editor's.
    // It stays open for five ticks of the timer.
    HostRun run = runEditorHost(kSettle + "click 1 100 169\nwaitfor view 1 dialog open\nrepeat 5\n"
                                          "waitfor view 1 timer\nend\nsettle\nfocus\nclick 1 200 150\n"
                                          "waitfor view 1 dialog result\nsettle\nfocus\n");
    ASSERT_EQ(run.status, 0) << run.text();
    const int opened = run.find("view 1 dialog open");
    const int ended = run.find("view 1 dialog result 7");
    ASSERT_TRUE(opened >= 0 && ended > opened) << run.text();
    EXPECT_TRUE(run.has("view 1 ok down 100,50")) << run.text();
    EXPECT_GE(run.countBetween("view 1 timer ", opened, ended), 4) << run.text();
    // The dialog had the keyboard, and the host has it back.
    EXPECT_EQ(run.after("host 1 focus "), (std::vector<std::string>{"other", "host"})) << run.text();
}
