#include "simd/OscillatorKernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace
{
std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A table of `size` random samples plus its 4 guard samples.
std::vector<float> randomTable(std::mt19937& random, int size)
{
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> table(size + 4);
    for (int i = 0; i < size; ++i)
        table[i] = value(random);
    for (int g = 0; g < 4; ++g)
        table[size + g] = table[g];
    return table;
}
}

TEST(OscillatorKernels, SseReaderEqualsPortableReader)
{
    std::mt19937 random(5);
    for (int trial = 0; trial < 300; ++trial)
    {
        const int size = 256 << (trial % 7);
        std::vector<float> table = randomTable(random, size);
        const std::uint32_t phase = random();
        const std::uint32_t step = random() >> (trial % 20);
        std::vector<float> portable(64), sse(68, 7.0f);
        const std::uint32_t a = interpolateOscillator(table.data(), portable.data(), 64, phase, step, size - 1);
        const std::uint32_t b =
            interpolateOscillatorAsm(oscillatorConstants, table.data(), sse.data(), 15, phase, step, size - 1);
        ASSERT_EQ(a, b);
        ASSERT_EQ(a, phase + 64 * step);
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ(bitsOf(portable[n]), bitsOf(sse[n])) << "trial " << trial << " sample " << n;
        EXPECT_EQ(sse[64], 7.0f); // a count of 15 writes exactly 64 samples
    }
}

TEST(OscillatorKernels, SsePulseReaderEqualsPortablePulseReader)
{
    std::mt19937 random(6);
    for (int trial = 0; trial < 300; ++trial)
    {
        const int size = 256 << (trial % 7);
        std::vector<float> table = randomTable(random, size);
        const std::uint32_t phase = random();
        const std::uint32_t step = random() >> (trial % 20);
        const std::uint32_t offset = random(); // any offset stays inside the table
        std::vector<float> portable(64), sse(68, 7.0f);
        const std::uint32_t a =
            interpolateOscillatorPwm(table.data(), portable.data(), 64, phase, step, size - 1, offset);
        const std::uint32_t b = interpolateOscillatorPwmAsm(oscillatorConstants, table.data(), sse.data(), 16, phase,
                                                            step, size - 1, offset);
        ASSERT_EQ(a, b);
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ(bitsOf(portable[n]), bitsOf(sse[n])) << "trial " << trial << " sample " << n;
        EXPECT_EQ(sse[64], 7.0f); // a count of 16 writes exactly 64 samples
    }
}

TEST(OscillatorKernels, CubicPassesThroughSamplesAndReproducesLines)
{
    std::vector<float> line(260);
    for (int i = 0; i < 260; ++i)
        line[i] = 0.25f * i;
    std::vector<float> out(64);
    // Index bits one sample before the point read: phase 0x00050000 reads at 6.
    interpolateOscillator(line.data(), out.data(), 64, 5u << 16, 1u << 14, 255);
    for (int n = 0; n < 64; ++n)
        EXPECT_FLOAT_EQ(out[n], 0.25f * (6 + n / 4.0f)) << n;
}

TEST(OscillatorKernels, PulseOfATableAgainstItselfIsSilent)
{
    std::mt19937 random(8);
    std::vector<float> table = randomTable(random, 1024);
    std::vector<float> out(64, 1.0f);
    interpolateOscillatorPwmAsm(oscillatorConstants, table.data(), out.data(), 16, 12345, 99999, 1023, 0);
    EXPECT_EQ(out, std::vector<float>(64, 0.0f));
    // A whole table length of offset is the same read.
    interpolateOscillatorPwm(table.data(), out.data(), 64, 12345, 99999, 1023, 1024);
    EXPECT_EQ(out, std::vector<float>(64, 0.0f));
}

TEST(OscillatorKernels, SseNoiseContinuesThePortableSequence)
{
    for (std::uint32_t seed : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu})
    {
        std::vector<float> portable(64 * 5), sse(64 * 5, 0.0f);
        processNoise(portable.data(), 0, 5, seed);

        // The four-lane generator is primed with the first four samples.
        alignas(16) float carry[4];
        std::uint32_t state = seed;
        for (float& sample : carry)
        {
            sample = noiseSample(state);
            state = nextNoiseState(state);
        }
        state = processNoiseAsm(sse.data(), 0, carry, 2, state);
        state = processNoiseAsm(sse.data(), 2, carry, 5, state);
        for (int n = 0; n < 64 * 5; ++n)
            ASSERT_EQ(bitsOf(portable[n]), bitsOf(sse[n])) << "seed " << seed << " sample " << n;
    }
}

TEST(OscillatorKernels, NoiseWritesOnlyItsTicks)
{
    std::vector<float> out(64 * 4, 3.0f);
    const std::uint32_t next = processNoise(out.data(), 1, 3, 0);
    EXPECT_EQ(out[63], 3.0f);
    EXPECT_EQ(out[64], 0.5f);
    EXPECT_NE(out[191], 3.0f);
    EXPECT_EQ(out[192], 3.0f);
    std::uint32_t x = 0;
    for (int n = 0; n < 128; ++n)
        x = nextNoiseState(x);
    EXPECT_EQ(next, x);
}
