#include "dsp/FilterTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(FilterTables, HoldTheAnchorRows)
{
    EXPECT_EQ(CutoffFrequencyTable[0], 17.125f);
    EXPECT_EQ(CutoffFrequencyTable[128], 1454.2f);
    EXPECT_EQ(CutoffFrequencyTable[240], 14593.0f);
    EXPECT_EQ(CutoffFrequencyTable[255], 17318.0f);
    EXPECT_EQ(DampingTable[0], 0.0018916003f);
    EXPECT_EQ(DampingTable[128], 0.14663397f);
    EXPECT_EQ(DampingTable[255], 3.0f);
}

TEST(FilterTables, IncreaseSmoothlyFromStepToStep)
{
    for (const float* table : {CutoffFrequencyTable, DampingTable})
    {
        for (int i = 1; i < 256; ++i)
            ASSERT_GT(table[i], table[i - 1]) << i;
        // The step ratio changes slowly: no kinks between the anchor rows.
        for (int i = 2; i < 256; ++i)
        {
            const double before = table[i - 1] / table[i - 2];
            const double after = table[i] / table[i - 1];
            ASSERT_NEAR(after, before, 0.0005) << i;
        }
    }
    EXPECT_NEAR(CutoffFrequencyTable[1] / CutoffFrequencyTable[0], 1.037, 0.002);
    EXPECT_NEAR(CutoffFrequencyTable[255] / CutoffFrequencyTable[254], 1.012, 0.002);
    EXPECT_NEAR(DampingTable[1] / DampingTable[0], 1.035, 0.002);
    EXPECT_NEAR(DampingTable[255] / DampingTable[254], 1.015, 0.002);
}

TEST(FilterTables, CutoffCoefficientsAreTheSineOfTheFrequencyAtFourTimesTheRate)
{
    std::vector<float> table(256);
    for (float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        makeCutoffCoefficients(table.data(), rate);
        for (int i : {0, 77, 128, 255})
        {
            const double expected = 2.0 * std::sin(CutoffFrequencyTable[i] * 3.14159265358979 / (4.0 * rate));
            EXPECT_FLOAT_EQ(table[i], static_cast<float>(expected)) << rate << " " << i;
        }
        for (int i = 1; i < 256; ++i)
            ASSERT_GT(table[i], table[i - 1]);
    }
}
