#include "dsp/OnePoleFilter.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(OnePoleFilter, StepResponseLagsOneSampleAndRisesWithItsTimeConstant)
{
    const double hostRate = 48000.0;
    const double frequency = 100.0;
    OnePoleFilter filter;
    filter.setup(frequency, hostRate);
    EXPECT_EQ(filter.process(1.0f), 0.0f);
    // The filter runs at twice the host rate.
    const int tau = int(std::lround(2.0 * hostRate / (2.0 * kTestPi * frequency)));
    float y = 0.0f;
    for (int i = 0; i < tau; ++i)
        y = filter.process(1.0f);
    EXPECT_NEAR(y, 1.0 - std::exp(-1.0), 2e-3);
    for (int i = 0; i < 50 * tau; ++i)
        y = filter.process(1.0f);
    EXPECT_NEAR(y, 1.0f, 1e-5f);

    filter.reset();
    EXPECT_EQ(filter.process(1.0f), 0.0f);
}
