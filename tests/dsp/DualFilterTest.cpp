#include "dsp/DualFilter.h"
#include "tests/dsp/FilterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <xmmintrin.h>

using namespace filtertest;

namespace
{
class DualFilterVariant : public ::testing::TestWithParam<Variant>
{
protected:
    std::unique_ptr<DualFilter> make() const { return makeFilter(GetParam()); }
    bool even() const { return GetParam() == Variant::Sse; }
    std::mt19937 rng{1234};
};

// The part of both slots' outputs that lies in [from, to).
std::vector<float> slice(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    return std::vector<float>(x.begin() + from, x.begin() + to);
}

float peakAfter(const std::vector<float>& x, std::size_t from)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < x.size(); ++i)
        peak = std::max(peak, std::fabs(x[i]));
    return peak;
}

struct Bounds
{
    float lower;
    float upper;
};

// The extremes of a mode's output: both passes of each filter at the limit
// of the output the mode uses, summed as the filter sums them.
Bounds outputBounds(int mode)
{
    const float lowPassTop = kIntegratorLimit - kFilterBias;
    const Bounds lowPass{kLowPassFloor, lowPassTop};
    const Bounds bandPass{kBandPassFloor, lowPassTop};
    const Bounds highPass{-kHighPassLimit, kHighPassLimit};
    const Bounds used[kFilterModeCount][2] = {{lowPass, lowPass},   {highPass, lowPass},  {highPass, highPass},
                                              {lowPass, lowPass},   {bandPass, bandPass}, {highPass, highPass},
                                              {lowPass, bandPass},  {lowPass, highPass},  {bandPass, highPass}};
    const Bounds& a = used[mode][0];
    const Bounds& b = used[mode][1];
    if (isFourPoleMode(mode))
        return {2.0f * (b.lower + b.lower), 2.0f * (b.upper + b.upper)};
    return {(a.lower + a.lower) + (b.lower + b.lower), (a.upper + a.upper) + (b.upper + b.upper)};
}
}

TEST_P(DualFilterVariant, SilenceStaysSilentInEveryMode)
{
    const std::vector<float> silence(4096, 0.0f);
    for (int mode = 0; mode <= kFilterBypass; ++mode)
    {
        for (std::uint32_t startMask : {0u, 3u})
        {
            auto filter = make();
            filter->setStartMask(startMask);
            PairRun run(silence, silence, randomWords(rng, 65), randomWords(rng, 65));
            run.run(*filter, randomCalls(rng, 4096, even()), 3, mode);
            for (int slot = 0; slot < 2; ++slot)
                for (float y : run.out[slot])
                    ASSERT_EQ(y, 0.0f) << modeNames[std::min(mode, 8)] << " mode " << mode << " start " << startMask;
        }
    }
}

TEST_P(DualFilterVariant, BypassCopiesAndLeavesTheStateAlone)
{
    const PairRun fresh = randomRun(rng, 768, 0.7f);

    auto bypassed = make();
    PairRun withBypass = fresh;
    withBypass.call(*bypassed, {0, 256}, 3, kFilterLpBp);
    withBypass.call(*bypassed, {0, 256}, 3, kFilterBypass);
    EXPECT_EQ(slice(withBypass.out[0], 256, 512), slice(fresh.in[0], 256, 512));
    EXPECT_EQ(slice(withBypass.out[1], 256, 512), slice(fresh.in[1], 256, 512));
    bypassed->setStartMask(0);
    withBypass.call(*bypassed, {0, 256}, 3, kFilterLpBp);

    // The same without the bypassed stretch.
    auto skip = [](const auto& x, std::size_t from, std::size_t to) {
        auto y = x;
        y.erase(y.begin() + from, y.begin() + to);
        return y;
    };
    auto plain = make();
    PairRun without(skip(fresh.in[0], 256, 512), skip(fresh.in[1], 256, 512), skip(fresh.words[0], 4, 8),
                    skip(fresh.words[1], 4, 8));
    without.call(*plain, {0, 256}, 3, kFilterLpBp);
    plain->setStartMask(0);
    without.call(*plain, {0, 256}, 3, kFilterLpBp);
    for (int slot = 0; slot < 2; ++slot)
        EXPECT_EQ(slice(withBypass.out[slot], 512, 768), slice(without.out[slot], 256, 512));
}

TEST_P(DualFilterVariant, StartOnAWholeFrameRampsFromZero)
{
    // A start with 64 samples left in the frame ramps from 0 exactly as a
    // fresh filter does over a new frame.
    const auto in0 = randomSignal(rng, 192, 0.5f);
    const auto in1 = randomSignal(rng, 192, 0.5f);
    const std::vector<std::uint32_t> words0 = {word(150, 20, 170, 40), word(90, 60, 100, 10), word(200, 200)};
    const std::vector<std::uint32_t> words1 = {word(40, 5, 60, 90), word(220, 30, 10, 10), word(128, 128)};
    for (int mode : {kFilterLp4Pole, kFilterLpLp, kFilterBpHp})
    {
        auto started = make();
        started->setStartMask(3);
        PairRun a(in0, in1, words0, words1);
        a.call(*started, {64, 0}, 3, mode);
        a.call(*started, {0, 128}, 3, mode);

        // The start took its targets from the first word, which the next
        // call's first frame reads again.
        auto fresh = make();
        PairRun b(in0, in1, {words0[0], words0[0], words0[1]}, {words1[0], words1[0], words1[1]});
        b.call(*fresh, {0, 192}, 3, mode);
        EXPECT_EQ(a.out[0], b.out[0]) << modeNames[mode];
        EXPECT_EQ(a.out[1], b.out[1]) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, StartInsideAFrameContinuesTheRampFromTheFrameStart)
{
    // Started with c samples left, the slot behaves as if it had been started
    // at the frame's beginning and fed silence until then.
    const int smallest = even() ? 2 : 1;
    for (int current : {smallest, 32, 62})
    {
        const int silent = 64 - current;
        const auto signal0 = randomSignal(rng, current + 128, 0.5f);
        const auto signal1 = randomSignal(rng, current + 128, 0.5f);
        const std::vector<std::uint32_t> words0 = {word(180, 30, 120, 50), word(60, 20), word(250, 90, 30, 0)};
        const std::vector<std::uint32_t> words1 = {word(20, 0, 200, 255), word(140, 70), word(90, 12, 91, 13)};
        for (int mode : {kFilterBp4Pole, kFilterLpHp})
        {
            auto late = make();
            late->setStartMask(3);
            PairRun a(signal0, signal1, words0, words1);
            a.call(*late, {current, 128}, 3, mode);

            std::vector<float> padded0(silent, 0.0f), padded1(silent, 0.0f);
            padded0.insert(padded0.end(), signal0.begin(), signal0.end());
            padded1.insert(padded1.end(), signal1.begin(), signal1.end());
            auto early = make();
            early->setStartMask(3);
            PairRun b(padded0, padded1, words0, words1);
            b.call(*early, {64, 128}, 3, mode);

            for (int slot = 0; slot < 2; ++slot)
            {
                const auto tail = slice(b.out[slot], silent, b.out[slot].size());
                for (std::size_t i = 0; i < tail.size(); ++i)
                    ASSERT_NEAR(a.out[slot][i], tail[i], 2e-5f) << "c " << current << " sample " << i;
            }
        }
    }
}

TEST_P(DualFilterVariant, AStartedSlotForgetsWhatItHeardBefore)
{
    auto loud = randomSignal(rng, 64 * 9, 1.5f);
    std::fill(loud.begin() + 64 * 4, loud.end(), 0.0f);
    const std::vector<std::uint32_t> words(10, word(30, 0));
    for (int mode : {kFilterLp4Pole, kFilterBpBp})
    {
        auto filter = make();
        PairRun run(loud, loud, words, words);
        run.call(*filter, {0, 64 * 4 + 32}, 3, mode);
        // Silence from here on; only slot 0 starts afresh.
        filter->setStartMask(1);
        run.call(*filter, {32, 64 * 4}, 3, mode);
        EXPECT_EQ(peakAfter(slice(run.out[0], 64 * 4 + 32, run.out[0].size()), 0), 0.0f) << modeNames[mode];
        EXPECT_GT(peakAfter(slice(run.out[1], 64 * 4 + 32, run.out[1].size()), 0), 1e-3f) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, AStartInACallThatEndsInsideTheFrameHoldsItsTargets)
{
    // A block shorter than the tick in progress: the slot starts in it and
    // the next block finishes the frame. Ramping on past the targets would
    // take the filter to nearly twice its cutoff and damping, where it is
    // unstable and bursts into saturation.
    const auto in = randomSignal(rng, 64, 0.01f);
    const std::vector<std::uint32_t> words(2, word(255, 255));
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        auto filter = make();
        filter->setStartMask(3);
        PairRun run(in, in, words, words);
        run.call(*filter, {2, 0}, 3, mode);
        run.call(*filter, {62, 0}, 3, mode);
        EXPECT_LT(peakAfter(run.out[0], 0), 0.1f) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, CallsWithoutNewFramesReadOnlyTheStartWord)
{
    const auto in = randomSignal(rng, 64, 0.5f);
    std::vector<float> out0(64, 9.0f), out1(64, 9.0f);
    auto filter = make();
    float* buffers[4] = {const_cast<float*>(in.data()), out0.data(), const_cast<float*>(in.data()), out1.data()};

    // No start and no new frame: the streams are not read at all.
    const std::uint32_t* none[2] = {nullptr, nullptr};
    filter->process(buffers, none, 3, 0, 32, 0, kFilterLpLp);
    EXPECT_NE(out0[0], 9.0f);
    EXPECT_EQ(out0[32], 9.0f);

    // A start reads exactly one word per slot.
    const std::vector<std::uint32_t> one0 = {word(100, 50)};
    const std::vector<std::uint32_t> one1 = {word(30, 10)};
    const std::uint32_t* streams[2] = {one0.data(), one1.data()};
    filter->setStartMask(3);
    float* rest[4] = {buffers[0] + 32, buffers[1] + 32, buffers[2] + 32, buffers[3] + 32};
    filter->process(rest, streams, 3, 0, 32, 0, kFilterLpLp);
    EXPECT_NE(out1[63], 9.0f);
}

TEST_P(DualFilterVariant, AFrameSplitAcrossCallsGivesTheSameOutput)
{
    const auto in0 = randomSignal(rng, 128, 0.8f);
    const auto in1 = randomSignal(rng, 128, 0.8f);
    // Exactly two words: a partial second frame still reads its word once.
    const std::vector<std::uint32_t> words0 = {word(160, 3, 100, 40), word(40, 200, 230, 7)};
    const std::vector<std::uint32_t> words1 = {word(80, 80), word(200, 1)};
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        auto whole = make();
        PairRun a(in0, in1, words0, words1);
        a.call(*whole, {0, 128}, 3, mode);

        auto split = make();
        PairRun b(in0, in1, words0, words1);
        b.call(*split, {0, 100}, 3, mode);
        b.call(*split, {28, 0}, 3, mode);
        EXPECT_EQ(a.out[0], b.out[0]) << modeNames[mode];
        EXPECT_EQ(a.out[1], b.out[1]) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, AnySplitIntoCallsGivesTheSameOutput)
{
    const int samples = 64 * 40;
    const PairRun fresh = randomRun(rng, samples, 2.0f);
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        auto whole = make();
        PairRun a = fresh;
        a.call(*whole, {0, samples}, 3, mode);

        auto split = make();
        PairRun b = fresh;
        for (const Call& c : randomCalls(rng, samples, even()))
        {
            b.call(*split, c, 3, mode);
            split->setStartMask(0);
        }
        EXPECT_EQ(a.out[0], b.out[0]) << modeNames[mode];
        EXPECT_EQ(a.out[1], b.out[1]) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, OutputStaysWithinTheSaturationBoundsOfEachMode)
{
    const int samples = 64 * 64;
    const auto in0 = randomSignal(rng, samples, 8.0f);
    const auto in1 = randomSignal(rng, samples, 8.0f);
    // Little damping and moving cutoffs drive every integrator into its limits.
    std::vector<std::uint32_t> words(65);
    for (int k = 0; k < 65; ++k)
        words[k] = word((k * 37) % 256, k % 3, (k * 53) % 256, k % 5);
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        auto filter = make();
        PairRun run(in0, in1, words, words);
        run.run(*filter, randomCalls(rng, samples, even()), 3, mode);
        const Bounds bounds = outputBounds(mode);
        for (int slot = 0; slot < 2; ++slot)
        {
            const auto [low, high] = std::minmax_element(run.out[slot].begin(), run.out[slot].end());
            EXPECT_GE(*low, bounds.lower) << modeNames[mode];
            EXPECT_LE(*high, bounds.upper) << modeNames[mode];
            EXPECT_GT(*high - *low, 0.25f * (bounds.upper - bounds.lower)) << modeNames[mode];
        }
    }
}

TEST_P(DualFilterVariant, LowPassModesPassDirectCurrentWithTheirGain)
{
    const int samples = 64 * 300;
    const std::vector<float> dc(samples, 0.05f);
    const std::vector<std::uint32_t> words(300, word(128, 200));
    // Each low-pass filter passes DC twice per sample; band and high pass none.
    const std::pair<int, float> gains[] = {{kFilterLp4Pole, 4.0f}, {kFilterLpLp, 4.0f}, {kFilterLpBp, 2.0f},
                                           {kFilterLpHp, 2.0f},    {kFilterBpBp, 0.0f}, {kFilterBpHp, 0.0f}};
    for (const auto& [mode, gain] : gains)
    {
        auto filter = make();
        PairRun run(dc, dc, words, words);
        run.call(*filter, {0, samples}, 3, mode);
        EXPECT_NEAR(run.out[0].back(), 0.05f * gain, 1e-4f) << modeNames[mode];
        EXPECT_NEAR(run.out[1].back(), 0.05f * gain, 1e-4f) << modeNames[mode];
    }
}

TEST_P(DualFilterVariant, BandPassPeaksAtTheCutoffFrequency)
{
    const int samples = 8192;
    const std::vector<std::uint32_t> silence(samples, 0);
    for (int index : {64, 128, 176})
    {
        const float cutoff = CutoffFrequencyTable[index];
        const std::vector<std::uint32_t> words(samples / 64, word(index, 80));
        float bestFrequency = 0.0f;
        float bestLevel = 0.0f;
        for (float ratio = 0.9f; ratio <= 1.1f; ratio += 0.0025f)
        {
            // A small level keeps the filter linear.
            const auto in = sine(cutoff * ratio, 0.002f, samples);
            auto filter = make();
            PairRun run(in, in, words, words);
            run.call(*filter, {0, samples}, 3, kFilterBpBp);
            const float level = peakAfter(run.out[0], samples / 2);
            if (level > bestLevel)
            {
                bestLevel = level;
                bestFrequency = cutoff * ratio;
            }
        }
        EXPECT_NEAR(bestFrequency / cutoff, 1.0f, 0.01f) << "cutoff index " << index;
    }
}

TEST_P(DualFilterVariant, MaskedCallLeavesTheOtherSlotUntouched)
{
    const int samples = 64 * 12;
    const PairRun fresh = randomRun(rng, samples, 0.9f);
    for (int mode : {kFilterHp4Pole, kFilterLpBp})
    {
        for (int active : {1, 2})
        {
            const int idle = 1 - (active - 1);
            auto masked = make();
            PairRun a = fresh;
            a.call(*masked, {0, 256}, 3, mode);
            std::fill(a.out[idle].begin() + 256, a.out[idle].end(), 7.0f);
            a.call(*masked, {0, 256}, active, mode);
            EXPECT_EQ(slice(a.out[idle], 256, 512), std::vector<float>(256, 7.0f));
            masked->setStartMask(0);
            a.call(*masked, {0, 256}, 3, mode);

            // The idle slot continues as if the masked call had never been.
            auto reference = make();
            PairRun b = fresh;
            b.call(*reference, {0, 256}, 3, mode);
            b.nextWord += 4;
            b.position += 256;
            b.call(*reference, {0, 256}, 3, mode);
            EXPECT_EQ(slice(a.out[idle], 512, samples), slice(b.out[idle], 512, samples))
                << modeNames[mode] << " active " << active;
            EXPECT_EQ(slice(a.out[active - 1], 0, 256), slice(b.out[active - 1], 0, 256));
        }
    }
}

TEST_P(DualFilterVariant, DenormalInputIsTreatedAsSilence)
{
    const std::vector<float> tiny(256, 1e-39f);
    const std::vector<std::uint32_t> words(4, word(255, 0));
    auto filter = make();
    // The caller's rounding and flushing stay as they were.
    const unsigned int controlBits = ~0x3Fu;
    const unsigned int mode = _mm_getcsr() & controlBits;
    filter->setStartMask(3);
    PairRun run(tiny, tiny, words, words);
    run.call(*filter, {64, 192}, 3, kFilterHpHp);
    EXPECT_EQ(run.out[0], std::vector<float>(256, 0.0f));
    EXPECT_EQ(_mm_getcsr() & controlBits, mode);
}

TEST_P(DualFilterVariant, ChangingBetweenFourPoleAndParallelModesLeavesNoOffset)
{
    const int samples = 64 * 200;
    const std::vector<std::uint32_t> words(200, word(120, 100));
    const std::pair<int, int> changes[] = {{kFilterLp4Pole, kFilterLpLp}, {kFilterBpBp, kFilterHp4Pole},
                                           {kFilterHp4Pole, kFilterBpHp}, {kFilterLpBp, kFilterBp4Pole}};
    for (const auto& [before, after] : changes)
    {
        // Silence before and after the change: nothing at all comes out.
        const std::vector<float> silence(samples, 0.0f);
        auto quiet = make();
        quiet->setStartMask(3);
        PairRun still(silence, silence, words, words);
        still.call(*quiet, {64, 1024}, 3, before);
        quiet->setStartMask(0);
        still.call(*quiet, {0, samples - 1088}, 3, after);
        EXPECT_EQ(peakAfter(still.out[0], 0), 0.0f) << modeNames[before] << " to " << modeNames[after];

        // A sound before the change dies away after it.
        auto in = randomSignal(rng, samples, 0.8f);
        std::fill(in.begin() + 1024, in.end(), 0.0f);
        auto filter = make();
        PairRun run(in, in, words, words);
        run.call(*filter, {0, 1024}, 3, before);
        filter->setStartMask(0);
        run.call(*filter, {0, samples - 1024}, 3, after);
        EXPECT_LT(peakAfter(run.out[0], samples - 1024), 1e-4f) << modeNames[before] << " to " << modeNames[after];
    }
}

TEST_P(DualFilterVariant, LivesOnSixteenByteBoundaries)
{
    std::vector<std::unique_ptr<DualFilter>> filters;
    for (int i = 0; i < 8; ++i)
    {
        filters.push_back(make());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(filters.back().get()) % 16, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(DualFilter, DualFilterVariant, ::testing::Values(Variant::Standard, Variant::Sse),
                         [](const ::testing::TestParamInfo<Variant>& info) { return variantName(info.param); });
