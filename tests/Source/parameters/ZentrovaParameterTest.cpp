#include "ParameterTestHelpers.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/IntParameter.h"

#include <gtest/gtest.h>

namespace
{
FloatParameter makeFloat(bool centred, bool normalised = false)
{
    return FloatParameter(testNames(), centred, "%", "d0", normalised, -100.0f, 100.0f);
}
}

TEST(ZentrovaParameter, CentredMidiPutsController64OnTheCentre)
{
    FloatParameter parameter = makeFloat(true);
    float stored = -1.0f;
    parameter.setFromMidi(0, stored);
    EXPECT_EQ(stored, 0.0f);
    EXPECT_EQ(parameter.getValue(), 0.0f);
    parameter.setFromMidi(1, stored);
    EXPECT_EQ(stored, 0.0f);
    parameter.setFromMidi(64, stored);
    EXPECT_EQ(stored, 0.5f);
    parameter.setFromMidi(127, stored);
    EXPECT_EQ(stored, 1.0f);

    parameter.setValue(0.5f);
    EXPECT_EQ(parameter.getMidiValue(), 64);
    parameter.setValue(0.0f);
    EXPECT_EQ(parameter.getMidiValue(), 1);
    parameter.setValue(1.0f);
    EXPECT_EQ(parameter.getMidiValue(), 127);
}

TEST(ZentrovaParameter, PlainMidiSpreadsControllersEvenly)
{
    FloatParameter parameter = makeFloat(false);
    float stored = -1.0f;
    parameter.setFromMidi(0, stored);
    EXPECT_EQ(stored, 0.0f);
    parameter.setFromMidi(127, stored);
    EXPECT_EQ(stored, 1.0f);
    parameter.setFromMidi(50, stored);
    EXPECT_FLOAT_EQ(stored, 50.0f / 127.0f);
    parameter.setValue(0.5f);
    EXPECT_EQ(parameter.getMidiValue(), 64);
}

TEST(ZentrovaParameter, EveryControllerValueSurvivesARoundTrip)
{
    FloatParameter plain = makeFloat(false);
    FloatParameter centred = makeFloat(true);
    float stored;
    for (int m = 0; m <= 127; ++m)
    {
        plain.setFromMidi(m, stored);
        EXPECT_EQ(plain.getMidiValue(), m);
        centred.setFromMidi(m, stored);
        // Controller 0 and 1 share the bottom; the bottom reads back as 1.
        EXPECT_EQ(centred.getMidiValue(), m == 0 ? 1 : m);
    }
}

TEST(ZentrovaParameter, MidiOutsideItsRangeIsHeldToIt)
{
    FloatParameter parameter = makeFloat(false);
    float stored;
    parameter.setFromMidi(300, stored);
    EXPECT_EQ(stored, 1.0f);
    parameter.setFromMidi(-5, stored);
    EXPECT_EQ(stored, 0.0f);
    parameter.setValue(7.0f);
    EXPECT_EQ(parameter.getMidiValue(), 127);
    parameter.setValue(-3.0f);
    EXPECT_EQ(parameter.getMidiValue(), 0);
}

TEST(ZentrovaParameter, SetFromMidiReturnsTheEngineValue)
{
    FloatParameter parameter = makeFloat(true);
    float stored;
    EngineValue value = parameter.setFromMidi(127, stored);
    EXPECT_EQ(engineValueAsFloat(value), 100.0f);
}

TEST(ZentrovaParameter, EngineGetsTheNormalisedValueOnlyWhenAskedTo)
{
    FloatParameter units = makeFloat(false, false);
    FloatParameter normalised = makeFloat(false, true);
    EXPECT_EQ(engineValueAsFloat(units.setValue(0.75f)), 50.0f);
    EXPECT_EQ(engineValueAsFloat(normalised.setValue(0.75f)), 0.75f);
    // The unit value is there either way.
    EXPECT_EQ(unitFloat(normalised), 50.0f);
}

TEST(ZentrovaParameter, FloatEngineValuesKeepTheHighHalfClear)
{
    FloatParameter parameter = makeFloat(false);
    EngineValue value = parameter.setValue(0.0f);
    EXPECT_EQ(value >> 32, 0);
    EXPECT_EQ(engineValueAsFloat(value), -100.0f);
}

TEST(ZentrovaParameter, NamesAreCutToTheirBuffers)
{
    ParameterNames names{"A Display Name Longer Than 23", "ShortNameTooLong", "AKeyThatIsStoredWhole"};
    FloatParameter parameter(names, false, "LabelTooLongForIt", "d0", false, 0.0f, 1.0f);
    EXPECT_EQ(nameOf(parameter), "ShortNameTo");
    EXPECT_EQ(displayNameOf(parameter), "A Display Name Longer T");
    EXPECT_EQ(labelOf(parameter), "LabelTooLon");
    EXPECT_STREQ(parameter.getKey(), "AKeyThatIsStoredWhole");
}
