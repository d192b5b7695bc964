#include "dsp/TwoPoleFilter.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// Peak output over the last half of a run of a sine given in cycles per
// engine sample.
double peakResponse(TwoPoleFilter& filter, double fraction, bool highPass)
{
    double peak = 0.0;
    for (int i = 0; i < 40000; ++i)
    {
        float x = float(std::sin(2.0 * kTestPi * fraction * i));
        float y = highPass ? filter.processHighPass(x) : filter.process(x);
        if (i >= 20000)
            peak = std::max(peak, double(std::fabs(y)));
    }
    return peak;
}
}

TEST(TwoPoleFilter, UnityGainFormPassesDcAndCutsHighFrequencies)
{
    TwoPoleFilter filter;
    filter.setupUnityGain(1000.0, 0.5, 44100.0);
    float y = 0.0f;
    for (int i = 0; i < 20000; ++i)
        y = filter.process(0.75f);
    EXPECT_NEAR(y, 0.75f, 1e-5f);

    filter.reset();
    EXPECT_LT(peakResponse(filter, 0.4, false), 0.05);
    filter.reset();
    EXPECT_GT(peakResponse(filter, 0.0005, false), 0.95);
}

TEST(TwoPoleFilter, HighPassFormBlocksDcAndPassesHighFrequencies)
{
    TwoPoleFilter filter;
    filter.setup(1000.0, 0.5, 44100.0);
    float y = 1.0f;
    for (int i = 0; i < 20000; ++i)
        y = filter.processHighPass(0.75f);
    EXPECT_NEAR(y, 0.0f, 1e-4f);

    filter.reset();
    EXPECT_GT(peakResponse(filter, 0.3, true), 0.9);
    filter.reset();
    EXPECT_LT(peakResponse(filter, 0.0005, true), 0.01);
}

TEST(TwoPoleFilter, ResetForgetsThePast)
{
    TwoPoleFilter fresh;
    TwoPoleFilter used;
    fresh.setup(300.0, 0.5, 48000.0);
    used.setup(300.0, 0.5, 48000.0);
    for (int i = 0; i < 100; ++i)
        used.processHighPass(float(i % 7) - 3.0f);
    used.reset();
    for (int i = 0; i < 50; ++i)
    {
        float x = float(std::sin(0.1 * i));
        EXPECT_EQ(fresh.processHighPass(x), used.processHighPass(x));
    }
}
