#include "toolkit/CHorizontalSwitch.h"

#include "support/RecordingListener.h"

#include <gtest/gtest.h>

TEST(CHorizontalSwitch, TheClickedColumnOfTheBackgroundPicksThePosition)
{
    CBitmap* strip = makeStrip(90, 10, 3);
    CHorizontalSwitch hswitch(CRect(10, 0, 100, 10), nullptr, 0, 3, 10, 3, strip);
    strip->release();
    CPoint where(75, 5);
    hswitch.onMouseDown(where, kButtonLeft);
    EXPECT_EQ(hswitch.getValue(), 1.0f);
    CPoint middle(40, 5);
    hswitch.onMouseMoved(middle, kButtonLeft);
    EXPECT_EQ(hswitch.getValue(), 0.5f);
}

TEST(CHorizontalSwitch, WithoutABackgroundItMeasuresItsOwnWidth)
{
    CHorizontalSwitch hswitch(CRect(0, 0, 40, 10), nullptr, 0, 2, 10, 2, nullptr);
    CPoint right(30, 5);
    hswitch.onMouseDown(right, kButtonLeft);
    EXPECT_EQ(hswitch.getValue(), 1.0f);
    CPoint left(19, 5);
    hswitch.onMouseMoved(left, kButtonLeft);
    EXPECT_EQ(hswitch.getValue(), 0.0f);
}
