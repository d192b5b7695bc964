#include "dsp/FilterBank.h"

#include "dsp/VoiceBuffers.h"
#include "simd/SystemInfo.h"
#include "tests/dsp/FilterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace filtertest;

namespace
{
constexpr float kUntouched = 123.0f;

class FilterBankVariant : public ::testing::TestWithParam<Variant>
{
protected:
    void SetUp() override { bank = makeBank(GetParam()); }

    static std::unique_ptr<FilterBank> makeBank(Variant v)
    {
        SystemInfo::forcePortable(v == Variant::Standard);
        auto made = std::make_unique<FilterBank>();
        SystemInfo::forcePortable(false);
        made->setSampleRate(44100.0f);
        return made;
    }

    // Mixer outputs with room for a carried tick before each pointer, filled
    // with noise; filter outputs marked untouched.
    void resize(int ticks)
    {
        this->ticks = ticks;
        stride = kFrameSamples * (ticks + 1);
        mixer.assign(static_cast<std::size_t>(FilterBank::kVoices) * stride, 0.0f);
        for (int v = 0; v < FilterBank::kVoices; ++v)
            records[v].mixerOutput = mixer.data() + v * stride + kFrameSamples;
        bank->setBlockSize(ticks);
        bank->assignVoiceBuffers(records);
        for (int v = 0; v < FilterBank::kVoices; ++v)
            std::fill(records[v].filterOutput - kFrameSamples, records[v].filterOutput + kFrameSamples * ticks,
                      kUntouched);
        refill();
    }

    void refill()
    {
        for (int v = 0; v < FilterBank::kVoices; ++v)
        {
            const auto noise = randomSignal(rng, stride, 0.8f);
            std::copy(noise.begin(), noise.end(), records[v].mixerOutput - kFrameSamples);
            const auto words = randomWords(rng, ticks);
            std::copy(words.begin(), words.end(), records[v].filterParameters);
        }
    }

    // Voice v's samples from `from` to `to`, relative to its pointers.
    std::vector<float> output(int v, int from, int to) const
    {
        return std::vector<float>(records[v].filterOutput + from, records[v].filterOutput + to);
    }
    std::vector<float> input(int v, int from, int to) const
    {
        return std::vector<float>(records[v].mixerOutput + from, records[v].mixerOutput + to);
    }

    // What one dual filter of the pair does with the same call, on copies.
    struct Shadow
    {
        std::unique_ptr<DualFilter> filter;
        std::vector<float> in[2], out[2];
    };

    Shadow shadow(int pair, const float* table) const
    {
        Shadow s{makeFilter(GetParam(), table), {}, {}};
        for (int slot = 0; slot < 2; ++slot)
        {
            s.in[slot] = input(2 * pair + slot, -kFrameSamples, kFrameSamples * ticks);
            s.out[slot].assign(s.in[slot].size(), kUntouched);
        }
        return s;
    }

    void shadowCall(Shadow& s, int pair, int mask, std::int64_t offset, std::int64_t current, std::int64_t fresh,
                    int mode, int tick)
    {
        float* buffers[4] = {s.in[0].data() + kFrameSamples, s.out[0].data() + kFrameSamples,
                             s.in[1].data() + kFrameSamples, s.out[1].data() + kFrameSamples};
        const std::uint32_t* streams[2] = {records[2 * pair].filterParameters + tick,
                                           records[2 * pair + 1].filterParameters + tick};
        s.filter->process(buffers, streams, mask, offset, current, fresh, mode);
        s.filter->setStartMask(~static_cast<std::uint32_t>(mask));
    }

    std::vector<float> shadowOutput(const Shadow& s, int slot, int from, int to) const
    {
        return std::vector<float>(s.out[slot].begin() + kFrameSamples + from, s.out[slot].begin() + kFrameSamples + to);
    }

    static void render(std::uint64_t* mask, std::initializer_list<int> voices)
    {
        mask[0] = mask[1] = 0;
        for (int v : voices)
            mask[v / 64] |= std::uint64_t(1) << (v % 64);
    }

    std::unique_ptr<FilterBank> bank;
    VoiceBuffers records[FilterBank::kVoices];
    std::vector<float> mixer;
    int ticks = 0;
    int stride = 0;
    std::mt19937 rng{2024};
};
}

TEST_P(FilterBankVariant, ABlockWithoutTypeChangeIsOneSegment)
{
    resize(16);
    const int samples = 16 * kFrameSamples;
    bank->resetSegmentList();
    bank->setFilterType(kFilterLpLp, 0);
    bank->closeSegmentList(16);
    std::uint64_t mask[2];
    render(mask, {0, 1, 5, 8, 127});
    bank->process(mask, 0, samples);

    const std::pair<int, int> pairs[] = {{0, 3}, {2, 2}, {4, 1}, {63, 2}};
    for (const auto& [pair, pairMask] : pairs)
    {
        Shadow s = shadow(pair, bank->coefficientTable());
        shadowCall(s, pair, pairMask, 0, 0, samples, kFilterLpLp, 0);
        for (int slot = 0; slot < 2; ++slot)
        {
            const int v = 2 * pair + slot;
            if (pairMask & (1 << slot))
                EXPECT_EQ(output(v, 0, samples), shadowOutput(s, slot, 0, samples)) << "voice " << v;
            else
                EXPECT_EQ(output(v, -64, samples), std::vector<float>(samples + 64, kUntouched)) << "voice " << v;
        }
    }
    EXPECT_EQ(output(2, -64, samples), std::vector<float>(samples + 64, kUntouched));
}

TEST_P(FilterBankVariant, ATypeChangeSplitsTheBlockAtItsTick)
{
    resize(16);
    const int samples = 16 * kFrameSamples;
    // No type set yet: the filters pass the sound through until tick 3.
    bank->resetSegmentList();
    bank->setFilterType(kFilterBpBp, 3);
    bank->closeSegmentList(16);
    ASSERT_EQ(bank->segmentCount(), 2u);
    std::uint64_t mask[2];
    render(mask, {20, 21});
    bank->process(mask, 0, samples);

    Shadow s = shadow(10, bank->coefficientTable());
    shadowCall(s, 10, 3, -3 * kFrameSamples, 0, 13 * kFrameSamples, kFilterBpBp, 3);
    for (int v : {20, 21})
    {
        EXPECT_EQ(output(v, 0, 3 * kFrameSamples), input(v, 0, 3 * kFrameSamples));
        EXPECT_EQ(output(v, 3 * kFrameSamples, samples), shadowOutput(s, v - 20, 3 * kFrameSamples, samples));
    }
}

TEST_P(FilterBankVariant, ATypeChangeAtTickZeroTakesTheCarriedSamples)
{
    resize(4);
    const int carry = 32;
    const int samples = carry + 4 * kFrameSamples;
    bank->resetSegmentList();
    bank->setFilterType(kFilterHpHp, 0);
    bank->closeSegmentList(4);
    std::uint64_t mask[2];
    render(mask, {6, 7});
    bank->process(mask, carry, samples);

    Shadow s = shadow(3, bank->coefficientTable());
    shadowCall(s, 3, 3, carry, carry, samples - carry, kFilterHpHp, 0);
    for (int v : {6, 7})
    {
        EXPECT_EQ(output(v, -carry, samples - carry), shadowOutput(s, v - 6, -carry, samples - carry));
        EXPECT_NE(output(v, -carry, 0), input(v, -carry, 0));
        EXPECT_EQ(output(v, -64, -carry), std::vector<float>(64 - carry, kUntouched));
    }
}

TEST_P(FilterBankVariant, ABlockInsideTheTickInProgressStartsNoNewTick)
{
    resize(4);
    std::uint64_t mask[2];
    render(mask, {10, 11});
    Shadow s = shadow(5, bank->coefficientTable());

    // A whole first block that leaves 48 samples of its last tick.
    bank->resetSegmentList();
    bank->setFilterType(kFilterLp4Pole, 0);
    bank->closeSegmentList(4);
    bank->process(mask, 0, 4 * kFrameSamples - 48);
    shadowCall(s, 5, 3, 0, 0, 4 * kFrameSamples - 48, kFilterLp4Pole, 0);

    // The next block finishes only 32 of them.
    for (Shadow* t : {&s})
        for (int slot = 0; slot < 2; ++slot)
            std::fill(t->out[slot].begin(), t->out[slot].end(), kUntouched);
    for (int v : {10, 11})
        std::fill(records[v].filterOutput - 64, records[v].filterOutput + 4 * kFrameSamples, kUntouched);
    bank->resetSegmentList();
    bank->closeSegmentList(0);
    bank->process(mask, 48, 32);
    shadowCall(s, 5, 3, 48, 32, 0, kFilterLp4Pole, 0);
    for (int v : {10, 11})
    {
        EXPECT_EQ(output(v, -48, -16), shadowOutput(s, v - 10, -48, -16));
        EXPECT_EQ(output(v, -16, 64), std::vector<float>(80, kUntouched));
    }
}

TEST_P(FilterBankVariant, ATypeChangeAtEveryTickStillFiltersTheLastTick)
{
    resize(4);
    bank->resetSegmentList();
    const int types[] = {kFilterLpLp, kFilterBypass, kFilterLpLp, kFilterBypass};
    for (int tick = 0; tick < 4; ++tick)
        bank->setFilterType(types[tick], static_cast<std::uint32_t>(tick));
    bank->closeSegmentList(4);
    EXPECT_EQ(bank->segmentCount(), 5u);
    std::uint64_t mask[2];
    render(mask, {0});
    bank->process(mask, 0, 4 * kFrameSamples);
    for (int tick : {1, 3})
        EXPECT_EQ(output(0, tick * 64, tick * 64 + 64), input(0, tick * 64, tick * 64 + 64)) << tick;
    EXPECT_NE(output(0, 128, 192), input(0, 128, 192));
}

TEST_P(FilterBankVariant, SegmentListRecordsEachTickOnce)
{
    resize(8);
    bank->resetSegmentList();
    bank->setFilterType(kFilterLpLp, 2);
    bank->setFilterType(kFilterLpLp, 3);  // no change
    bank->setFilterType(kFilterBpBp, 5);
    bank->setFilterType(kFilterHpHp, 5);  // same tick: the earlier entry stands
    bank->setFilterType(42, 6);           // no such type
    bank->closeSegmentList(8);
    ASSERT_EQ(bank->segmentCount(), 3u);
    const FilterBank::Segment* s = bank->segments();
    EXPECT_EQ(s[0].mode, static_cast<std::uint32_t>(kFilterBypass));
    EXPECT_EQ(s[0].endTick, 2u);
    EXPECT_EQ(s[1].mode, static_cast<std::uint32_t>(kFilterLpLp));
    EXPECT_EQ(s[1].endTick, 5u);
    EXPECT_EQ(s[2].mode, static_cast<std::uint32_t>(kFilterHpHp));
    EXPECT_EQ(s[2].endTick, 8u);
    EXPECT_EQ(bank->filterType(), kFilterHpHp);

    // The type in force persists into the next block.
    bank->resetSegmentList();
    bank->closeSegmentList(8);
    ASSERT_EQ(bank->segmentCount(), 1u);
    EXPECT_EQ(bank->segments()[0].mode, static_cast<std::uint32_t>(kFilterHpHp));
}

TEST_P(FilterBankVariant, ARateChangeReachesEveryFilter)
{
    resize(2);
    bank->setSampleRate(48000.0f);
    std::vector<float> expected(256);
    makeCutoffCoefficients(expected.data(), 48000.0f);
    EXPECT_EQ(std::vector<float>(bank->coefficientTable(), bank->coefficientTable() + 256), expected);

    bank->resetSegmentList();
    bank->setFilterType(kFilterLpBp, 0);
    bank->closeSegmentList(2);
    std::uint64_t mask[2];
    render(mask, {100});
    bank->process(mask, 0, 128);
    Shadow s = shadow(50, expected.data());
    shadowCall(s, 50, 1, 0, 0, 128, kFilterLpBp, 0);
    EXPECT_EQ(output(100, 0, 128), shadowOutput(s, 0, 0, 128));
}

TEST_P(FilterBankVariant, EveryVoiceGetsItsOwnStreamAndOutput)
{
    resize(3);
    for (int v = 0; v < FilterBank::kVoices; ++v)
    {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(records[v].filterOutput) % 16, 0u);
        if (v == 0)
            continue;
        EXPECT_GE(records[v].filterParameters - records[v - 1].filterParameters, 3);
        // Room for a carried tick before each output and three ticks after it.
        EXPECT_GE(records[v].filterOutput - records[v - 1].filterOutput, 4 * kFrameSamples);
    }
}

TEST(FilterBank, FourLaneBankMatchesThePortableBank)
{
    std::mt19937 rng(77);
    std::unique_ptr<FilterBank> banks[2];
    VoiceBuffers records[2][FilterBank::kVoices];
    const int ticks = 8;
    const int stride = kFrameSamples * (ticks + 1);
    std::vector<float> mixer(static_cast<std::size_t>(FilterBank::kVoices) * stride);
    for (int b = 0; b < 2; ++b)
    {
        SystemInfo::forcePortable(b == 0);
        banks[b] = std::make_unique<FilterBank>();
        SystemInfo::forcePortable(false);
        banks[b]->setSampleRate(48000.0f);
        banks[b]->setBlockSize(ticks);
        for (int v = 0; v < FilterBank::kVoices; ++v)
            records[b][v].mixerOutput = mixer.data() + v * stride + kFrameSamples;
        banks[b]->assignVoiceBuffers(records[b]);
    }

    // Host blocks of uneven sizes, as the voice engine cuts them.
    std::int64_t carry = 0;
    std::uniform_int_distribution<int> hostSamples(1, ticks * 32);
    std::uniform_int_distribution<int> anyType(0, kFilterModeCount - 1);
    std::uniform_int_distribution<int> anyTick(0, ticks - 1);
    for (int block = 0; block < 60; ++block)
    {
        const std::int64_t n = hostSamples(rng);
        const std::int64_t blockTicks = (n - carry / 2 + 31) / 32;
        const auto noise = randomSignal(rng, static_cast<int>(mixer.size()), 1.0f);
        std::copy(noise.begin(), noise.end(), mixer.begin());
        std::uint64_t mask[2];
        for (auto& m : mask)
            m = std::uint64_t(rng()) << 32 | rng();
        const int type = anyType(rng);
        const auto tick = static_cast<std::uint32_t>(std::min<std::int64_t>(anyTick(rng), blockTicks));
        for (int v = 0; v < FilterBank::kVoices; ++v)
        {
            const auto words = randomWords(rng, ticks);
            for (int b = 0; b < 2; ++b)
                std::copy(words.begin(), words.end(), records[b][v].filterParameters);
        }
        for (int b = 0; b < 2; ++b)
        {
            banks[b]->resetSegmentList();
            banks[b]->setFilterType(type, tick);
            banks[b]->closeSegmentList(static_cast<std::uint32_t>(blockTicks));
            banks[b]->process(mask, carry, 2 * n);
        }
        for (int v = 0; v < FilterBank::kVoices; ++v)
        {
            if (((mask[v / 64] >> (v % 64)) & 1) == 0)
                continue;
            for (std::int64_t i = -carry; i < 2 * n - carry; ++i)
                ASSERT_NEAR(records[0][v].filterOutput[i], records[1][v].filterOutput[i], 2e-5f)
                    << "block " << block << " voice " << v << " sample " << i;
        }
        carry -= 2 * n;
        if (carry < 0)
            carry += kFrameSamples * blockTicks;
    }
}

INSTANTIATE_TEST_SUITE_P(FilterBank, FilterBankVariant, ::testing::Values(Variant::Standard, Variant::Sse),
                         [](const ::testing::TestParamInfo<Variant>& info) { return variantName(info.param); });
