#include "toolkit/CMovieButton.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CMovieButton, AClickTogglesItAndADragOffTakesItBack)
{
    CBitmap* strip = makeStrip(10, 10, 2);
    RecordingListener listener;
    CMovieButton button(CRect(0, 0, 10, 10), &listener, 9, strip);
    strip->release();
    TestCanvas canvas(10, 10);
    button.draw(canvas.context());
    CPoint inside(5, 5);
    button.onMouseDown(inside, kButtonLeft);
    CPoint outside(20, 5);
    button.onMouseMoved(outside, kButtonLeft);
    button.onMouseMoved(inside, kButtonLeft);
    button.onMouseUp(inside, 0);
    EXPECT_EQ(listener.log, (Log{"begin 9", "changed 9 1", "changed 9 0", "changed 9 1", "end 9"}));

    button.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 1);
}
