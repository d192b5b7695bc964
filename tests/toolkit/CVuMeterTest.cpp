#include "toolkit/CVuMeter.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

namespace
{
// The lit LEDs of a horizontal meter of ten 10-pixel LEDs, the lit ones
// drawn from the first image of a strip, the others from the second.
int litLeds(const TestCanvas& canvas)
{
    int lit = 0;
    for (int x = 5; x < 100; x += 10)
        lit += stripImage(canvas.pixel(x, 5)) == 0 ? 1 : 0;
    return lit;
}

CBitmap* secondImageOnly(int width = 100, int height = 10)
{
    CBitmap* strip = makeStrip(width, height, 2);
    TestCanvas canvas(width, height);
    strip->draw(canvas.context(), CRect(0, 0, width, height), CPoint(0, height));
    auto* image = new CBitmap(canvas.surface());
    strip->release();
    return image;
}
} // namespace

TEST(CVuMeter, AFallingLevelDropsOneStepPerDraw)
{
    CBitmap* on = makeStrip(100, 10, 1);
    CBitmap* off = secondImageOnly();
    CVuMeter meter(CRect(0, 0, 100, 10), on, off, 10, CVuMeter::kHorizontal);
    on->release();
    off->release();
    TestCanvas canvas(100, 10);
    meter.setValue(1.0f);
    meter.draw(canvas.context());
    EXPECT_EQ(litLeds(canvas), 10);
    meter.setValue(0.0f);
    int draws = 0;
    while (meter.isDirty() && draws < 20)
    {
        meter.draw(canvas.context());
        ++draws;
        EXPECT_EQ(litLeds(canvas), std::max(0, 10 - draws));
    }
    EXPECT_LE(draws, 11);
    EXPECT_EQ(litLeds(canvas), 0);

    meter.setValue(0.46f);
    meter.draw(canvas.context());
    EXPECT_EQ(litLeds(canvas), 5);
}

TEST(CVuMeter, AVerticalMeterLightsFromTheBottomThroughItsOffscreen)
{
    CBitmap* on = makeStrip(10, 100, 1);
    CBitmap* off = secondImageOnly(10, 100);
    CVuMeter meter(CRect(0, 0, 10, 100), on, off, 10, CVuMeter::kVertical);
    on->release();
    off->release();
    meter.setUseOffscreen(true);
    meter.setDecreaseStepValue(1.0f);
    meter.setValue(0.3f);
    TestCanvas canvas(10, 100);
    meter.draw(canvas.context());
    EXPECT_FALSE(meter.isDirty());
    EXPECT_EQ(stripImage(canvas.pixel(5, 69)), 1);
    EXPECT_EQ(stripImage(canvas.pixel(5, 70)), 0);
    EXPECT_EQ(stripImage(canvas.pixel(5, 99)), 0);
}
