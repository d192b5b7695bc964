#include "ParameterTestHelpers.h"
#include "Source/parameters/IntParameter.h"

#include <gtest/gtest.h>

TEST(IntParameter, ShowsTheNearestInteger)
{
    IntParameter transpose(testNames(), false, "Semitones", -7, 7, false);
    EXPECT_EQ(displayAt(transpose, 0.0f), "-7");
    EXPECT_EQ(displayAt(transpose, 0.5f), "0");
    EXPECT_EQ(displayAt(transpose, 1.0f), "7");
    EXPECT_EQ(displayAt(transpose, 0.6f), "1");
    EXPECT_EQ(transpose.getValueText(), "1");
    EXPECT_EQ(transpose.getUnitValue(), 1);
    EXPECT_EQ(altLabelOf(transpose), "#");
}

TEST(IntParameter, ReadsIntegerTexts)
{
    IntParameter transpose(testNames(), false, "Semitones", -7, 7, false);
    EXPECT_EQ(transpose.valueFromText("0"), 0.5f);
    EXPECT_EQ(transpose.valueFromText(""), 0.5f);
    EXPECT_EQ(transpose.valueFromText("7"), 1.0f);
    EXPECT_EQ(transpose.valueFromText("12"), 1.0f);
    EXPECT_EQ(transpose.valueFromText("-30"), 0.0f);
}

TEST(IntParameter, FallingRangeRunsBackwards)
{
    IntParameter units(testNames(), false, "//Beat", 32, 4, false);
    EXPECT_EQ(displayAt(units, 0.0f), "32");
    EXPECT_EQ(displayAt(units, 1.0f), "4");
    EXPECT_EQ(displayAt(units, 0.5f), "18");
    EXPECT_EQ(units.valueFromText("4"), 1.0f);
    EXPECT_EQ(units.valueFromText("32"), 0.0f);
    EXPECT_EQ(units.valueFromText("2"), 1.0f);
    EXPECT_EQ(units.valueFromText("40"), 0.0f);
    EXPECT_EQ(altLabelOf(units), "##");
}

TEST(IntParameter, QuantisedValueShowsTheSameInteger)
{
    IntParameter transpose(testNames(), false, "", -7, 7, false);
    IntParameter units(testNames(), false, "", 32, 4, false);
    for (int i = 0; i <= 1000; ++i)
    {
        float value = i / 1000.0f;
        for (IntParameter* parameter : {&transpose, &units})
        {
            parameter->setValue(value);
            int shown = parameter->getInt();
            parameter->setValue(parameter->getQuantisedValue());
            EXPECT_EQ(parameter->getInt(), shown) << value;
        }
    }
    transpose.setValue(0.52f);
    EXPECT_FLOAT_EQ(transpose.getQuantisedValue(), 7.0f / 14.0f);
}

TEST(IntParameter, AltLabelCountsDigitsOfTheWidestEnd)
{
    EXPECT_EQ(altLabelOf(IntParameter(testNames(), false, "", 0, 255, false)), "###");
    EXPECT_EQ(altLabelOf(IntParameter(testNames(), false, "", -100, 100, false)), "###");
    EXPECT_EQ(altLabelOf(IntParameter(testNames(), false, "", 0, 0, false)), "#");
}

TEST(IntParameter, AbsurdValuesStayPrintable)
{
    IntParameter level(testNames(), false, "", 0, 255, false);
    EXPECT_EQ(displayAt(level, 1e30f), "Huge!");
    EXPECT_EQ(displayAt(level, -1e30f), "Huge!");
}
