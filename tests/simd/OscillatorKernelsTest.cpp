#include "simd/OscillatorKernels.h"

#include "TestSignals.h"
#include "tests/support/SimdPaths.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
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

// Read starts for the wider readers: anywhere, just before a wrap of the
// table or of the 32-bit phase, and just before the guard samples, where a
// window of two vectors of `lanes` samples no longer fits.
std::uint32_t startPhase(std::mt19937& random, int trial, std::uint32_t indexMask, int lanes)
{
    const std::uint32_t range = indexMask & 0xFFFFu;
    const std::uint32_t back = random() % 40;
    switch (trial % 4)
    {
    case 0:
        return static_cast<std::uint32_t>(random());
    case 1:
        return ((range - back) << 16) | (random() & 0xFFFFu);
    case 2:
        return 0u - (back << 16) - (random() & 0xFFFFu);
    default:
        return ((range - (2 * lanes - 4) - back % 8) << 16) | (random() & 0xFFFFu);
    }
}

// Steps from a small fraction of a table sample to the whole table, with
// most around one or two samples, where the readers spend their time.
std::uint32_t anyStep(std::mt19937& random, int trial)
{
    if (trial % 3 == 0)
        return static_cast<std::uint32_t>(random()) >> (trial % 20);
    return 32768u + static_cast<std::uint32_t>(random() % (3u << 16));
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

namespace
{
// The kernels of a path wider than four lanes.
struct WiderKernels
{
    SimdPath path;
    int lanes;
    decltype(&interpolateOscillatorWide) read;
    decltype(&interpolateOscillatorPwmWide) readPulse;
    decltype(&processNoiseWide) noise;
};

const WiderKernels kEightLanes{SimdPath::Avx2, 8, interpolateOscillatorAvx2, interpolateOscillatorPwmAvx2,
                               processNoiseAvx2};
const WiderKernels kSixteenLanes{SimdPath::Avx512, 16, interpolateOscillatorWide, interpolateOscillatorPwmWide,
                                 processNoiseWide};

// The wider reader (or pulse reader) against the four-lane one over tables
// of every size, from starts near every wrap.
void expectWiderReaderMatches(const WiderKernels& kernels, unsigned seed, bool pulse)
{
    std::mt19937 random(seed);
    for (int trial = 0; trial < 800; ++trial)
    {
        const int size = 256 << (trial % 11);
        std::vector<float> table = randomTable(random, size);
        const std::uint32_t phase = startPhase(random, trial, size - 1, kernels.lanes);
        const std::uint32_t step = anyStep(random, trial);
        // Any offset, and offsets that put the other read near the end.
        const std::uint32_t offset = trial % 2 ? static_cast<std::uint32_t>(random())
                                               : static_cast<std::uint32_t>(size - 40 + random() % 40);
        std::vector<float> sse(64), wider(68, 7.0f);
        const float* t = table.data();
        const std::uint32_t a =
            pulse ? interpolateOscillatorPwmAsm(oscillatorConstants, t, sse.data(), 16, phase, step, size - 1, offset)
                  : interpolateOscillatorAsm(oscillatorConstants, t, sse.data(), 15, phase, step, size - 1);
        const std::uint32_t b =
            pulse ? kernels.readPulse(oscillatorConstants, t, wider.data(), 16, phase, step, size - 1, offset)
                  : kernels.read(oscillatorConstants, t, wider.data(), 15, phase, step, size - 1);
        ASSERT_EQ(a, b);
        for (int n = 0; n < 64; ++n)
            ASSERT_EQ(bitsOf(sse[n]), bitsOf(wider[n])) << "trial " << trial << " sample " << n;
        EXPECT_EQ(wider[64], 7.0f);
    }
}

void expectWiderNoiseMatches(const WiderKernels& kernels)
{
    for (std::uint32_t seed : {0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu})
    {
        std::vector<float> sse(64 * 6, 0.0f), wider(64 * 6, 0.0f);
        alignas(16) float sseCarry[4];
        std::uint32_t sseState = seed;
        for (float& sample : sseCarry)
        {
            sample = noiseSample(sseState);
            sseState = nextNoiseState(sseState);
        }
        alignas(16) float widerCarry[4] = {sseCarry[0], sseCarry[1], sseCarry[2], sseCarry[3]};
        std::uint32_t widerState = sseState;
        // Runs of several ticks, one tick and none.
        for (const auto& [first, end] : {std::pair<int, int>{0, 2}, {2, 2}, {2, 3}, {3, 6}})
        {
            sseState = processNoiseAsm(sse.data(), first, sseCarry, end, sseState);
            widerState = kernels.noise(wider.data(), first, widerCarry, end, widerState);
            ASSERT_EQ(sseState, widerState);
            for (int j = 0; j < 4; ++j)
                ASSERT_EQ(bitsOf(sseCarry[j]), bitsOf(widerCarry[j]));
        }
        for (int n = 0; n < 64 * 6; ++n)
            ASSERT_EQ(bitsOf(sse[n]), bitsOf(wider[n])) << "seed " << seed << " sample " << n;
    }
}
}

TEST(OscillatorKernels, WideReaderEqualsSseReader)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectWiderReaderMatches(kSixteenLanes, 15, false);
}

TEST(OscillatorKernels, WidePulseReaderEqualsSsePulseReader)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectWiderReaderMatches(kSixteenLanes, 16, true);
}

TEST(OscillatorKernels, WideNoiseContinuesTheSseSequence)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectWiderNoiseMatches(kSixteenLanes);
}

TEST(OscillatorKernels, EightLaneReaderEqualsSseReader)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectWiderReaderMatches(kEightLanes, 17, false);
}

TEST(OscillatorKernels, EightLanePulseReaderEqualsSsePulseReader)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectWiderReaderMatches(kEightLanes, 18, true);
}

TEST(OscillatorKernels, EightLaneNoiseContinuesTheSseSequence)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectWiderNoiseMatches(kEightLanes);
}
