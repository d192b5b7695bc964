#include "toolkit/CSpecialDigit.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string shown(CSpecialDigit& digits, float value)
{
    TestCanvas canvas(30, 10);
    digits.setValue(value);
    digits.draw(canvas.context());
    std::string text;
    for (int x : {5, 15, 25})
        text += std::to_string(stripImage(canvas.pixel(x, 5)));
    return text;
}
} // namespace

TEST(CSpecialDigit, ShowsTheValueClampedToItsDigits)
{
    CBitmap* digitsStrip = makeStrip(10, 10, 10);
    CSpecialDigit digits(CRect(0, 0, 30, 10), nullptr, 0, 42, 3, nullptr, nullptr, 10, 10, digitsStrip);
    digitsStrip->release();
    EXPECT_EQ(digits.getMax(), 999.0f);
    EXPECT_EQ(shown(digits, 42), "042");
    EXPECT_EQ(shown(digits, 1234), "999");
    EXPECT_EQ(shown(digits, 7.9f), "007");
    EXPECT_EQ(shown(digits, -5), "000");
    EXPECT_EQ(digits.getNormValue(), 0.0f);
}

TEST(CSpecialDigit, KeepsAtMostSevenDigitsAtTheGivenPlaces)
{
    CBitmap* digitsStrip = makeStrip(10, 10, 10);
    std::int64_t xpos[] = {20, 10, 0};
    std::int64_t ypos[] = {0, 0, 0};
    CSpecialDigit reversed(CRect(0, 0, 30, 10), nullptr, 0, 123, 3, xpos, ypos, 10, 10, digitsStrip);
    EXPECT_EQ(shown(reversed, 123), "321");
    CSpecialDigit many(CRect(0, 0, 30, 10), nullptr, 0, 0, 12, nullptr, nullptr, 10, 10, digitsStrip);
    EXPECT_EQ(many.getMax(), 9999999.0f);
    digitsStrip->release();
}
