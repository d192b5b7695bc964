#include "editor/controls/CDisplay.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CDisplay, ShowsTheNearestPictureAndTakesNoInput)
{
    CBitmap* strip = makeStrip(8, 8, 12);
    RecordingListener listener;
    CDisplay display(CRect(0, 0, 8, 8), &listener, 0, 12, 8, strip);
    strip->forget();
    TestCanvas canvas(8, 8);
    for (auto [value, frame] : {std::pair{0.5f, 6},
                                {0.0f, 0},
                                {1.0f, 11},
                                {0.52f, 6},
                                {0.55f, 6},
                                {0.96f, 11},
                                {3.0f, 11},
                                {-1.0f, 0},
                                {NAN, 0}})
    {
        display.setValue(value);
        display.draw(canvas.context());
        EXPECT_EQ(stripImage(canvas.pixel(4, 4)), frame) << value;
    }
    display.setValue(0.5f);
    EXPECT_FLOAT_EQ(display.getValue(), 6.25f / 11.0f);

    CPoint where(4, 4);
    EXPECT_EQ(display.onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_FALSE(display.onWheel(where, 1.0f, 0));
    EXPECT_TRUE(listener.log.empty());

    CDisplay single(CRect(0, 0, 8, 8), nullptr, 0, 1, 8, nullptr);
    single.setValue(0.7f);
    EXPECT_FALSE(std::isnan(single.getValue()));
}
