#include "toolkit/CRockerSwitch.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CRockerSwitch, HeldOnAHalfItLeansThatWayAndSpringsBackSilently)
{
    RecordingListener listener;
    CRockerSwitch rocker(CRect(10, 0, 40, 10), &listener, 6, 10, nullptr, CPoint(), CRockerSwitch::kHorizontal);
    CPoint middle(25, 5);
    rocker.onMouseDown(middle, kButtonLeft);
    EXPECT_EQ(rocker.getValue(), -1.0f);
    CPoint right(26, 5);
    rocker.onMouseMoved(right, kButtonLeft);
    EXPECT_EQ(rocker.getValue(), 1.0f);
    rocker.onMouseUp(right, 0);
    EXPECT_EQ(rocker.getValue(), 0.0f);
    EXPECT_EQ(listener.log, (Log{"begin 6", "changed 6 -1", "changed 6 1", "end 6"}));

    listener.log.clear();
    EXPECT_TRUE(rocker.onWheel(CPoint(), 1.0f, 0));
    EXPECT_EQ(listener.log, (Log{"begin 6", "changed 6 -1", "changed 6 0", "end 6"}));
}

TEST(CRockerSwitch, DrawsItsThreeStatesFromTheStrip)
{
    CBitmap* strip = makeStrip(10, 10, 3);
    CRockerSwitch rocker(CRect(0, 0, 10, 10), nullptr, 0, strip);
    strip->release();
    TestCanvas canvas(10, 10);
    for (auto [value, image] : {std::pair{-1.0f, 0}, {0.0f, 1}, {1.0f, 2}})
    {
        rocker.setValue(value);
        rocker.draw(canvas.context());
        EXPECT_EQ(stripImage(canvas.pixel(5, 5)), image) << value;
    }
}
