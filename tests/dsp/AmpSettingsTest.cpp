#include "dsp/AmpSettings.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(AmpSettings, AttackSegmentsRiseFromSegmentToSegment)
{
    // Multiplying segment j's factor over its j x a samples (2a for the
    // first) climbs exactly from one level to the next.
    AmpSettings settings;
    settings.setSampleRate(48000.0f);
    settings.attack = 0.5f;
    float table[AmpSettings::kLevels];
    settings.attackTable(64, table);
    const double a = 0.5 * 96000.0 / 121.0;
    for (int j = 1; j < AmpSettings::kLevels; ++j)
    {
        const double length = std::max(2, j) * a;
        const double rise = 20.0 * std::log10(static_cast<double>(table[j])) * length;
        EXPECT_NEAR(rise, AmpSettings::kLevelTable[j] - AmpSettings::kLevelTable[j - 1], 0.01) << j;
    }
}

TEST(AmpSettings, ReleaseUsesTheHoldTwoScaleOnlyWhileHeld)
{
    AmpSettings settings;
    settings.release = 0.3f;
    float normal[AmpSettings::kLevels];
    float held[AmpSettings::kLevels];
    settings.releaseTable(64, normal);
    settings.hold2 = 1;
    settings.releaseTable(64, held);
    // Twice the time: half the decibels per sample.
    EXPECT_NEAR(std::log(held[3]) * 2.0, std::log(normal[3]), 1e-6);
    EXPECT_NEAR(std::log(held[12]) * 2.0, std::log(normal[12]), 1e-6);
}

TEST(AmpSettings, SustainRampIs240DecibelsPerSecond)
{
    AmpSettings settings;
    settings.setSampleRate(50000.0f);
    EXPECT_NEAR(20.0 * std::log10(settings.rampUp) * 50000.0, 240.0, 1e-3);
    EXPECT_FLOAT_EQ(settings.rampUp * settings.rampDown, 1.0f);
}

TEST(AmpSettings, DegenerateTimesStillGiveFiniteTables)
{
    AmpSettings settings;
    settings.attack = 0.0f;
    settings.decay = 0.0f;
    float table[AmpSettings::kLevels];
    settings.attackTable(64, table);
    for (int j = 1; j < AmpSettings::kLevels; ++j)
        EXPECT_TRUE(std::isfinite(table[j]));
    settings.decayTable(64, table);
    for (int j = 1; j < AmpSettings::kLevels; ++j)
    {
        EXPECT_TRUE(std::isfinite(table[j]));
        EXPECT_GT(table[j], 0.0f);
    }
}
