#include "ParameterTestHelpers.h"
#include "Source/parameters/StringParameter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const char* const offOn[] = {"Off", "On"};
const char* const rings[] = {"Off", "Half", "Full"};
const char* const blankFirst[] = {"", "", "Wide", "X"};
}

TEST(StringParameter, ShowsTheChosenText)
{
    StringParameter ring(testNames(), true, "", rings, 3);
    EXPECT_EQ(displayAt(ring, 0.0f), "Off");
    EXPECT_EQ(displayAt(ring, 0.5f), "Half");
    EXPECT_EQ(displayAt(ring, 1.0f), "Full");
    EXPECT_EQ(displayAt(ring, 0.24f), "Off");
    EXPECT_EQ(displayAt(ring, 0.25f), "Half");
    EXPECT_EQ(ring.getValueText(), "Half");
    EXPECT_EQ(ring.getUnitValue(), 1);
    EXPECT_EQ(ring.getEngineValue(), 1);
}

TEST(StringParameter, ReadsChoicesByText)
{
    StringParameter hold(testNames(), false, "", offOn, 2);
    EXPECT_EQ(hold.valueFromText("On"), 1.0f);
    EXPECT_EQ(hold.valueFromText("Off"), 0.0f);
    EXPECT_EQ(hold.valueFromText("on"), 0.0f);
    EXPECT_EQ(hold.valueFromText("Maybe"), 0.0f);
    StringParameter ring(testNames(), true, "", rings, 3);
    EXPECT_EQ(ring.valueFromText("Half"), 0.5f);
}

TEST(StringParameter, QuantisesToTheNearestChoice)
{
    StringParameter ring(testNames(), true, "", rings, 3);
    ring.setValue(0.7f);
    EXPECT_EQ(ring.getQuantisedValue(), 0.5f);
    ring.setValue(0.8f);
    EXPECT_EQ(ring.getQuantisedValue(), 1.0f);
}

TEST(StringParameter, ValuesOutsideTheListNeverIndexPastIt)
{
    StringParameter ring(testNames(), true, "", rings, 3);
    EXPECT_EQ(displayAt(ring, 5.0f), "Full");
    EXPECT_EQ(ring.getEngineValue(), 2);
    EXPECT_EQ(displayAt(ring, -5.0f), "Off");
    EXPECT_EQ(ring.getEngineValue(), 0);
    EXPECT_EQ(displayAt(ring, std::nanf("")), "Off");
}

TEST(StringParameter, AltLabelIsTheFirstNonEmptyChoice)
{
    EXPECT_EQ(altLabelOf(StringParameter(testNames(), false, "", blankFirst, 4)), "Wide");
    EXPECT_EQ(altLabelOf(StringParameter(testNames(), false, "", offOn, 2)), "Off");
}
