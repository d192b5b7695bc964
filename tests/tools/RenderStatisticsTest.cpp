#include "tools/RenderStatistics.h"

#include <gtest/gtest.h>

TEST(RenderStatistics, RealTimeFactorIsAudioTimeOverRenderTime)
{
    RenderStatistics statistics(1000.0);
    statistics.addBlock(0.01, 100); // 0.1 s of audio in 0.01 s
    statistics.addBlock(0.03, 100);
    EXPECT_EQ(statistics.blocks(), 2);
    EXPECT_DOUBLE_EQ(statistics.audioSeconds(), 0.2);
    EXPECT_DOUBLE_EQ(statistics.realTimeFactor(), 5.0);
    EXPECT_NEAR(statistics.blockLoadPercent(100), 30.0, 1e-9);
    EXPECT_NEAR(statistics.blockLoadPercent(50), 10.0, 1e-9);
}

TEST(RenderStatistics, PercentilesUseTheNearestRank)
{
    RenderStatistics statistics(48000.0);
    for (int i = 100; i >= 1; --i)
        statistics.addBlock(i * 1e-6, 64);
    EXPECT_NEAR(statistics.blockMicroseconds(50), 50.0, 1e-6);
    EXPECT_NEAR(statistics.blockMicroseconds(90), 90.0, 1e-6);
    EXPECT_NEAR(statistics.blockMicroseconds(99), 99.0, 1e-6);
    EXPECT_NEAR(statistics.blockMicroseconds(100), 100.0, 1e-6);
    EXPECT_NEAR(statistics.blockMicroseconds(0), 1.0, 1e-6);
}

TEST(RenderStatistics, AnEmptyRenderReportsZeros)
{
    RenderStatistics statistics(44100.0);
    EXPECT_EQ(statistics.blockMicroseconds(50), 0.0);
    EXPECT_EQ(statistics.audioSeconds(), 0.0);
    EXPECT_FALSE(statistics.report().empty());
}
