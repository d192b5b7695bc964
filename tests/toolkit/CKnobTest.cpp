#include "toolkit/CKnob.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace
{
// A point at angle degrees (anticlockwise from three o'clock) and distance
// from the centre of a 100-pixel knob whose top-left corner is origin.
CPoint at(double degrees, double distance, CPoint origin = CPoint())
{
    double radians = degrees * 3.14159265358979323846 / 180.0;
    return CPoint(origin.h + std::lround(50 + std::cos(radians) * distance),
                  origin.v + std::lround(50 - std::sin(radians) * distance));
}

// The host's knob mode for as long as it lives.
struct KnobMode
{
    KnobMode(AEffGUIEditor* editor, int mode) : editor(editor) { editor->setKnobMode(mode); }
    ~KnobMode() { editor->setKnobMode(0); }
    AEffGUIEditor* editor;
};
} // namespace

TEST(CKnob, ZeroSitsAtTheLowerLeftAHalfStraightUpAndOneAtTheLowerRight)
{
    CKnob knob(CRect(0, 0, 100, 100), nullptr, 0, nullptr, nullptr);
    knob.setInsetValue(0);
    CPoint handle;
    for (auto [value, expected] : {std::pair{0.0f, CPoint(15, 85)}, {0.5f, CPoint(50, 0)}, {1.0f, CPoint(85, 85)}})
    {
        knob.setValue(value);
        knob.valueToPoint(handle);
        EXPECT_EQ(handle, expected) << value;
    }
    CPoint top = at(90, 40);
    EXPECT_NEAR(knob.valueFromPoint(top), 0.5f, 1e-3);
    CPoint right = at(0, 40);
    EXPECT_NEAR(knob.valueFromPoint(right), 5.0f / 6.0f, 1e-3);
}

TEST(CKnob, TheDeadZoneBelowGivesTheNearerEnd)
{
    CKnob knob(CRect(0, 0, 100, 100), nullptr, 0, nullptr, nullptr);
    CPoint leftOfBottom = at(250, 40);
    EXPECT_EQ(knob.valueFromPoint(leftOfBottom), 0.0f);
    CPoint rightOfBottom = at(290, 40);
    EXPECT_EQ(knob.valueFromPoint(rightOfBottom), 1.0f);
    CPoint justIn = at(220, 40);
    EXPECT_NEAR(knob.valueFromPoint(justIn), 5.0f / 270.0f, 2e-3);
}

TEST(CKnob, ACircularDragFollowsTheAngleAndSticksAtTheEndItCrossedTheDeadZoneFrom)
{
    EditorHarness open(CRect(0, 0, 200, 200));
    RecordingListener listener;
    auto* knob = new CKnob(CRect(50, 50, 150, 150), &listener, 3, nullptr, nullptr);
    open.frame()->addView(knob);
    CPoint origin(50, 50);

    CPoint top = at(90, 45, origin);
    open.frame()->onMouseDown(top, kButtonLeft);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-3);
    EXPECT_EQ(open.window->cursors.back(), kCursorCrosshair);
    for (double degrees : {0.0, -40.0})
    {
        CPoint where = at(degrees, 45, origin);
        open.frame()->onMouseMoved(where, kButtonLeft);
    }
    EXPECT_NEAR(knob->getValue(), 265.0f / 270.0f, 5e-3);
    for (double degrees : {250.0, 200.0})
    {
        CPoint where = at(degrees, 45, origin);
        open.frame()->onMouseMoved(where, kButtonLeft);
        EXPECT_EQ(knob->getValue(), 1.0f) << degrees;
    }
    open.frame()->onMouseUp(top, 0);
    EXPECT_EQ(open.window->cursors.back(), kCursorDefault);
    EXPECT_EQ(listener.log.front(), "begin 3");
    EXPECT_EQ(listener.log.back(), "end 3");
    EXPECT_EQ(open.hostEdits(), "begin 3 end 3");
}

TEST(CKnob, ALinearDragCoversTheRangeIn200PixelsOr300WithTheZoomModifier)
{
    EditorHarness open(CRect(0, 0, 200, 200));
    KnobMode linear(open.editor, 2);
    auto* knob = new CKnob(CRect(50, 50, 150, 150), nullptr, 3, nullptr, nullptr);
    open.frame()->addView(knob);

    for (auto [buttons, pixels] : {std::pair{CButtonState(kButtonLeft), 200}, {kButtonLeft | kModShift, 300}})
    {
        knob->setValue(0.0f);
        CPoint down(100, 100);
        open.frame()->onMouseDown(down, buttons);
        // The pointer went to the middle of the screen, hidden.
        EXPECT_EQ(open.window->warps.back(), CPoint(960, 540));
        EXPECT_TRUE(open.window->pointerHidden);
        CPoint up(960 + pixels / 4, 540 - pixels / 4);
        open.frame()->onMouseMoved(up, buttons);
        EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
        CPoint beyond(960 + pixels, 540);
        open.frame()->onMouseMoved(beyond, buttons);
        EXPECT_EQ(knob->getValue(), 1.0f);
        open.frame()->onMouseUp(beyond, 0);
        EXPECT_EQ(open.window->warps.back(), CPoint(100, 100));
        EXPECT_FALSE(open.window->pointerHidden);
    }

    // Option drags the other way than the host's mode.
    knob->setValue(0.0f);
    CPoint top(100, 52);
    open.frame()->onMouseDown(top, kButtonLeft | kModOption);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-3);
    open.frame()->onMouseUp(top, 0);
}

TEST(CKnob, TheZoomModifierPressedMidDragDoesNotMoveTheValue)
{
    EditorHarness open(CRect(0, 0, 200, 200));
    KnobMode linear(open.editor, 2);
    auto* knob = new CKnob(CRect(50, 50, 150, 150), nullptr, 3, nullptr, nullptr);
    open.frame()->addView(knob);
    CPoint down(100, 100);
    open.frame()->onMouseDown(down, kButtonLeft);
    CPoint first(960, 440);
    open.frame()->onMouseMoved(first, kButtonLeft);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
    CPoint next(960, 439);
    open.frame()->onMouseMoved(next, kButtonLeft | kModShift);
    EXPECT_NEAR(knob->getValue(), 0.505f, 1e-5);
    CPoint further(960, 409);
    open.frame()->onMouseMoved(further, kButtonLeft | kModShift);
    EXPECT_NEAR(knob->getValue(), 0.605f, 1e-5);
    open.frame()->onMouseUp(further, 0);
}

TEST(CKnob, AControlClickResetsItWithoutADrag)
{
    EditorHarness open;
    RecordingListener listener;
    auto* knob = new CKnob(CRect(0, 0, 100, 100), &listener, 3, nullptr, nullptr);
    open.frame()->addView(knob);
    knob->setValue(0.8f);
    CPoint where(50, 20);
    EXPECT_EQ(open.frame()->onMouseDown(where, kButtonLeft | kModCommand), kMouseResultHandledNoTracking);
    EXPECT_EQ(open.frame()->getMouseDownView(), nullptr);
    EXPECT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(listener.log, (Log{"modifier 3", "begin 3", "begin 3", "changed 3 0.5", "end 3", "end 3"}));
    EXPECT_EQ(open.hostEdits(), "begin 3 begin 3 end 3 end 3");
}

TEST(CKnob, DrawsItsHandleFromTheRimToTheCentre)
{
    CKnob knob(CRect(0, 0, 100, 100), nullptr, 0, nullptr, nullptr);
    knob.setValue(0.5f);
    TestCanvas canvas(100, 100);
    knob.draw(canvas.context());
    EXPECT_EQ(canvas.pixel(49, 20), argb(kColorGrey));
    EXPECT_EQ(canvas.pixel(50, 20), argb(kColorWhite));
    EXPECT_EQ(canvas.pixel(48, 20), 0u);
    EXPECT_EQ(canvas.pixel(51, 20), 0u);

    CBitmap* handle = makeStrip(4, 4, 1);
    knob.setHandleBitmap(handle);
    handle->release();
    EXPECT_EQ(knob.getInsetValue(), 4);
    TestCanvas withBitmap(100, 100);
    knob.draw(withBitmap.context());
    EXPECT_EQ(stripImage(withBitmap.pixel(48, 2)), 0);
    EXPECT_EQ(stripImage(withBitmap.pixel(51, 5)), 0);
    EXPECT_EQ(withBitmap.pixel(50, 20), 0u);
}
