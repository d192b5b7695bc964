#include "toolkit/CVerticalSwitch.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CVerticalSwitch, TheClickedRowPicksThePosition)
{
    RecordingListener listener;
    CVerticalSwitch vswitch(CRect(0, 100, 20, 200), &listener, 2, 4, 100, 4, nullptr);
    CPoint where(10, 160);
    EXPECT_EQ(vswitch.onMouseDown(where, kButtonLeft), kMouseResultHandled);
    EXPECT_FLOAT_EQ(vswitch.getValue(), 2.0f / 3.0f);
    CPoint below(10, 400);
    vswitch.onMouseMoved(below, kButtonLeft);
    EXPECT_EQ(vswitch.getValue(), 1.0f);
    vswitch.onMouseUp(below, 0);
    EXPECT_EQ(listener.log, (Log{"begin 2", "changed 2 0.666667", "changed 2 1", "end 2"}));

    // Its default is the first position.
    listener.log.clear();
    EXPECT_EQ(vswitch.onMouseDown(where, kButtonLeft | kModCommand), kMouseResultHandledNoTracking);
    EXPECT_EQ(vswitch.getValue(), 0.0f);
    EXPECT_EQ(listener.log, (Log{"begin 2", "begin 2", "changed 2 0", "end 2", "end 2"}));
}

TEST(CVerticalSwitch, DrawsTheNearestPositionsImage)
{
    CBitmap* strip = makeStrip(20, 10, 4);
    CVerticalSwitch vswitch(CRect(0, 0, 20, 10), nullptr, 0, 4, 10, 4, strip);
    strip->release();
    TestCanvas canvas(20, 10);
    for (auto [value, image] : {std::pair{0.5f, 2}, {0.1f, 0}, {1.0f, 3}, {7.0f, 3}})
    {
        vswitch.setValue(value);
        vswitch.draw(canvas.context());
        EXPECT_EQ(stripImage(canvas.pixel(10, 5)), image) << value;
    }
}

TEST(CVerticalSwitch, WithASinglePositionItStaysAtZeroAndDrawsTheFirstImage)
{
    CBitmap* strip = makeStrip(20, 10, 2);
    CVerticalSwitch vswitch(CRect(0, 0, 20, 10), nullptr, 0, 1, 10, 1, strip);
    strip->release();
    CPoint where(10, 9);
    vswitch.onMouseDown(where, kButtonLeft);
    EXPECT_EQ(vswitch.getValue(), 0.0f);
    vswitch.setValue(1.0f);
    TestCanvas canvas(20, 10);
    vswitch.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(10, 5)), 0);
}
