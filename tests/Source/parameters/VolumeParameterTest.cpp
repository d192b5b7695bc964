#include "ParameterTestHelpers.h"
#include "Source/parameters/VolumeParameter.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(VolumeParameter, ShowsDecibelsAndSilenceAtTheBottom)
{
    VolumeParameter volume(testNames(), false, false);
    EXPECT_EQ(labelOf(volume), "dB");
    EXPECT_EQ(displayAt(volume, 0.0f), "-oo");
    EXPECT_EQ(displayAt(volume, 0.5f), "-27.0");
    EXPECT_EQ(displayAt(volume, 1.0f), "0.0");
    EXPECT_EQ(displayAt(volume, 0.001f), "-53.9");
    EXPECT_EQ(altLabelOf(volume), "54.0");
}

TEST(VolumeParameter, EngineReceivesALinearGain)
{
    VolumeParameter volume(testNames(), false, false);
    EXPECT_EQ(engineValueAsFloat(volume.setValue(1.0f)), 1.0f);
    EXPECT_NEAR(engineValueAsFloat(volume.setValue(0.5f)), std::pow(10.0, -27.0 / 20.0), 1e-7);
    EXPECT_EQ(engineValueAsFloat(volume.setValue(0.0f)), 0.0f);
    EXPECT_NEAR(engineValueAsFloat(volume.setValue(0.001f)), std::pow(10.0, -54.0 / 20.0), 5e-5);
    VolumeParameter normalised(testNames(), false, true);
    EXPECT_EQ(engineValueAsFloat(normalised.setValue(0.5f)), 0.5f);
}

TEST(VolumeParameter, PatchTextsAreDecibels)
{
    VolumeParameter volume(testNames(), false, false);
    volume.setValue(volume.valueFromText("-1.600"));
    EXPECT_EQ(volume.getValueText(), "-1.600");
    EXPECT_EQ(displayOf(volume), "-1.6");
    volume.setValue(0.0f);
    EXPECT_EQ(volume.getValueText(), "-54.000");
    EXPECT_EQ(volume.valueFromText("-80"), 0.0f);
    EXPECT_EQ(volume.valueFromText("6"), 1.0f);
}
