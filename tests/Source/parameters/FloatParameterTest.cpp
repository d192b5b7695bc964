#include "ParameterTestHelpers.h"
#include "Source/parameters/FloatParameter.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FloatParameter, ShowsUnitsWithItsDecimals)
{
    FloatParameter rate(testNames(), false, "Hz", "d2", false, 0.2f, 2.0f);
    EXPECT_EQ(displayAt(rate, 0.0f), "0.20");
    EXPECT_EQ(displayAt(rate, 1.0f), "2.00");
    EXPECT_EQ(displayAt(rate, 0.5f), "1.10");
    EXPECT_EQ(labelOf(rate), "Hz");

    FloatParameter drive(testNames(), false, "%", "d0", true, 0.0f, 100.0f);
    EXPECT_EQ(displayAt(drive, 0.494f), "49");
    EXPECT_EQ(displayAt(drive, 0.495f), "50");
}

TEST(FloatParameter, UnitsCarryAtMostItsDecimals)
{
    FloatParameter q(testNames(), false, "Q", "d2", true, 0.0f, 1.0f);
    for (int i = 0; i <= 1000; ++i)
    {
        float units = q.toUnits(i / 1000.0f);
        EXPECT_NEAR(units * 100.0f, std::round(units * 100.0f), 1e-3f);
    }
}

TEST(FloatParameter, ValueNearZeroShowsWithoutAMinusSign)
{
    FloatParameter amount(testNames(), true, "%", "d0", false, -100.0f, 100.0f);
    EXPECT_EQ(displayAt(amount, 0.5f), "0");
    EXPECT_EQ(amount.getValueText(), "0.00");
    EXPECT_EQ(displayAt(amount, 0.4999f), "0");
    EXPECT_EQ(displayAt(amount, 0.0f), "-100");
}

TEST(FloatParameter, PatchTextHasTwoMoreDecimals)
{
    FloatParameter spread(testNames(), false, "%", "d0", false, 0.0f, 100.0f);
    spread.setValue(0.5f);
    EXPECT_EQ(spread.getValueText(), "50.00");
    FloatParameter sep(testNames(), true, "Semitones", "d1", false, -24.0f, 24.0f);
    sep.setValue(sep.valueFromText("19.400"));
    EXPECT_EQ(sep.getValueText(), "19.400");
}

TEST(FloatParameter, PatchTextsReadBackToTheSameStep)
{
    FloatParameter pitch(testNames(), true, "Semitones", "d2", false, -7.0f, 7.0f);
    expectTextsReadBack(pitch, 200);
}

TEST(FloatParameter, TextsOutsideTheRangeAreClamped)
{
    FloatParameter rate(testNames(), false, "Hz", "d2", false, 0.2f, 2.0f);
    EXPECT_EQ(rate.valueFromText("5"), 1.0f);
    EXPECT_EQ(rate.valueFromText("-5"), 0.0f);
    EXPECT_EQ(rate.valueFromText(""), 0.0f);
    EXPECT_FLOAT_EQ(rate.valueFromText("1.1"), 0.5f);
}

TEST(FloatParameter, ValueFromTextStoresNothing)
{
    FloatParameter rate(testNames(), false, "Hz", "d2", false, 0.2f, 2.0f);
    rate.setValue(0.25f);
    rate.valueFromText("2.0");
    EXPECT_EQ(rate.getValue(), 0.25f);
}

TEST(FloatParameter, EngineReceivesUnitsUnlessNormalised)
{
    FloatParameter delay(testNames(), false, "Secs", "d3", false, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(engineValueAsFloat(delay.setValue(0.25f)), 0.5f);
    FloatParameter sustain(testNames(), false, "%", "d1", true, 0.0f, 100.0f);
    EXPECT_FLOAT_EQ(engineValueAsFloat(sustain.setValue(0.25f)), 0.25f);
}

TEST(FloatParameter, AltLabelIsTheWidestValueText)
{
    FloatParameter sep(testNames(), true, "Semitones", "d1", false, -24.0f, 24.0f);
    EXPECT_EQ(altLabelOf(sep), "24.0");
    FloatParameter amount(testNames(), true, "%", "d0", false, -100.0f, 50.0f);
    EXPECT_EQ(altLabelOf(amount), "100");
}

TEST(FloatParameter, RaisedMinimumKeepsTheMaximum)
{
    FloatParameter sep(testNames(), true, "Semitones", "d1", false, -24.0f, 24.0f);
    sep.setMinimum(0.0f);
    EXPECT_EQ(displayAt(sep, 0.0f), "0.0");
    EXPECT_EQ(displayAt(sep, 1.0f), "24.0");
    EXPECT_EQ(displayAt(sep, 0.5f), "12.0");
    EXPECT_EQ(sep.valueFromText("-10"), 0.0f);
    EXPECT_EQ(altLabelOf(sep), "24.0");
    sep.setMinimum(-24.0f);
    EXPECT_EQ(displayAt(sep, 0.5f), "0.0");
}
