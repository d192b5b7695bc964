#include "dsp/DualFilterSse.h"
#include "simd/SystemInfo.h"
#include "tests/dsp/FilterTestSupport.h"
#include "tests/support/SimdPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace filtertest;

namespace
{
// The variants differ only in how the last sums are grouped; the difference
// stays at the level of rounding.
constexpr float kTolerance = 2e-5f;

void expectClose(const std::vector<float>& a, const std::vector<float>& b, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_NEAR(a[i], b[i], kTolerance) << what << " sample " << i;
}
}

TEST(DualFilterSse, MatchesThePortableFilterForEveryModeAndMask)
{
    std::mt19937 rng(99);
    const int samples = 64 * 48;
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        for (int mask = 1; mask <= 3; ++mask)
        {
            const PairRun fresh = randomRun(rng, samples, 1.5f);
            const auto calls = randomCalls(rng, samples, true);
            const std::string what = std::string(modeNames[mode]) + " mask " + std::to_string(mask);

            auto portable = makeFilter(Variant::Standard);
            auto sse = makeFilter(Variant::Sse);
            PairRun a = fresh;
            PairRun b = fresh;
            // Start both slots where the calls allow, as the bank would.
            portable->setStartMask(3);
            sse->setStartMask(3);
            a.run(*portable, calls, mask, mode);
            b.run(*sse, calls, mask, mode);
            for (int slot = 0; slot < 2; ++slot)
            {
                if (mask & (1 << slot))
                    expectClose(a.out[slot], b.out[slot], what);
                else
                    EXPECT_EQ(b.out[slot], std::vector<float>(samples, 0.0f)) << what;
            }
        }
    }
}

TEST(DualFilterSse, MatchesThePortableFilterAcrossChangesOfModeAndMask)
{
    std::mt19937 rng(7);
    const int samples = 64 * 400;
    PairRun a = randomRun(rng, samples, 1.0f);
    PairRun b = a;
    auto portable = makeFilter(Variant::Standard);
    auto sse = makeFilter(Variant::Sse);
    std::uniform_int_distribution<int> anyMode(0, kFilterBypass);
    std::uniform_int_distribution<int> anyMask(0, 3);
    for (const Call& c : randomCalls(rng, samples, true))
    {
        const int mode = anyMode(rng);
        const int mask = anyMask(rng);
        a.call(*portable, c, mask, mode);
        b.call(*sse, c, mask, mode);
    }
    expectClose(a.out[0], b.out[0], "slot 0");
    expectClose(a.out[1], b.out[1], "slot 1");
}

namespace
{
// Bit for bit, but any NaN matches any other: which NaN an operation
// passes on may differ between instruction sets.
bool sameSamples(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(std::isnan(a[i]) && std::isnan(b[i])) && std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return false;
    return true;
}

// Thirty-one pairs: groups of every size of the path, and one alone.
void expectGroupsMatchPairsAlone(SimdPath path)
{
    std::mt19937 rng(5);
    const int pairs = 31;
    const int samples = 64 * 20;
    for (int mode : {kFilterLp4Pole, kFilterLpHp, kFilterBypass})
    {
        std::vector<PairRun> alone, together;
        std::vector<std::unique_ptr<DualFilter>> single, grouped;
        std::vector<int> masks;
        for (int p = 0; p < pairs; ++p)
        {
            PairRun run = randomRun(rng, samples, 1.0f);
            // A NaN and an infinity from a host's input: whatever the
            // filter makes of them, a group makes the same.
            if (p == 5)
                run.in[0][300] = std::numeric_limits<float>::quiet_NaN();
            if (p == 9)
                run.in[1][700] = std::numeric_limits<float>::infinity();
            alone.push_back(run);
            together.push_back(run);
            single.push_back(makeFilter(Variant::Sse));
            grouped.push_back(makeFilter(Variant::Sse));
            masks.push_back(1 + p % 3);
        }
        for (const Call& c : randomCalls(rng, samples, true))
        {
            for (int p = 0; p < pairs; ++p)
                alone[p].call(*single[p], c, masks[p], mode);

            std::vector<DualFilterSse*> filters;
            std::vector<std::vector<float*>> buffers;
            std::vector<std::vector<const std::uint32_t*>> streams;
            for (int p = 0; p < pairs; ++p)
            {
                PairRun& r = together[p];
                filters.push_back(static_cast<DualFilterSse*>(grouped[p].get()));
                buffers.push_back({r.in[0].data() + r.position, r.out[0].data() + r.position,
                                   r.in[1].data() + r.position, r.out[1].data() + r.position});
                streams.push_back({r.words[0].data() + r.nextWord, r.words[1].data() + r.nextWord});
            }
            std::vector<float* const*> bufferPointers;
            std::vector<const std::uint32_t* const*> streamPointers;
            for (int p = 0; p < pairs; ++p)
            {
                bufferPointers.push_back(buffers[p].data());
                streamPointers.push_back(streams[p].data());
            }
            DualFilterSse::processPairs(filters.data(), bufferPointers.data(), streamPointers.data(), masks.data(),
                                        pairs, 0, c.current, c.fresh, mode, path);
            for (int p = 0; p < pairs; ++p)
            {
                grouped[p]->setStartMask(~static_cast<std::uint32_t>(masks[p]));
                together[p].position += c.current + c.fresh;
                together[p].nextWord += (c.fresh + 63) / 64;
            }
            std::shuffle(masks.begin(), masks.end(), rng);
        }
        for (int p = 0; p < pairs; ++p)
        {
            const std::string what = std::string(modeNames[std::min(mode, 8)]) + " pair " + std::to_string(p) + " " +
                                     SystemInfo::simdPathName(path);
            for (int slot = 0; slot < 2; ++slot)
                EXPECT_TRUE(sameSamples(alone[p].out[slot], together[p].out[slot])) << what << " slot " << slot;
        }
    }
}

} // namespace

TEST(DualFilterSse, PairsFilteredTogetherMatchPairsFilteredAlone)
{
    expectGroupsMatchPairsAlone(SimdPath::Sse);
}

TEST(DualFilterSse, PairsFilteredOnEightLaneVectorsMatchPairsFilteredAlone)
{
    if (!processorRuns(SimdPath::Avx2))
        GTEST_SKIP() << "no eight-lane vectors on this processor";
    expectGroupsMatchPairsAlone(SimdPath::Avx2);
}

TEST(DualFilterSse, PairsFilteredOnWideVectorsMatchPairsFilteredAlone)
{
    if (!processorRuns(SimdPath::Avx512))
        GTEST_SKIP() << "no sixteen-lane vectors on this processor";
    expectGroupsMatchPairsAlone(SimdPath::Avx512);
}

TEST(DualFilterSse, AFourPoleRunOfOneStepWritesBothSamples)
{
    std::mt19937 rng(3);
    const auto in = randomSignal(rng, 66, 0.7f);
    const std::vector<std::uint32_t> words = {word(140, 20), word(90, 200), word(30, 30)};
    for (int mode : {kFilterLp4Pole, kFilterBp4Pole, kFilterHp4Pole})
    {
        auto portable = makeFilter(Variant::Standard);
        auto sse = makeFilter(Variant::Sse);
        PairRun a(in, in, words, words);
        PairRun b(in, in, words, words);
        std::fill(b.out[1].begin(), b.out[1].end(), 7.0f);
        // One step of a new frame, of the frame in progress, of a new frame.
        for (Call c : {Call{0, 2}, Call{60, 0}, Call{2, 0}, Call{0, 2}})
        {
            a.call(*portable, c, 3, mode);
            b.call(*sse, c, 3, mode);
            EXPECT_NE(b.out[1][b.position - 2], 7.0f) << modeNames[mode];
            EXPECT_NE(b.out[1][b.position - 1], 7.0f) << modeNames[mode];
        }
        expectClose(a.out[0], b.out[0], modeNames[mode]);
        expectClose(a.out[1], b.out[1], modeNames[mode]);
    }
}

TEST(DualFilterSse, NoActiveSlotTouchesNothing)
{
    std::mt19937 rng(11);
    const int samples = 64 * 6;
    const PairRun fresh = randomRun(rng, samples, 0.7f);

    auto idle = makeFilter(Variant::Sse);
    PairRun a = fresh;
    a.call(*idle, {0, 128}, 3, kFilterBpBp);
    std::fill(a.out[0].begin() + 128, a.out[0].end(), 5.0f);
    a.call(*idle, {0, 128}, 0, kFilterBpBp);
    EXPECT_EQ(a.out[0][200], 5.0f);
    idle->setStartMask(0);
    a.call(*idle, {0, 128}, 3, kFilterBpBp);

    auto busy = makeFilter(Variant::Sse);
    PairRun b = fresh;
    b.call(*busy, {0, 128}, 3, kFilterBpBp);
    b.position += 128;
    b.nextWord += 2;
    b.call(*busy, {0, 128}, 3, kFilterBpBp);
    EXPECT_EQ(std::vector<float>(a.out[1].begin() + 256, a.out[1].end()),
              std::vector<float>(b.out[1].begin() + 256, b.out[1].end()));
}
