#include "toolkit/CControl.h"
#include "toolkit/CFrame.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace
{
// The smallest control: it takes the wheel and the arrow keys as knobs
// do, and logs clicks that reach it.
class TestControl : public CControl
{
public:
    using CControl::CControl;
    void draw(CDrawContext*) override { setDirty(false); }
    CView* newCopy() const override { return new TestControl(*this); }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override
    {
        ++clicks;
        return kMouseResultHandledNoTracking;
    }
    using CControl::onWheel;
    bool onWheel(const CPoint&, const float& distance, const CButtonState& buttons) override
    {
        return wheelStep(distance, buttons);
    }
    CKeyResult onKeyDown(VstKeyCode& key) override { return arrowKeyStep(key); }

    int clicks = 0;
};
} // namespace

TEST(CControl, IsDirtyWhileTheValueDiffersFromTheOneDrawn)
{
    TestControl control(CRect(0, 0, 10, 10));
    EXPECT_TRUE(control.isDirty());
    control.setDirty(false);
    EXPECT_FALSE(control.isDirty());
    control.setValue(0.25f);
    EXPECT_TRUE(control.isDirty());

    control.setValue(-1.0f);
    control.setDirty(true);
    EXPECT_EQ(control.getOldValue(), 0.0f);
    EXPECT_TRUE(control.isDirty());

    control.setValue(7.0f);
    EXPECT_EQ(control.getValue(), 7.0f);
    control.bounceValue();
    EXPECT_EQ(control.getValue(), 1.0f);
    control.setValue(-0.5f);
    control.bounceValue();
    EXPECT_EQ(control.getValue(), 0.0f);
}

TEST(CControl, ControlClickResetsToTheDefaultAndShiftControlClickDoesNothing)
{
    RecordingListener listener;
    TestControl control(CRect(0, 0, 10, 10), &listener, 3);
    control.setValue(0.9f);
    control.setDirty(false);

    EXPECT_FALSE(control.checkDefaultValue(kButtonLeft | kModCommand | kModShift));
    EXPECT_FALSE(control.checkDefaultValue(kButtonLeft | kModControl));
    EXPECT_EQ(control.getValue(), 0.9f);
    EXPECT_TRUE(listener.log.empty());

    EXPECT_TRUE(control.checkDefaultValue(kButtonLeft | kModCommand));
    EXPECT_EQ(control.getValue(), 0.5f);
    EXPECT_EQ(listener.log, (Log{"begin 3", "changed 3 0.5", "end 3"}));
}

TEST(CControl, AModifiedClickGoesToTheListenerFirst)
{
    EditorHarness open;
    RecordingListener listener;
    auto* control = new TestControl(CRect(10, 10, 40, 40), &listener, 3);
    open.frame()->addView(control);
    CPoint where(20, 20);

    listener.modifierAnswer = 1;
    open.frame()->onMouseDown(where, kButtonRight);
    EXPECT_EQ(control->clicks, 0);
    listener.modifierAnswer = 0;
    open.frame()->onMouseDown(where, kButtonLeft | kModCommand);
    EXPECT_EQ(control->clicks, 1);
    EXPECT_EQ(listener.log, (Log{"modifier 3", "modifier 3"}));
}

TEST(CControl, AnEditReachesTheListenerAndThroughTheFrameTheHost)
{
    EditorHarness open;
    RecordingListener listener;
    listener.context = [&] { return " [" + open.hostEdits() + "]"; };
    auto* control = new TestControl(CRect(10, 10, 40, 40), &listener, 7);
    open.frame()->addView(control);

    EXPECT_TRUE(control->onWheel(CPoint(20, 20), 1.0f, 0));
    EXPECT_EQ(listener.log, (Log{"begin 7 []", "changed 7 0.1 [begin 7]", "end 7 [begin 7 end 7]"}));
    EXPECT_EQ(open.frame()->getFocusView(), control);

    TestControl loose(CRect(0, 0, 10, 10), &listener, 8);
    listener.log.clear();
    loose.beginEdit();
    loose.endEdit();
    EXPECT_EQ(listener.log, (Log{"begin 8 [begin 7 end 7]", "end 8 [begin 7 end 7]"}));
}

TEST(CControl, TheWheelAndTheArrowKeysStepByTheWheelIncrementAndATenthOfItWithTheZoomModifier)
{
    RecordingListener listener;
    TestControl control(CRect(0, 0, 10, 10), &listener, 1);
    control.setWheelInc(0.2f);
    control.setValue(0.5f);
    control.onWheel(CPoint(), 1.0f, 0);
    EXPECT_FLOAT_EQ(control.getValue(), 0.7f);
    control.onWheel(CPoint(), -2.0f, kModShift);
    EXPECT_FLOAT_EQ(control.getValue(), 0.66f);
    control.onWheel(CPoint(), 10.0f, 0);
    EXPECT_EQ(control.getValue(), 1.0f);
    control.setMouseEnabled(false);
    EXPECT_FALSE(control.onWheel(CPoint(), -1.0f, 0));
    control.setMouseEnabled(true);

    VstKeyCode down{0, VKEY_DOWN, 0};
    EXPECT_EQ(control.onKeyDown(down), kKeyHandled);
    EXPECT_FLOAT_EQ(control.getValue(), 0.8f);
    VstKeyCode space{0, VKEY_SPACE, 0};
    EXPECT_EQ(control.onKeyDown(space), kKeyNotHandled);

    // The key's Command bit is the toolkit's Command, its Control bit the
    // toolkit's Control.
    CControl::setZoomModifier(kModCommand);
    control.setValue(0.5f);
    VstKeyCode fineUp{0, VKEY_UP, kKeyModCommand};
    control.onKeyDown(fineUp);
    EXPECT_FLOAT_EQ(control.getValue(), 0.52f);
    VstKeyCode coarseUp{0, VKEY_UP, kKeyModControl};
    control.onKeyDown(coarseUp);
    EXPECT_FLOAT_EQ(control.getValue(), 0.72f);
    CControl::setZoomModifier(kModShift);
    EXPECT_EQ(CControl::modifiersOfKey(kKeyModCommand | kKeyModControl), kModCommand | kModControl);
}
