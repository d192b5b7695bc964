#include "ParameterTestHelpers.h"
#include "Source/parameters/LfoMixParameter.h"

#include <gtest/gtest.h>

TEST(LfoMixParameter, SnapsToQuarters)
{
    LfoMixParameter mix(testNames(), true, "LFO1/LFO2");
    EXPECT_EQ(displayAt(mix, 0.3f), " 75/ 25");
    EXPECT_EQ(displayAt(mix, 0.25f), " 75/ 25");
    EXPECT_EQ(displayAt(mix, 0.4f), " 50/ 50");
    EXPECT_EQ(displayAt(mix, 0.0f), "100/  0");
    EXPECT_EQ(displayAt(mix, 1.0f), "  0/100");
    EXPECT_EQ(displayAt(mix, 0.87f), " 25/ 75");
}

TEST(LfoMixParameter, TextsAndEngineValueUseTheSnappedShare)
{
    LfoMixParameter mix(testNames(), true, "LFO1/LFO2");
    mix.setValue(0.6f);
    EXPECT_EQ(mix.getValueText(), "50");
    EXPECT_EQ(mix.getUnitValue(), 50);
    EXPECT_EQ(mix.getEngineValue(), 50);
    EXPECT_EQ(mix.valueFromText("100"), 1.0f);
    EXPECT_EQ(mix.valueFromText("0"), 0.0f);
    EXPECT_EQ(mix.valueFromText("50"), 0.5f);
}

TEST(LfoMixParameter, AbsurdValuesDoNotOverflow)
{
    LfoMixParameter mix(testNames(), true, "LFO1/LFO2");
    mix.setValue(1e30f);
    EXPECT_GT(mix.getInt(), 0);
    mix.setValue(-1e30f);
    EXPECT_LT(mix.getInt(), 0);
}
