#include "simd/GainKernels.h"

#include "TestSignals.h"
#include "tests/support/SimdPaths.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(GainKernels, MixIsTheWeightedSumWithTheRingTerm)
{
    const std::vector<float> o1 = {0.5f, -1.0f, 0.25f};
    const std::vector<float> o2 = {0.5f, 0.5f, -1.0f};
    const std::vector<float> noise = {1.0f, 0.0f, 0.5f};
    std::vector<float> out(3);
    mixOscillators(o1.data(), o2.data(), noise.data(), out.data(), 3, 2.0f, 1.0f, 0.5f, 4.0f);
    EXPECT_FLOAT_EQ(out[0], 1.0f + 0.5f + 0.5f + 1.0f);
    EXPECT_FLOAT_EQ(out[1], -2.0f + 0.5f + 0.0f - 2.0f);
    EXPECT_FLOAT_EQ(out[2], 0.5f - 1.0f + 0.25f - 1.0f);
}

TEST(GainKernels, PanWritesOrAddsBothChannels)
{
    const std::vector<float> in = {1.0f, -0.5f};
    std::vector<float> out = {9.0f, 9.0f, 9.0f, 9.0f};
    panSteadyLevel(in.data(), out.data(), 2, 0.5f, 0.25f, 0.75f, false);
    EXPECT_EQ(out, (std::vector<float>{0.125f, 0.375f, -0.0625f, -0.1875f}));
    panSteadyLevel(in.data(), out.data(), 2, 0.5f, 0.25f, 0.75f, true);
    EXPECT_EQ(out, (std::vector<float>{0.25f, 0.75f, -0.125f, -0.375f}));
}

namespace
{
void expectMixMatches(MixKernel wider, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> gain(-2.0f, 2.0f);
    for (int count : {0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 100, 128})
    {
        const std::vector<float> o1 = whiteNoise(count, random()), o2 = whiteNoise(count, random()),
                                 noise = whiteNoise(count, random());
        const float g1 = gain(random), g2 = gain(random), gn = gain(random), gr = gain(random);
        std::vector<float> portable(count + 1, 7.0f), vector(count + 1, 7.0f);
        mixOscillators(o1.data(), o2.data(), noise.data(), portable.data(), count, g1, g2, gn, gr);
        wider(o1.data(), o2.data(), noise.data(), vector.data(), count, g1, g2, gn, gr);
        for (int n = 0; n <= count; ++n)
            ASSERT_EQ(bitsOf(portable[n]), bitsOf(vector[n])) << "count " << count << " sample " << n;
    }
}

void expectPanMatches(PanKernel wider, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> gain(0.0f, 1.0f);
    for (bool accumulate : {false, true})
        for (int count : {0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 100, 128})
        {
            const std::vector<float> in = whiteNoise(count, random());
            const std::vector<float> before = whiteNoise(2 * count + 2, random());
            const float level = gain(random), left = gain(random), right = gain(random);
            std::vector<float> portable = before, vector = before;
            panSteadyLevel(in.data(), portable.data(), count, level, left, right, accumulate);
            wider(in.data(), vector.data(), count, level, left, right, accumulate);
            for (int n = 0; n < 2 * count + 2; ++n)
                ASSERT_EQ(bitsOf(portable[n]), bitsOf(vector[n]))
                    << "count " << count << " value " << n << (accumulate ? " adding" : " writing");
        }
}
}

TEST(GainKernels, WideMixEqualsPortableMix)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectMixMatches(mixOscillatorsWide, 21);
}

TEST(GainKernels, WidePanEqualsPortablePan)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectPanMatches(panSteadyLevelWide, 22);
}

TEST(GainKernels, EightLaneMixEqualsPortableMix)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectMixMatches(mixOscillatorsAvx2, 23);
}

TEST(GainKernels, EightLanePanEqualsPortablePan)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectPanMatches(panSteadyLevelAvx2, 24);
}
