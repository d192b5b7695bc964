#include "ParameterTestHelpers.h"
#include "Source/parameters/IntSwitchParameter.h"

#include <gtest/gtest.h>

TEST(IntSwitchParameter, MinimumShowsTheWord)
{
    IntSwitchParameter level(testNames(), false, "%", 0, 100, "Off", false);
    EXPECT_EQ(displayAt(level, 0.0f), "Off");
    EXPECT_EQ(level.getValueText(), "Off");
    EXPECT_EQ(displayAt(level, 0.004f), "Off");
    EXPECT_EQ(displayAt(level, 0.01f), "1");
    EXPECT_EQ(displayAt(level, 1.0f), "100");
    EXPECT_EQ(level.getUnitValue(), 100);
    EXPECT_EQ(altLabelOf(level), "###");
}

TEST(IntSwitchParameter, ReadsTheWordAsTheMinimum)
{
    IntSwitchParameter tempo(testNames(), false, "bpm", 31, 192, "Midi", false);
    EXPECT_EQ(tempo.valueFromText("Midi"), 0.0f);
    EXPECT_EQ(tempo.valueFromText("31"), 0.0f);
    EXPECT_EQ(tempo.valueFromText("192"), 1.0f);
    tempo.setValue(tempo.valueFromText("120"));
    EXPECT_EQ(displayOf(tempo), "120");
    EXPECT_EQ(tempo.valueFromText("midi"), 0.0f);
    tempo.setValue(1.0f / 161.0f);
    EXPECT_EQ(displayOf(tempo), "32");
    tempo.setValue(0.0f);
    EXPECT_EQ(displayOf(tempo), "Midi");
    EXPECT_EQ(tempo.getUnitValue(), 31);
}
