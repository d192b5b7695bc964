#include "dsp/ChorusIntReference.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace
{
std::unique_ptr<ChorusIntReference> makeChorus(float hostRate, int64_t mode, float rateHz, float depthMs, int level)
{
    auto chorus = std::make_unique<ChorusIntReference>();
    chorus->setSampleRate(hostRate);
    chorus->setMode(mode);
    chorus->setRate(rateHz);
    chorus->setDepth(depthMs);
    chorus->setLevel(level);
    chorus->clear();
    return chorus;
}

// Runs n host samples of a constant through the chorus in blocks of 512.
std::vector<float> runConstant(Chorus& chorus, float value, int n)
{
    std::vector<float> in(std::size_t(n) * 4, value), out(in.size());
    for (int done = 0; done < n; done += 512)
    {
        int part = std::min(512, n - done);
        chorus.process(in.data() + 4 * done, out.data() + 4 * done, part);
    }
    return out;
}

int64_t samplesToFixed(double samples)
{
    return int64_t(samples * 65536.0);
}
}

TEST(Chorus, DcGainFollowsTheLevelInEveryMode)
{
    for (int level : {25, 100})
    {
        const float l = 0.01f * float(level);
        // The wet taps and the cross-feed are high-passed; only the dry path
        // and its low-passed share pass DC.
        const float expected = 0.5f * (1.0f - 0.5f * l) * (1.0f + l * l);
        for (int mode = 0; mode <= Chorus::kHighestMode; ++mode)
        {
            auto chorus = makeChorus(48000.0f, mode, 0.95f, 2.0f, level);
            std::vector<float> out = runConstant(*chorus, 0.5f, 48000);
            // The input high-passes settle on large single-precision states,
            // which leaves a DC residue of a few thousandths in the taps.
            for (int k = 1; k <= 4; ++k)
                EXPECT_NEAR(out[out.size() - std::size_t(k)], expected, 4e-3f * l) << "level " << level << " mode " << mode;
        }
    }
}

TEST(Chorus, TapsSweepBetweenTheirBoundsAtTheChorusRate)
{
    const float hostRate = 48000.0f;
    const double depth = 2.0 * 2.0 * hostRate / 1000.0; // engine samples
    auto chorus = makeChorus(hostRate, 2, 1.0f, 2.0f, 50);
    const int64_t base = int64_t(2.0 * 9.5 * hostRate / 1000.0) << 16;
    EXPECT_EQ(chorus->baseDelay(), base);
    EXPECT_EQ(chorus->upperBound(), base + samplesToFixed(depth));
    EXPECT_EQ(chorus->lowerBound(), base - samplesToFixed(depth));

    // One chunk at a time: a turn can overshoot by at most one chunk's travel.
    const int chunk = Chorus::kChunk;
    const int chunks = 4 * int(hostRate) / chunk;
    std::vector<float> in(std::size_t(chunk) * 4, 0.0f);
    std::vector<int64_t> tap0, tap2;
    for (int i = 0; i < chunks; ++i)
    {
        chorus->process(in.data(), in.data(), chunk);
        tap0.push_back(chorus->tapPosition(0));
        tap2.push_back(chorus->tapPosition(2));
        EXPECT_EQ(chorus->tapPosition(0) + chorus->tapPosition(1), 2 * base) << "taps 0 and 1 mirror each other";
    }
    const double slack0 = 2.0 * chunk * (2.0 / hostRate) * depth * 65536.0;
    const double slack2 = 1.21 * slack0;
    for (const auto& [taps, slack] : {std::pair{&tap0, slack0}, std::pair{&tap2, slack2}})
    {
        auto [low, high] = std::minmax_element(taps->begin(), taps->end());
        EXPECT_LE(double(*high), double(base + samplesToFixed(depth)) + slack);
        EXPECT_GE(double(*high), double(base + samplesToFixed(depth)) - slack);
        EXPECT_GE(double(*low), double(base - samplesToFixed(depth)) - slack);
        EXPECT_LE(double(*low), double(base - samplesToFixed(depth)) + slack);
    }

    // Chunks between upper turns: one period of 1 Hz, and 1.21 times as fast
    // for the second pair. A turn comes at the end of the chunk that crossed
    // the bound, so each of the two turns of a period may add two chunks.
    auto peaks = [](const std::vector<int64_t>& taps) {
        std::vector<int> at;
        for (std::size_t i = 1; i + 1 < taps.size(); ++i)
            if (taps[i] > taps[i - 1] && taps[i] >= taps[i + 1])
                at.push_back(int(i));
        return at;
    };
    const double chunksPerSecond = hostRate / chunk;
    for (const auto& [taps, period] : {std::pair{&tap0, chunksPerSecond}, std::pair{&tap2, chunksPerSecond / 1.21}})
    {
        std::vector<int> at = peaks(*taps);
        ASSERT_GE(at.size(), 3u);
        const double average = double(at.back() - at.front()) / double(at.size() - 1);
        EXPECT_GE(average, period - 1.0);
        EXPECT_LE(average, period + 4.0);
    }
}

TEST(Chorus, NewSampleRateRebuildsBoundsAndSweep)
{
    auto chorus = std::make_unique<ChorusIntReference>();
    chorus->setSampleRate(44100.0f);
    chorus->setRate(0.5f);
    chorus->setDepth(3.0f);
    chorus->setSampleRate(96000.0f);
    const int64_t base = int64_t(2.0 * 9.5 * 96000.0 / 1000.0) << 16;
    const double depth = 2.0 * 3.0 * 96000.0 / 1000.0;
    EXPECT_EQ(chorus->baseDelay(), base);
    EXPECT_EQ(chorus->upperBound(), base + samplesToFixed(depth));
    EXPECT_EQ(chorus->lowerBound(), base - samplesToFixed(depth));

    // The sweep takes its increments from the new rate too: one chunk moves
    // tap 0 by 256 frames of 2 x 0.5 / 96000 x depth.
    std::vector<float> in(std::size_t(Chorus::kChunk) * 4, 0.0f);
    chorus->setLevel(50);
    chorus->process(in.data(), in.data(), Chorus::kChunk);
    const double travel = 2.0 * Chorus::kChunk * (2.0 * 0.5 / 96000.0) * depth * 65536.0;
    EXPECT_NEAR(double(chorus->tapPosition(0) - base), travel, travel * 1e-3);
}

TEST(Chorus, ModeOutsideItsRangeIsClampedNotSilentlyStale)
{
    const int n = 2000;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 1);
    const std::pair<int64_t, int> cases[] = {{30, Chorus::kHighestMode}, {-3, 0}, {(int64_t(1) << 32) | 3, Chorus::kHighestMode}};
    for (const auto& [asked, clamped] : cases)
    {
        auto reference = makeChorus(44100.0f, clamped, 1.0f, 2.0f, 60);
        auto chorus = makeChorus(44100.0f, asked, 1.0f, 2.0f, 60);
        std::vector<float> expected(in.size()), out(in.size(), 123.0f);
        reference->process(in.data(), expected.data(), n);
        chorus->process(in.data(), out.data(), n);
        EXPECT_EQ(out, expected) << asked;
    }
}

TEST(Chorus, LevelZeroFadesToDryThenStops)
{
    auto silent = makeChorus(48000.0f, 1, 1.0f, 2.0f, 0);
    std::vector<float> buffer(4 * 256, 0.25f);
    EXPECT_FALSE(silent->process(buffer.data(), buffer.data(), 256));

    auto chorus = makeChorus(48000.0f, 1, 1.0f, 2.0f, 80);
    std::vector<float> in = whiteNoise(std::size_t(48000) * 4, 2), out(in.size());
    EXPECT_TRUE(chorus->process(in.data(), out.data(), 10000));
    chorus->setLevel(0);
    // The fade takes 100 ms, 4800 host samples; the second block ends it.
    EXPECT_TRUE(chorus->process(in.data() + 4 * 10000, out.data() + 4 * 10000, 4000));
    EXPECT_FALSE(chorus->process(in.data() + 4 * 14000, out.data() + 4 * 14000, 4000));
    // Once the cross-feed filters have rung out, the output is the input.
    for (std::size_t i = 4 * 16000; i < 4 * 18000; ++i)
        ASSERT_NEAR(out[i], in[i], 1e-3f) << i;
}

TEST(Chorus, SkippingSilenceThroughALevelRampEndsWherePlayingItWould)
{
    // The ramp takes 4800 host samples: a silence inside it and one past
    // its end, to a level and down to none.
    for (const auto& [level, silence] : {std::pair{70, 1000}, std::pair{70, 6000}, std::pair{0, 6000}})
    {
        auto played = makeChorus(48000.0f, 0, 1.3f, 2.5f, 40);
        auto skipped = makeChorus(48000.0f, 0, 1.3f, 2.5f, 40);
        for (Chorus* chorus : {static_cast<Chorus*>(played.get()), static_cast<Chorus*>(skipped.get())})
            runConstant(*chorus, 0.0f, 6000);
        played->setLevel(level);
        skipped->setLevel(level);
        std::vector<float> zeros(4 * std::size_t(silence), 0.0f);
        const bool running = played->process(zeros.data(), zeros.data(), silence);
        ASSERT_TRUE(skipped->skip(silence));
        EXPECT_EQ(skipped->isRunning(), running) << level << " " << silence;
        const std::vector<float> in = whiteNoise(std::size_t(3000) * 4, 9);
        std::vector<float> expected(in.size()), out(in.size());
        played->process(in.data(), expected.data(), 3000);
        skipped->process(in.data(), out.data(), 3000);
        EXPECT_EQ(out, expected) << level << " " << silence;
    }
}

TEST(Chorus, LivesOnSixteenByteBoundaries)
{
    std::vector<std::unique_ptr<Chorus>> choruses;
    for (int i = 0; i < 8; ++i)
    {
        choruses.push_back(std::make_unique<ChorusIntReference>());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(choruses.back().get()) % 16, 0u);
    }
}

TEST(Chorus, RunsInPlace)
{
    const int n = 3000;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 4);
    for (int mode : {1, 3, 4, 0})
    {
        auto separate = makeChorus(44100.0f, mode, 1.3f, 2.5f, 70);
        auto inPlace = makeChorus(44100.0f, mode, 1.3f, 2.5f, 70);
        std::vector<float> out(in.size()), buffer(in);
        separate->process(in.data(), out.data(), n);
        inPlace->process(buffer.data(), buffer.data(), n);
        EXPECT_EQ(out, buffer) << mode;
    }
}

TEST(Chorus, SameOutputHoweverTheCallsAreSplit)
{
    // Fast and deep, so that the sweep turns many times.
    const int n = 40000;
    std::vector<float> in = whiteNoise(std::size_t(n) * 4, 6);
    for (int mode : {0, 1, 4})
    {
        auto whole = makeChorus(44100.0f, mode, 6.0f, 4.0f, 70);
        auto split = makeChorus(44100.0f, mode, 6.0f, 4.0f, 70);
        std::vector<float> expected(in.size()), out(in.size());
        for (int done = 0; done < n; done += 512)
            whole->process(in.data() + 4 * done, expected.data() + 4 * done, std::min(512, n - done));
        std::mt19937 random(mode);
        for (int done = 0; done < n;)
        {
            const int part = std::min(std::uniform_int_distribution<int>(1, 300)(random), n - done);
            split->process(in.data() + 4 * done, out.data() + 4 * done, part);
            done += part;
        }
        for (std::size_t i = 0; i < in.size(); ++i)
            ASSERT_NEAR(out[i], expected[i], 1e-6f) << "mode " << mode << " at " << i;
        EXPECT_EQ(split->tapPosition(0), whole->tapPosition(0)) << mode;
    }
}

TEST(Chorus, ClearStartsFromSilence)
{
    for (int mode : {0, 1, 3, 4})
    {
        auto chorus = makeChorus(44100.0f, mode, 1.0f, 3.0f, 100);
        std::vector<float> sound = whiteNoise(std::size_t(8000) * 4, 7), out(sound.size());
        chorus->process(sound.data(), out.data(), 8000);
        chorus->clear();
        std::vector<float> silence(std::size_t(2000) * 4, 0.0f);
        chorus->process(silence.data(), silence.data(), 2000);
        for (std::size_t i = 0; i < silence.size(); ++i)
            ASSERT_LT(std::fabs(silence[i]), 1e-12f) << "mode " << mode << " at " << i;
    }
}

TEST(Chorus, SilenceAfterSoundNeverTurnsDenormal)
{
    auto chorus = makeChorus(44100.0f, 3, 1.0f, 3.0f, 100);
    std::vector<float> in = whiteNoise(std::size_t(2000) * 4, 6);
    in.resize(std::size_t(90000) * 4, 0.0f);
    std::vector<float> out(in.size());
    for (std::size_t done = 0; done < 90000; done += 500)
        chorus->process(in.data() + 4 * done, out.data() + 4 * done, 500);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_NE(std::fpclassify(out[i]), FP_SUBNORMAL) << i;
}
