#include "toolkit/CFrame.h"

#include "toolkit/CControl.h"
#include "toolkit/CHorizontalSlider.h"
#include "toolkit/CKickButton.h"
#include "toolkit/CKnob.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/CRockerSwitch.h"
#include "toolkit/CVerticalSwitch.h"

#include "support/EditorHarness.h"
#include "support/FakePlatform.h"
#include "support/SpyView.h"
#include "support/ToolkitHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace
{
struct OpenFrame
{
    explicit OpenFrame(VSTGUIEditorInterface* editor = nullptr)
    {
        frame = new CFrame(CRect(0, 0, 200, 100), platform.parentWindow(), editor);
        window = FakePlatform::windowOf(frame);
    }
    ~OpenFrame() { frame->release(); }

    FakePlatform platform;
    CFrame* frame;
    FakePlatformWindow* window;
};

SpyView* focusable(CViewContainer* parent, const CRect& size, Log& log, const char* name)
{
    auto* view = new SpyView(size, log, name);
    view->setWantsFocus(true);
    parent->addView(view);
    return view;
}

CKeyResult press(CFrame* frame, unsigned char virt, unsigned char modifier = 0)
{
    VstKeyCode key{0, virt, modifier};
    return frame->onKeyDown(key);
}

// Presses (a button) and releases (minus a button) at where, each followed
// by a move with the buttons still held, as the window layer sends them.
void playButtons(CFrame* frame, CPoint where, const std::vector<CButtonState>& steps)
{
    CButtonState held = 0;
    for (CButtonState step : steps)
    {
        CPoint at(where);
        if (step > 0)
        {
            held |= step;
            frame->onMouseDown(at, step);
        }
        else
        {
            held &= ~-step;
            frame->onMouseUp(at, -step);
        }
        where.offset(1, -3);
        CPoint moved(where);
        frame->onMouseMoved(moved, held);
    }
}
} // namespace

TEST(CFrame, AClickEndsTheFocusBeforeTheViewUnderItSeesIt)
{
    Log log;
    OpenFrame open;
    SpyView* edit = focusable(open.frame, CRect(0, 0, 50, 20), log, "edit");
    open.frame->addView(new SpyView(CRect(100, 0, 150, 20), log, "knob"));
    open.frame->setFocusView(edit);
    CPoint where(120, 10);
    EXPECT_EQ(open.frame->onMouseDown(where, kButtonLeft), kMouseResultHandled);
    EXPECT_EQ(open.frame->getFocusView(), nullptr);
    EXPECT_EQ(log, (Log{"edit looseFocus", "knob down 120,10"}));
}

TEST(CFrame, AModalViewTakesEveryEventUntilItIsCleared)
{
    Log log;
    OpenFrame open;
    open.frame->addView(new SpyView(CRect(0, 0, 200, 100), log, "back"));
    auto* modal = new SpyView(CRect(50, 20, 150, 80), log, "modal");
    modal->keyAnswer = kKeyHandled;
    EXPECT_TRUE(open.frame->setModalView(modal));
    auto* other = new CView(CRect());
    EXPECT_FALSE(open.frame->setModalView(other));
    EXPECT_EQ(open.frame->getNbViews(), 2);

    CPoint outside(10, 10);
    EXPECT_EQ(open.frame->onMouseDown(outside, kButtonLeft), kMouseResultNotHandled);
    CPoint inside(60, 30);
    EXPECT_EQ(open.frame->onMouseDown(inside, kButtonLeft), kMouseResultHandled);
    open.frame->onMouseUp(inside, 0);
    EXPECT_TRUE(open.frame->onWheel(outside, 1.0f, 0));
    EXPECT_EQ(press(open.frame, VKEY_RETURN), kKeyHandled);
    EXPECT_EQ(log, (Log{"modal down 60,30", "modal up 60,30", "modal wheel 1 10,10", "modal key"}));

    EXPECT_TRUE(open.frame->setModalView(nullptr));
    EXPECT_EQ(modal->getNbReference(), 1);
    EXPECT_FALSE(modal->isAttached());
    modal->release();
    other->release();
}

TEST(CFrame, MovingOntoTheBackgroundExitsTheViewUnderThePointer)
{
    Log log;
    OpenFrame open;
    open.frame->addView(new SpyView(CRect(10, 10, 50, 50), log, "A"));
    CPoint overA(20, 20);
    EXPECT_EQ(open.frame->onMouseMoved(overA, 0), kMouseResultHandled);
    CPoint stillOverA(25, 20);
    open.frame->onMouseMoved(stillOverA, kButtonLeft);
    CPoint background(100, 80);
    EXPECT_EQ(open.frame->onMouseMoved(background, 0), kMouseResultHandled);
    EXPECT_EQ(open.frame->getMouseOverView(), nullptr);
    open.frame->onMouseMoved(overA, 0);
    CPoint gone(300, 300);
    open.frame->onMouseExited(gone, 0);
    EXPECT_EQ(log, (Log{"A entered 20,20", "A moved 25,20", "A exited 100,80", "A entered 20,20", "A exited 300,300"}));
}

TEST(CFrame, TheWheelIsDroppedWhileAButtonIsHeldOnAView)
{
    Log log;
    OpenFrame open;
    open.frame->addView(new SpyView(CRect(0, 0, 50, 50), log, "A"));
    open.frame->addView(new SpyView(CRect(100, 0, 150, 50), log, "B"));
    CPoint onA(10, 10);
    open.frame->onMouseDown(onA, kButtonLeft);
    EXPECT_FALSE(open.frame->onWheel(CPoint(120, 10), 1.0f, 0));
    open.frame->onMouseUp(onA, 0);
    EXPECT_TRUE(open.frame->onWheel(CPoint(120, 10), 1.0f, 0));
    EXPECT_EQ(log, (Log{"A down 10,10", "A up 10,10", "B wheel 1 120,10"}));
}

TEST(CFrame, EveryEditBegunByAPressEndsOnceWhateverOtherButtonsDoMeanwhile)
{
    EditorHarness open(CRect(0, 0, 300, 50));
    CControl* controls[] = {
        new CKnob(CRect(0, 0, 40, 40), nullptr, 1, nullptr, nullptr),
        new CHorizontalSlider(CRect(50, 0, 90, 40), nullptr, 2, CPoint(), 40, nullptr, nullptr),
        new CVerticalSwitch(CRect(100, 0, 140, 40), nullptr, 3, 2, 20, 2, nullptr),
        new CKickButton(CRect(150, 0, 190, 40), nullptr, 4, nullptr),
        new CRockerSwitch(CRect(200, 0, 240, 40), nullptr, 5, nullptr),
        new CMovieButton(CRect(250, 0, 290, 40), nullptr, 6, nullptr),
    };
    constexpr CButtonState L = kButtonLeft, M = kButtonMiddle, R = kButtonRight;
    const std::vector<std::vector<CButtonState>> gestures = {
        {L, R, -R, -L}, {L, M, -L, -M}, {R, L, -R, -L}, {M, L, -L, -M}, {L, R, M, -M, -L, -R}};
    for (CControl* control : controls)
    {
        open.frame()->addView(control);
        const CRect& size = control->getViewSize();
        const std::string tag = std::to_string(control->getTag());
        for (std::size_t g = 0; g < gestures.size(); ++g)
        {
            open.effect.calls.clear();
            playButtons(open.frame(), CPoint(size.left + 20, size.top + 20), gestures[g]);
            EXPECT_EQ(open.hostEdits(), "begin " + tag + " end " + tag) << "gesture " << g;
            EXPECT_EQ(open.frame()->getMouseDownView(), nullptr) << "gesture " << g;
        }
    }
}

TEST(CFrame, TabWalksTheFocusForwardsAndShiftTabBackwards)
{
    Log log;
    OpenFrame open;
    EXPECT_EQ(press(open.frame, VKEY_TAB), kKeyNotHandled);

    auto* first = new CViewContainer(CRect(0, 0, 100, 50), open.frame);
    open.frame->addView(first);
    SpyView* a = focusable(first, CRect(0, 0, 10, 10), log, "a");
    SpyView* b = focusable(first, CRect(10, 0, 20, 10), log, "b");
    SpyView* c = focusable(open.frame, CRect(100, 0, 110, 10), log, "c");
    auto* last = new CViewContainer(CRect(100, 50, 200, 100), open.frame);
    open.frame->addView(last);
    SpyView* d = focusable(last, CRect(0, 0, 10, 10), log, "d");

    std::vector<CView*> forwards;
    while (press(open.frame, VKEY_TAB) == kKeyHandled)
        forwards.push_back(open.frame->getFocusView());
    EXPECT_EQ(forwards, (std::vector<CView*>{a, b, c, d}));
    EXPECT_EQ(open.frame->getFocusView(), nullptr);

    std::vector<CView*> backwards;
    while (press(open.frame, VKEY_TAB, kKeyModShift) == kKeyHandled)
        backwards.push_back(open.frame->getFocusView());
    EXPECT_EQ(backwards, (std::vector<CView*>{d, c, b, a}));
}

TEST(CFrame, SetSizeGoesThroughTheHostAndResizesTheWindow)
{
    ToolkitHostEffect effect;
    auto* editor = new ToolkitTestEditor(&effect);
    FakePlatform platform;
    ASSERT_TRUE(editor->open(platform.parentWindow()));
    CFrame* frame = editor->getFrame();

    EXPECT_FALSE(frame->setSize(200, 100));
    EXPECT_TRUE(effect.calls.empty());

    EXPECT_TRUE(frame->setSize(300, 150));
    ASSERT_EQ(effect.calls.size(), 2u);
    EXPECT_EQ(effect.calls[0].text, "sizeWindow");
    EXPECT_EQ(effect.calls[1].opcode, audioMasterSizeWindow);
    EXPECT_EQ(effect.calls[1].index, 300);
    EXPECT_EQ(effect.calls[1].value, 150);
    EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 300, 150));
    EXPECT_EQ(FakePlatform::windowOf(frame)->bounds.getSize(), CPoint(300, 150));

    // A host that cannot resize still gets a resized frame and window.
    effect.hostCanSizeWindow = false;
    effect.calls.clear();
    EXPECT_TRUE(frame->setSize(250, 120));
    EXPECT_EQ(effect.calls.size(), 1u);
    EXPECT_EQ(FakePlatform::windowOf(frame)->bounds.getSize(), CPoint(250, 120));

    auto* closed = new CFrame(CRect(0, 0, 10, 10), editor);
    EXPECT_FALSE(closed->isOpen());
    EXPECT_FALSE(closed->setSize(20, 20));
    closed->release();
    editor->close();
}

TEST(CFrame, HidingThePointerWarpsToTheCentreOfItsMonitor)
{
    OpenFrame open;
    open.window->screens = {CRect(0, 0, 1920, 1080), CRect(1920, 0, 3200, 1024)};
    open.window->windowOrigin = CPoint(2000, 100);
    open.window->mouse = CPoint(50, 40);
    auto* container = new CViewContainer(CRect(20, 10, 120, 90), open.frame);
    open.frame->addView(container);
    auto* knob = new CView(CRect(5, 5, 25, 25));
    container->addView(knob);

    CPoint where = open.frame->hideCursor(knob, CPoint(-1, -1));
    EXPECT_TRUE(open.window->pointerHidden);
    ASSERT_EQ(open.window->warps.size(), 1u);
    EXPECT_EQ(open.window->warps[0], CPoint(2560, 512));
    EXPECT_EQ(where, CPoint(2560 - 2000 - 20, 512 - 100 - 10));

    CPoint restore(10, 10);
    open.frame->unhideCursorAt(knob, restore);
    EXPECT_FALSE(open.window->pointerHidden);
    EXPECT_EQ(restore, CPoint(30, 20));
    EXPECT_EQ(open.window->warps.back(), CPoint(2030, 120));

    open.window->mouse = CPoint(-5000, 0);
    EXPECT_EQ(open.frame->hideCursor(knob, CPoint(-1, -1)), CPoint(-1, -1));

    EXPECT_TRUE(open.frame->pushCrosshairCursor());
    open.frame->popCursor(true);
    EXPECT_EQ(open.window->cursors, (std::vector<CCursorType>{kCursorCrosshair, kCursorDefault}));
}

TEST(CFrame, ScrollingMovesPixelsAndRedrawsOnlyTheUncoveredStrips)
{
    OpenFrame open;
    open.window->invalidRects.clear();
    open.frame->scrollRect(CRect(10, 10, 110, 60), CPoint(5, -3));
    ASSERT_EQ(open.window->scrolls.size(), 1u);
    EXPECT_EQ(open.window->invalidRects, (std::vector<CRect>{CRect(10, 10, 15, 60), CRect(10, 57, 110, 60)}));
}

namespace
{
// A control that counts the searches for dirty views reaching it and can
// write its value as subclasses do, without a call.
struct CountingControl : CControl
{
    using CControl::CControl;
    bool isDirty() const override
    {
        ++searches;
        return CControl::isDirty();
    }
    void writeValue(float value) { m_value = value; }
    void draw(CDrawContext*) override { setDirty(false); }
    CView* newCopy() const override { return nullptr; }
    mutable int searches = 0;
};
} // namespace

TEST(CFrame, AnIdleSearchesForDirtyViewsOnlyAfterAWriteThatCanDirtyOne)
{
    OpenFrame open;
    auto* control = new CountingControl(CRect(10, 10, 30, 30));
    open.frame->addView(control);
    control->setDirty(false);
    open.frame->idle();
    open.window->invalidRects.clear();
    control->searches = 0;

    open.frame->idle();
    open.frame->idle();
    EXPECT_EQ(control->searches, 0);
    EXPECT_TRUE(open.window->invalidRects.empty());

    const std::vector<CRect> itsRect{CRect(10, 10, 30, 30)};
    control->writeValue(0.5f);
    open.frame->idle();
    EXPECT_EQ(open.window->invalidRects, itsRect);

    // The old value alone makes it dirty again.
    control->setDirty(false);
    open.frame->idle();
    open.window->invalidRects.clear();
    control->setOldValue(0.25f);
    open.frame->idle();
    EXPECT_EQ(open.window->invalidRects, itsRect);
}
