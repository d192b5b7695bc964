#include "toolkit/CAutoAnimation.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CAutoAnimation, AClickOpensAndClosesItAndItDrawsOnlyWhileOpen)
{
    CBitmap* strip = makeStrip(10, 10, 4);
    RecordingListener listener;
    CAutoAnimation animation(CRect(0, 0, 10, 10), &listener, 1, strip);
    strip->release();
    TestCanvas canvas(10, 10);
    animation.draw(canvas.context());
    EXPECT_EQ(canvas.pixel(5, 5), 0u);

    CPoint where(5, 5);
    EXPECT_EQ(animation.onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_TRUE(animation.isWindowOpened());
    animation.nextPixmap();
    animation.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 1);
    animation.onMouseDown(where, kButtonLeft);
    EXPECT_FALSE(animation.isWindowOpened());
    EXPECT_EQ(listener.log, (Log{"changed 1 0", "changed 1 0"}));
}

TEST(CAutoAnimation, SteppingWrapsAtBothEndsOntoWholeImages)
{
    CAutoAnimation animation(CRect(0, 0, 10, 10), nullptr, 0, 4, 10, nullptr);
    animation.nextPixmap();
    animation.nextPixmap();
    EXPECT_EQ(animation.getValue(), 20.0f);
    animation.nextPixmap();
    EXPECT_EQ(animation.getValue(), 0.0f);
    animation.previousPixmap();
    EXPECT_EQ(animation.getValue(), 30.0f);
    animation.previousPixmap();
    EXPECT_EQ(animation.getValue(), 20.0f);
}
