#include "toolkit/AEffGUIEditor.h"
#include "toolkit/BundleLocation.h"
#include "toolkit/CFrame.h"
#include "toolkit/CVSTGUITimer.h"

#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/SpyView.h"
#include "support/TestCanvas.h"
#include "support/ToolkitHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct OpenEditor
{
    OpenEditor() : editor(new ToolkitTestEditor(&effect))
    {
        editor->open(platform.parentWindow());
        window = FakePlatform::windowOf(editor->getFrame());
    }

    std::size_t hostCalls(VstInt32 opcode) const
    {
        return static_cast<std::size_t>(std::count_if(effect.calls.begin(), effect.calls.end(),
                                                      [opcode](const ToolkitHostCall& c) { return c.opcode == opcode; }));
    }

    FakePlatform platform;
    ToolkitHostEffect effect; // owns the editor
    ToolkitTestEditor* editor;
    FakePlatformWindow* window = nullptr;
};

class DrawnAreaView : public CView
{
public:
    explicit DrawnAreaView(const CRect& size) : CView(size) {}
    void drawRect(CDrawContext*, const CRect& updateRect) override { drawn.push_back(updateRect); }
    std::vector<CRect> drawn;
};

struct TickCounter : CBaseObject
{
    std::int32_t notify(CBaseObject*, const char* message) override
    {
        ticks += message == CVSTGUITimer::kMsgTimer ? 1 : 0;
        return 1;
    }
    int ticks = 0;
};
} // namespace

TEST(AEffGUIEditor, TheIdleThrottleHoldsAcrossTheOld32BitWrap)
{
    const std::uint64_t start = (std::uint64_t(1) << 32) - 40;
    FakeClock clock(start);
    OpenEditor open;
    auto idles = [&] { return open.window->pumps; };

    open.editor->processIdle();
    EXPECT_EQ(idles(), 1);
    EXPECT_EQ(open.hostCalls(audioMasterIdle), 1u);

    clock.set(start + 30);
    open.editor->processIdle();
    EXPECT_EQ(idles(), 1);
    clock.set(start + 60);
    open.editor->processIdle();
    EXPECT_EQ(idles(), 2);
    clock.set(start + 100);
    open.editor->processIdle();
    EXPECT_EQ(idles(), 2);
    clock.set(start + 250);
    open.editor->processIdle();
    EXPECT_EQ(idles(), 3);
    EXPECT_EQ(open.hostCalls(audioMasterIdle), 3u);
}

TEST(AEffGUIEditor, IdleRunsEventsTimersDirtyViewsAndPaintingInThatOrder)
{
    FakeClock clock(0);
    OpenEditor open;
    CFrame* frame = open.editor->getFrame();
    auto* panel = new CViewContainer(CRect(10, 10, 30, 30), frame);
    panel->setBackgroundColor(kColorRed);
    frame->addView(panel);
    std::vector<std::string> order;
    TickCounter listener;
    auto* timer = new CVSTGUITimer(&listener, 10);
    timer->start();
    open.window->onPump = [&] { order.push_back(listener.ticks ? "events after timer" : "events"); };
    open.editor->idle(); // paints what adding the panel invalidated
    EXPECT_EQ(open.window->pixel(15, 15), argb(kColorRed));

    clock.set(10);
    panel->setBackgroundColor(kColorGreen);
    open.editor->idle();
    EXPECT_EQ(order, (std::vector<std::string>{"events", "events"}));
    EXPECT_EQ(listener.ticks, 1);
    EXPECT_EQ(open.window->pixel(15, 15), argb(kColorGreen));
    // Only what was invalidated is painted.
    EXPECT_EQ(open.window->pixel(30, 30), 0u);
    timer->forget();
}

TEST(AEffGUIEditor, DrawPutsTheHostsCornersInOrder)
{
    OpenEditor open;
    auto* view = new DrawnAreaView(CRect(0, 0, 200, 100));
    open.editor->getFrame()->addView(view);
    ERect rect{10, 20, 5, 0}; // top, left, bottom, right
    open.editor->draw(&rect);
    open.editor->draw(nullptr);
    EXPECT_EQ(view->drawn, (std::vector<CRect>{CRect(0, 5, 20, 10), CRect(0, 0, 200, 100)}));

    ERect* answered = nullptr;
    EXPECT_TRUE(open.editor->getRect(&answered));
    EXPECT_NE(answered, nullptr);
}

TEST(AEffGUIEditor, AKeyCountsAsUsedUnlessTheFrameAnswersNotHandled)
{
    ToolkitHostEffect effect;
    auto* editor = new ToolkitTestEditor(&effect);
    VstKeyCode key{'+', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));

    FakePlatform platform;
    editor->open(platform.parentWindow());
    EXPECT_FALSE(editor->onKeyDown(key));
    std::vector<std::string> log;
    auto* focus = new SpyView(CRect(0, 0, 10, 10), log, "focus");
    editor->getFrame()->addView(focus);
    editor->getFrame()->setFocusView(focus);
    focus->keyAnswer = 0;
    EXPECT_TRUE(editor->onKeyDown(key));
    focus->keyAnswer = kKeyHandled;
    EXPECT_TRUE(editor->onKeyDown(key));
}

TEST(AEffGUIEditor, EditBracketsReachTheHostAndTheKnobModeIsShared)
{
    OpenEditor open;
    open.editor->getFrame()->beginEdit(12);
    open.editor->getFrame()->endEdit(12);
    ASSERT_EQ(open.effect.calls.size(), 2u);
    EXPECT_EQ(open.effect.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(open.effect.calls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(open.effect.calls[1].index, 12);

    ToolkitHostEffect otherEffect;
    auto* other = new ToolkitTestEditor(&otherEffect);
    EXPECT_TRUE(other->setKnobMode(2));
    EXPECT_EQ(open.editor->getFrame()->getKnobMode(), 2);
    open.editor->setKnobMode(0);
    EXPECT_EQ(other->getKnobMode(), 0);
}

TEST(AEffGUIEditor, TheBundleIsTheLibraryPathCutThreeTimes)
{
    EXPECT_EQ(BundleLocation::fromLibraryPath("/usr/lib/vst/Zentrova2.vst/Contents/x86_64-linux/Zentrova2.so"),
              "/usr/lib/vst/Zentrova2.vst");
    EXPECT_EQ(BundleLocation::fromLibraryPath("Contents/x86_64-linux/Zentrova2.so"), "");
    EXPECT_EQ(BundleLocation::fromLibraryPath("Zentrova2.so"), "");
}

// A host makes and destroys instances on threads of its own while the UI
// thread runs an editor of another one.
TEST(EditorThreads, AnEditorOpensAndIdlesWhileAnotherThreadMakesAndDestroysEditors)
{
    OpenEditor open;
    std::atomic<bool> done{false};
    std::thread host([&] {
        const Platform::WindowFactory factory = Platform::getWindowFactory();
        for (int i = 0; i < 200; ++i)
        {
            // As every instance's entry does.
            Platform::setWindowFactory(factory);
            ToolkitHostEffect effect;
            new ToolkitTestEditor(&effect); // owned by the effect
        }
        done = true;
    });
    while (!done)
    {
        open.editor->idle();
        open.editor->close();
        open.editor->open(open.platform.parentWindow());
    }
    host.join();
    EXPECT_NE(FakePlatform::windowOf(open.editor->getFrame()), nullptr);
    EXPECT_EQ(CTimerRegistry::current(), &open.editor->getTimers());
}
