#include "toolkit/CMovieBitmap.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

TEST(CMovieBitmap, ShowsTheNearestImageAndKeepsAValueAboveOneAtOne)
{
    CBitmap* strip = makeStrip(10, 10, 5);
    CMovieBitmap movie(CRect(0, 0, 10, 10), nullptr, 0, strip);
    strip->release();
    TestCanvas canvas(10, 10);
    for (auto [value, image] : {std::pair{0.0f, 0}, {0.6f, 2}, {0.65f, 3}, {2.0f, 4}})
    {
        movie.setValue(value);
        movie.draw(canvas.context());
        EXPECT_EQ(stripImage(canvas.pixel(5, 5)), image) << value;
    }
    EXPECT_EQ(movie.getValue(), 1.0f);
}
