#include "ParameterTestHelpers.h"
#include "Source/parameters/FloatIntParameter.h"

#include <gtest/gtest.h>

namespace
{
FloatIntParameter tempo()
{
    return FloatIntParameter(testNames("Tempo"), false, "bpm", "d0", false, 16.0f, 768.0f, 0.0f, "Bts/Bar", 1, 64);
}

FloatIntParameter lfoRate()
{
    return FloatIntParameter(testNames(), false, "Hz", "d3", false, 0.03f, 30.0f, 0.0f, "Cycles/Bar", 1, 64);
}
}

TEST(FloatIntParameter, StartsInFloatMode)
{
    FloatIntParameter parameter = tempo();
    EXPECT_FALSE(parameter.isIntMode());
    EXPECT_EQ(labelOf(parameter), "bpm");
    EXPECT_EQ(displayAt(parameter, 0.0f), "16");
    EXPECT_EQ(displayAt(parameter, 1.0f), "768");
    EXPECT_EQ(altLabelOf(parameter), "768");
}

TEST(FloatIntParameter, IntegerModeShowsItsOwnRangeAndLabel)
{
    FloatIntParameter parameter = tempo();
    parameter.setIntMode(true);
    EXPECT_EQ(labelOf(parameter), "Bts/Bar");
    EXPECT_EQ(altLabelOf(parameter), "##");
    EXPECT_EQ(displayAt(parameter, 0.0f), "1");
    EXPECT_EQ(displayAt(parameter, 1.0f), "64");
    // 1 + truncate(63 x 0.5 + 0.5)
    EXPECT_EQ(displayAt(parameter, 0.5f), "33");
    EXPECT_EQ(parameter.getInt(), 33);
    EXPECT_EQ(parameter.getUnitValue(), 33);

    parameter.setIntMode(false);
    EXPECT_EQ(labelOf(parameter), "bpm");
    EXPECT_EQ(altLabelOf(parameter), "768");
    EXPECT_EQ(parameter.getValue(), 0.5f);
}

TEST(FloatIntParameter, IntegerLabelHoldsEightCharacters)
{
    FloatIntParameter parameter = lfoRate();
    parameter.setIntMode(true);
    EXPECT_EQ(labelOf(parameter), "Cycles/B");
}

TEST(FloatIntParameter, PatchTextCarriesItsMode)
{
    FloatIntParameter parameter = tempo();
    parameter.setValue(parameter.valueFromText("120.00f"));
    EXPECT_EQ(parameter.getValueText(), "120.00f");
    EXPECT_EQ(engineValueAsFloat(parameter.getUnitValue()), 120.0f);
    EXPECT_EQ(parameter.getFloat(), 120.0f);

    parameter.setIntMode(true);
    parameter.setValue(parameter.valueFromText("4i"));
    EXPECT_EQ(parameter.getValueText(), "4i");
    EXPECT_EQ(displayOf(parameter), "4");
}

TEST(FloatIntParameter, SuffixNotModeDecidesHowATextReads)
{
    FloatIntParameter parameter = tempo();
    EXPECT_FLOAT_EQ(parameter.valueFromText("4i"), 3.0f / 63.0f);
    parameter.setIntMode(true);
    EXPECT_FLOAT_EQ(parameter.valueFromText("768.00f"), 1.0f);
    EXPECT_EQ(parameter.valueFromText("16.00f"), 0.0f);
}

TEST(FloatIntParameter, OtherTextsReadAsZero)
{
    FloatIntParameter parameter = tempo();
    EXPECT_EQ(parameter.valueFromText("120.00x"), 0.0f);
    EXPECT_EQ(parameter.valueFromText("120"), 0.0f);
    EXPECT_EQ(parameter.valueFromText(""), 0.0f);
    EXPECT_EQ(parameter.valueFromText("i"), 0.0f);
    EXPECT_EQ(parameter.valueFromText("99i"), 1.0f);
    EXPECT_EQ(parameter.valueFromText("-5i"), 0.0f);
}

TEST(FloatIntParameter, EngineValueFollowsTheMode)
{
    FloatIntParameter parameter = lfoRate();
    parameter.setValue(1.0f);
    EXPECT_FLOAT_EQ(engineValueAsFloat(parameter.getEngineValue()), 30.0f);
    parameter.setIntMode(true);
    EXPECT_EQ(parameter.getEngineValue(), 64);
}
