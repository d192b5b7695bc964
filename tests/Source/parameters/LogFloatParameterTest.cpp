#include "ParameterTestHelpers.h"
#include "Source/parameters/LogFloatParameter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
LogFloatParameter frequency()
{
    return LogFloatParameter(testNames(), false, "Hz", "d0", true, 16.0f, 16000.0f, 0.0f);
}

LogFloatParameter release()
{
    return LogFloatParameter(testNames(), false, "Secs", "d4", false, 0.001f, 60.0f, 0.002f);
}
}

TEST(LogFloatParameter, SpreadsItsRangeLogarithmically)
{
    LogFloatParameter parameter = frequency();
    EXPECT_EQ(displayAt(parameter, 0.0f), "16");
    EXPECT_EQ(displayAt(parameter, 1.0f), "16000");
    // 16 x 1000^0.5
    EXPECT_EQ(displayAt(parameter, 0.5f), "506");
    EXPECT_EQ(displayAt(parameter, 1.0f / 3.0f), "160");
}

TEST(LogFloatParameter, ReadsTextsDirectlyThroughTheLogarithm)
{
    LogFloatParameter parameter = frequency();
    float value = parameter.valueFromText("1000");
    EXPECT_NEAR(value, (3.0 - std::log10(16.0)) / 3.0, 1e-6);
    parameter.setValue(value);
    EXPECT_EQ(displayOf(parameter), "1000");
    EXPECT_EQ(parameter.getValueText(), "1000.00");
}

TEST(LogFloatParameter, LinearShareLiftsTheMiddle)
{
    LogFloatParameter parameter = release();
    EXPECT_EQ(displayAt(parameter, 0.0f), "0.0010");
    EXPECT_EQ(displayAt(parameter, 1.0f), "60.0000");
    // lg = 0.001 x 60000^0.5 = 0.24495; linear = 30.0005; 0.998 lg + 0.002 linear
    EXPECT_EQ(displayAt(parameter, 0.5f), "0.3045");
}

TEST(LogFloatParameter, SearchFindsTheValueOfAText)
{
    LogFloatParameter parameter = release();
    float value = parameter.valueFromText("0.5000");
    parameter.setValue(value);
    EXPECT_EQ(parameter.getValueText(), "0.500000");
    for (const char* text : {"0.001000", "0.272000", "0.245400", "1.029700", "12.345600", "60.000000"})
    {
        parameter.setValue(parameter.valueFromText(text));
        EXPECT_EQ(parameter.getValueText(), text);
    }
    // Near the top a step of 0.0001 is no longer exact in single precision:
    // the shown value is right and the written text is stable.
    parameter.setValue(parameter.valueFromText("59.999900"));
    EXPECT_EQ(displayOf(parameter), "59.9999");
    std::string written = parameter.getValueText();
    parameter.setValue(parameter.valueFromText(written));
    EXPECT_EQ(parameter.getValueText(), written);
}

TEST(LogFloatParameter, SearchHeadsTowardTheTextInTheUpperHalf)
{
    // With a large linear share, the pure logarithm lands far above a text
    // in the upper half of the range; the search must still come down to it.
    LogFloatParameter glide(testNames(), false, "Secs", "d2", false, 0.004f, 20.0f, 0.1f);
    glide.setValue(glide.valueFromText("10.0400"));
    EXPECT_EQ(displayOf(glide), "10.04");
    LogFloatParameter amp = release();
    amp.setValue(amp.valueFromText("40.000000"));
    EXPECT_EQ(amp.getValueText(), "40.000000");
}

TEST(LogFloatParameter, EveryShownStepReadsBack)
{
    LogFloatParameter parameter(testNames(), false, "Secs", "d2", false, 0.004f, 20.0f, 0.1f);
    expectTextsReadBack(parameter, 500);
    LogFloatParameter amp = release();
    expectTextsReadBack(amp, 500);
}

TEST(LogFloatParameter, TextsOutsideTheRangeAreClamped)
{
    LogFloatParameter parameter = release();
    EXPECT_EQ(parameter.valueFromText("100"), 1.0f);
    EXPECT_EQ(parameter.valueFromText("0"), 0.0f);
    EXPECT_EQ(parameter.valueFromText("-3"), 0.0f);
    EXPECT_EQ(parameter.valueFromText(""), 0.0f);
    LogFloatParameter plain = frequency();
    EXPECT_EQ(plain.valueFromText("99999"), 1.0f);
    EXPECT_EQ(plain.valueFromText("1"), 0.0f);
}

TEST(LogFloatParameter, NegativeShareCountsAsNone)
{
    LogFloatParameter parameter(testNames(), false, "x", "d2", false, 0.25f, 4.0f, -1.0f);
    EXPECT_EQ(parameter.getLinearShare(), 0.0f);
    EXPECT_EQ(displayAt(parameter, 0.5f), "1.00");
}
