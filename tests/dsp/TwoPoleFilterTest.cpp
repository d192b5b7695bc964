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

// A low tone through the high-pass at 24 Hz, where the resonator holds it
// thousands of times over; the cutoff jumps to 2 kHz and back. The output
// stays at the tone's level, and setting the same cutoff again changes
// nothing at all.
TEST(TwoPoleFilter, ANewCutoffTakesUpTheSoundWhereTheOldOneLeftIt)
{
    TwoPoleFilter moved;
    TwoPoleFilter untouched;
    moved.setup(24.0, 24.0 / 128.0, 48000.0);
    untouched.setup(24.0, 24.0 / 128.0, 48000.0);
    const auto tone = [](int i) { return float(0.5 * std::sin(2.0 * kTestPi * 130.0 / 96000.0 * i)); };
    int i = 0;
    for (; i < 20000; ++i)
        moved.processHighPass(tone(i));
    moved.setup(2000.0, 0.5, 48000.0);
    double peak = 0.0;
    for (; i < 24000; ++i)
        peak = std::max(peak, double(std::fabs(moved.processHighPass(tone(i)))));
    moved.setup(24.0, 24.0 / 128.0, 48000.0);
    for (; i < 28000; ++i)
        peak = std::max(peak, double(std::fabs(moved.processHighPass(tone(i)))));
    EXPECT_LT(peak, 0.75);

    for (int k = 0; k < 1000; ++k)
        untouched.processHighPass(tone(k));
    TwoPoleFilter again = untouched;
    again.setup(24.0, 24.0 / 128.0, 48000.0);
    for (int k = 1000; k < 1100; ++k)
        EXPECT_EQ(again.processHighPass(tone(k)), untouched.processHighPass(tone(k)));
}
