#include "ParameterTestHelpers.h"
#include "Source/parameters/ModalFloatParameter.h"

#include <gtest/gtest.h>

namespace
{
const ModalFloatParameter::Mode modes[] = {
    {-7.0f, 7.0f, "d2", "semitones"},
    {-100.0f, 100.0f, "d0", "%"},
    {-1.0f, 1.0f, "d2", "Q"},
};

ModalFloatParameter amount()
{
    return ModalFloatParameter(testNames(), true, modes, 3, false);
}
}

TEST(ModalFloatParameter, StartsInTheFirstMode)
{
    ModalFloatParameter parameter = amount();
    EXPECT_EQ(parameter.getMode(), 0);
    EXPECT_EQ(labelOf(parameter), "semitones");
    EXPECT_EQ(altLabelOf(parameter), "7.00");
    EXPECT_EQ(displayAt(parameter, 0.0f), "-7.00");
    EXPECT_EQ(displayAt(parameter, 0.75f), "3.50");
}

TEST(ModalFloatParameter, ModeChangesTextsButNotValues)
{
    ModalFloatParameter parameter = amount();
    parameter.setValue(0.75f);
    EngineValue before = parameter.getEngineValue();
    parameter.setMode(1);
    EXPECT_EQ(displayOf(parameter), "50");
    EXPECT_EQ(labelOf(parameter), "%");
    EXPECT_EQ(altLabelOf(parameter), "100");
    parameter.setMode(2);
    EXPECT_EQ(displayOf(parameter), "0.50");
    EXPECT_EQ(labelOf(parameter), "Q");
    EXPECT_EQ(parameter.getValue(), 0.75f);
    EXPECT_EQ(parameter.getEngineValue(), before);
    EXPECT_EQ(engineValueAsFloat(before), 0.5f);
}

TEST(ModalFloatParameter, PatchTextIsBipolarInEveryMode)
{
    ModalFloatParameter parameter = amount();
    parameter.setValue(1.0f);
    EXPECT_EQ(parameter.getValueText(), "1.000000");
    parameter.setMode(1);
    EXPECT_EQ(parameter.getValueText(), "1.000000");
    parameter.setValue(0.5f);
    EXPECT_EQ(parameter.getValueText(), "0.000000");
    parameter.setValue(0.25f);
    EXPECT_EQ(parameter.getValueText(), "-0.500000");
}

TEST(ModalFloatParameter, ReadsBipolarTexts)
{
    ModalFloatParameter parameter = amount();
    EXPECT_EQ(parameter.valueFromText("1.000000"), 1.0f);
    EXPECT_EQ(parameter.valueFromText("0.000000"), 0.5f);
    EXPECT_EQ(parameter.valueFromText("-0.5"), 0.25f);
    EXPECT_EQ(parameter.valueFromText("7"), 1.0f);
    EXPECT_EQ(parameter.valueFromText("-7"), 0.0f);
}

TEST(ModalFloatParameter, ModesOutsideTheTableAreHeldToIt)
{
    ModalFloatParameter parameter = amount();
    parameter.setMode(17);
    EXPECT_EQ(parameter.getMode(), 2);
    parameter.setMode(-4);
    EXPECT_EQ(parameter.getMode(), 0);
}
