#include "toolkit/CKickButton.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CKickButton, ReleasedInsideItReportsOneThenZeroAndOutsideOnlyZero)
{
    RecordingListener listener;
    CKickButton button(CRect(10, 10, 30, 30), &listener, 5, nullptr);
    CPoint inside(30, 30);
    EXPECT_EQ(button.onMouseDown(inside, kButtonLeft), kMouseResultHandled);
    EXPECT_EQ(button.getValue(), 1.0f);
    button.onMouseUp(inside, 0);
    EXPECT_EQ(listener.log, (Log{"begin 5", "changed 5 1", "changed 5 0", "end 5"}));

    listener.log.clear();
    button.onMouseDown(inside, kButtonLeft);
    CPoint outside(31, 20);
    button.onMouseMoved(outside, kButtonLeft);
    EXPECT_EQ(button.getValue(), 0.0f);
    button.onMouseUp(outside, 0);
    EXPECT_EQ(listener.log, (Log{"begin 5", "changed 5 0", "end 5"}));
    EXPECT_EQ(button.onMouseDown(inside, kButtonRight), kMouseResultNotHandled);
}

TEST(CKickButton, DrawsTheImageBelowItsOffsetWhilePressed)
{
    CBitmap* strip = makeStrip(10, 10, 3);
    CKickButton button(CRect(0, 0, 10, 10), nullptr, 0, strip, CPoint(0, 10));
    strip->release();
    TestCanvas canvas(10, 10);
    button.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 1);
    button.setValue(3.0f);
    button.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 2);
    EXPECT_EQ(button.getValue(), 1.0f);
}
