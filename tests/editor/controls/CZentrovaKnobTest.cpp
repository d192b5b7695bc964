#include "editor/controls/CSwitchedKnob.h"
#include "editor/controls/CZentrovaKnob.h"
#include "editor/controls/CZentrovaVertSwitch.h"
#include "editor/layout/GuiInfo.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
int shownFrame(CControl& knob)
{
    TestCanvas canvas(8, 8);
    knob.draw(canvas.context());
    return stripImage(canvas.pixel(4, 4));
}
} // namespace

TEST(CZentrovaKnob, ShowsTheNearestFrameAndIsDirtyOnlyWhenItChanges)
{
    CBitmap* strip = makeStrip(8, 8, 64);
    CZentrovaKnob knob(CRect(0, 0, 8, 8), nullptr, 3, 64, 8, strip);
    strip->forget();
    for (auto [value, frame] :
         {std::pair{0.0f, 0}, {0.004f, 0}, {0.008f, 1}, {0.5f, 32}, {1.0f, 63}, {1.5f, 63}, {-1.0f, 0}, {NAN, 0}})
    {
        knob.setValue(value);
        EXPECT_EQ(shownFrame(knob), frame) << value;
    }
    knob.setValue(0.5f);
    shownFrame(knob);
    knob.setValue(0.501f);
    EXPECT_FALSE(knob.isDirty());
    knob.setValue(0.52f);
    EXPECT_TRUE(knob.isDirty());

    CRect box;
    knob.getMidiEditRect(box);
    EXPECT_EQ(box, CRect(-8, 0, 16, 12));
}

TEST(CSwitchedKnob, RestsOnItsStepsWhenDraggedAndWheeled)
{
    CBitmap* strip = makeStrip(8, 8, 13);
    RecordingListener listener;
    CSwitchedKnob knob(CRect(0, 0, 8, 8), &listener, 9, 13, 8, strip);
    strip->forget();

    // A straight drag (Option in the circular mode) of 98 of its 200 pixels.
    CPoint start(4, 4);
    knob.onMouseDown(start, kButtonLeft | kModOption);
    CPoint moved(102, 4);
    knob.onMouseMoved(moved, kButtonLeft | kModOption);
    knob.onMouseUp(moved, kButtonLeft | kModOption);
    EXPECT_FLOAT_EQ(knob.getValue(), 6.0f / 12.0f);
    EXPECT_EQ(listener.log.back(), "end 9");
    EXPECT_EQ(shownFrame(knob), 6);

    knob.onWheel(CPoint(), 1.0f, 0);
    EXPECT_FLOAT_EQ(knob.getValue(), 7.0f / 12.0f);
    CPoint nearTop(5, 0);
    EXPECT_FLOAT_EQ(knob.valueFromPoint(nearTop) * 12.0f, std::round(knob.valueFromPoint(nearTop) * 12.0f));

    // One frame still has a step to divide by.
    CSwitchedKnob single(CRect(0, 0, 8, 8), nullptr, 0, 1, 8, nullptr);
    for (float value : {0.3f, 0.7f, NAN, 3.0f})
    {
        single.setValue(value);
        single.bounceValue();
        EXPECT_TRUE(single.getValue() == 0.0f || single.getValue() == 1.0f) << value;
    }
}

TEST(MonitoredControl, TellsOnlyTheMonitorItsNumberNames)
{
    GuiInfo guiInfo(nullptr, nullptr);
    MonitorSpy monitor;
    guiInfo.monitors()[0] = &monitor;
    CZentrovaKnob knob(CRect(0, 0, 8, 8), nullptr, 0, 64, 8, nullptr);
    CZentrovaVertSwitch unwatched(CRect(0, 0, 8, 8), nullptr, 0, 4, 2, 4, nullptr);
    unwatched.setMonitor(&guiInfo, -1);
    knob.setMonitor(&guiInfo, 0);
    CPoint where(4, 4);
    for (CControl* control : {static_cast<CControl*>(&knob), static_cast<CControl*>(&unwatched)})
    {
        control->onMouseDown(where, kButtonLeft);
        control->onMouseUp(where, kButtonLeft);
    }
    EXPECT_EQ(monitor.touches, 2);
    knob.setMonitor(&guiInfo, 1);
    knob.onMouseDown(where, kButtonLeft);
    EXPECT_EQ(monitor.touches, 2);
}
