#include "toolkit/CAnimKnob.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
int drawnImage(CAnimKnob& knob, float value)
{
    TestCanvas canvas(50, 50);
    knob.setValue(value);
    knob.draw(canvas.context());
    return stripImage(canvas.pixel(25, 25));
}
} // namespace

TEST(CAnimKnob, DrawsTheImageTheValueLiesInAndTheNearestEndOutsideTheRange)
{
    CBitmap* strip = makeStrip(50, 50, 31);
    CAnimKnob knob(CRect(0, 0, 50, 50), nullptr, 0, strip);
    strip->release();
    EXPECT_EQ(drawnImage(knob, 0.5f), 15);
    EXPECT_EQ(drawnImage(knob, 0.99f), 29);
    EXPECT_EQ(drawnImage(knob, 1.0f), 30);
    EXPECT_EQ(drawnImage(knob, 1.5f), 30);
    EXPECT_EQ(drawnImage(knob, -0.5f), 0);
    knob.setInverseBitmap(true);
    EXPECT_EQ(drawnImage(knob, 0.25f), 22);
    EXPECT_EQ(drawnImage(knob, -0.5f), 30);
}

TEST(CAnimKnob, AChangeThatLeavesTheHandlePointWhereItWasNeedsNoRedraw)
{
    CBitmap* strip = makeStrip(50, 50, 31);
    CAnimKnob knob(CRect(0, 0, 50, 50), nullptr, 0, strip);
    strip->release();
    drawnImage(knob, 0.5f);
    EXPECT_FALSE(knob.isDirty());
    knob.setValue(0.501f);
    EXPECT_FALSE(knob.isDirty());
    knob.setValue(0.6f);
    EXPECT_TRUE(knob.isDirty());
    knob.setValue(0.5f);
    knob.setDirty(true);
    EXPECT_TRUE(knob.isDirty());

    // The listener still hears of it.
    RecordingListener listener;
    knob.setListener(&listener);
    drawnImage(knob, 0.5f);
    knob.setWheelInc(0.01f);
    knob.onWheel(CPoint(), 0.1f, 0);
    EXPECT_FALSE(knob.isDirty());
    EXPECT_EQ(listener.log, (std::vector<std::string>{"begin 0", "changed 0 0.501", "end 0"}));
}
