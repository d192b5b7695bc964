#include "ParameterTestHelpers.h"
#include "Source/parameters/PolyFloatParameter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Fine steps round zero, guard points at either end.
const float points[] = {-9.5f, -7.0f, -4.5f, -2.5f, -1.0f, 0.0f, 1.0f, 2.5f, 4.5f, 7.0f, 9.5f};

PolyFloatParameter pitch()
{
    return PolyFloatParameter(testNames(), true, "Semitones", points, 11, "d2", false);
}
}

TEST(PolyFloatParameter, PassesThroughItsPoints)
{
    PolyFloatParameter parameter = pitch();
    EXPECT_EQ(displayAt(parameter, 0.0f), "-7.00");
    EXPECT_EQ(displayAt(parameter, 0.125f), "-4.50");
    EXPECT_EQ(displayAt(parameter, 0.5f), "0.00");
    EXPECT_EQ(displayAt(parameter, 0.75f), "2.50");
    EXPECT_EQ(displayAt(parameter, 1.0f), "7.00");
    EXPECT_EQ(labelOf(parameter), "Semitones");
    EXPECT_EQ(altLabelOf(parameter), "7.00");
}

TEST(PolyFloatParameter, InterpolatesWithACatmullRomCubic)
{
    PolyFloatParameter parameter = pitch();
    // Halfway between 0 and 1 with neighbours -1 and 2.5: 0.46875.
    EXPECT_EQ(displayAt(parameter, 0.5625f), "0.47");
    EXPECT_FLOAT_EQ(unitFloat(parameter), 0.47f);
}

TEST(PolyFloatParameter, RisesSteadilyAcrossTheRange)
{
    PolyFloatParameter parameter = pitch();
    float previous = -100.0f;
    for (int i = 0; i <= 800; ++i)
    {
        float units = parameter.toUnits(i / 800.0f);
        EXPECT_GE(units, previous);
        previous = units;
    }
}

TEST(PolyFloatParameter, ValuesOutsideTheRangeStayOnItsEnds)
{
    PolyFloatParameter parameter = pitch();
    EXPECT_EQ(displayAt(parameter, 1.5f), "7.00");
    EXPECT_EQ(displayAt(parameter, -0.5f), "-7.00");
    EXPECT_EQ(displayAt(parameter, std::nanf("")), "-7.00");
}

TEST(PolyFloatParameter, SearchReadsEveryShownStepBack)
{
    PolyFloatParameter parameter = pitch();
    for (int i = 0; i <= 400; ++i)
    {
        parameter.setValue(i / 400.0f);
        std::string text = parameter.getValueText();
        EXPECT_EQ(text, displayOf(parameter));
        parameter.setValue(parameter.valueFromText(text));
        EXPECT_EQ(parameter.getValueText(), text);
    }
}

TEST(PolyFloatParameter, TextsBeyondTheGuardsAreClamped)
{
    PolyFloatParameter parameter = pitch();
    parameter.setValue(parameter.valueFromText("50"));
    EXPECT_EQ(displayOf(parameter), "7.00");
    parameter.setValue(parameter.valueFromText("-50"));
    EXPECT_EQ(displayOf(parameter), "-7.00");
    float value = parameter.valueFromText("0");
    EXPECT_EQ(value, 0.5f);
}
