#include "ParameterTestHelpers.h"
#include "Source/parameters/MixParameter.h"

#include <gtest/gtest.h>

TEST(MixParameter, ShowsBothShares)
{
    MixParameter mix(testNames(), true, "Osc1/Osc2");
    EXPECT_EQ(displayAt(mix, 0.25f), " 75/ 25");
    EXPECT_EQ(displayAt(mix, 0.0f), "100/  0");
    EXPECT_EQ(displayAt(mix, 1.0f), "  0/100");
    EXPECT_EQ(displayAt(mix, 0.5f), " 50/ 50");
    EXPECT_EQ(labelOf(mix), "Osc1/Osc2");
    EXPECT_EQ(altLabelOf(mix), "100/100");
}

TEST(MixParameter, PatchTextIsTheSecondShare)
{
    MixParameter mix(testNames(), true, "Osc/Noise");
    mix.setValue(0.25f);
    EXPECT_EQ(mix.getValueText(), "25");
    EXPECT_EQ(mix.valueFromText("25"), 0.25f);
    EXPECT_EQ(mix.valueFromText(""), 0.0f);
    EXPECT_EQ(mix.valueFromText("150"), 1.0f);
}

TEST(MixParameter, EngineReceivesTheSecondShare)
{
    MixParameter mix(testNames(), true, "Osc1/Osc2");
    EXPECT_EQ(mix.setValue(0.3f), 30);
}
