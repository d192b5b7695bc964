#pragma once

// Shared by the filter tests: signals, parameter words, call plans and a
// harness that runs a dual filter over a plan the way the filter bank does.

#include "dsp/DualFilter.h"
#include "dsp/DualFilterSse.h"
#include "dsp/DualFilterStandard.h"
#include "dsp/FilterConstants.h"
#include "dsp/FilterTables.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace filtertest
{
enum class Variant
{
    Standard,
    Sse
};

inline std::string variantName(Variant v)
{
    return v == Variant::Standard ? "Standard" : "Sse";
}

inline const float* coefficients44k()
{
    static const std::vector<float> table = [] {
        std::vector<float> t(256);
        makeCutoffCoefficients(t.data(), 44100.0f);
        return t;
    }();
    return table.data();
}

inline std::unique_ptr<DualFilter> makeFilter(Variant v, const float* table = coefficients44k())
{
    std::unique_ptr<DualFilter> f(v == Variant::Standard ? static_cast<DualFilter*>(new DualFilterStandard)
                                                         : new DualFilterSse);
    f->setCoefficientTable(table);
    return f;
}

inline std::uint32_t word(int cutoffA, int dampingA, int cutoffB, int dampingB)
{
    return static_cast<std::uint32_t>(cutoffA | dampingA << 8 | cutoffB << 16) |
           static_cast<std::uint32_t>(dampingB) << 24;
}

inline std::uint32_t word(int cutoff, int damping)
{
    return word(cutoff, damping, cutoff, damping);
}

inline std::vector<std::uint32_t> randomWords(std::mt19937& rng, int count)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint32_t> words(count);
    for (auto& w : words)
        w = word(byte(rng), byte(rng), byte(rng), byte(rng));
    return words;
}

// Noise plus two sines at the given peak level.
inline std::vector<float> randomSignal(std::mt19937& rng, int samples, float level)
{
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> x(samples);
    for (int i = 0; i < samples; ++i)
        x[i] = level * (0.4f * noise(rng) + 0.3f * std::sin(0.031f * i) + 0.3f * std::sin(0.0047f * i));
    return x;
}

inline std::vector<float> sine(float hz, float level, int samples, float engineRate = 88200.0f)
{
    std::vector<float> x(samples);
    for (int i = 0; i < samples; ++i)
        x[i] = level * static_cast<float>(std::sin(2.0 * M_PI * hz * i / engineRate));
    return x;
}

// One call: c samples that finish the frame in progress, n that start new
// frames.
struct Call
{
    std::int64_t current;
    std::int64_t fresh;
};

// Random calls over total samples, the way blocks of any size cut the
// frames. Even counts only when the vector kernels run them.
inline std::vector<Call> randomCalls(std::mt19937& rng, std::int64_t total, bool even)
{
    const std::int64_t unit = even ? 2 : 1;
    std::vector<Call> calls;
    std::int64_t position = 0;
    std::int64_t inFrame = 0;
    while (position < total)
    {
        const std::int64_t left = total - position;
        Call call{0, 0};
        if (inFrame > 0)
        {
            std::uniform_int_distribution<std::int64_t> pick(1, inFrame / unit);
            call.current = std::min(left, (rng() % 3 == 0 ? pick(rng) : inFrame / unit) * unit);
        }
        if (call.current == inFrame && left > call.current)
        {
            std::uniform_int_distribution<std::int64_t> pick(0, (left - call.current) / unit);
            call.fresh = pick(rng) * unit;
            if (call.current + call.fresh == 0)
                call.fresh = unit;
        }
        inFrame = call.fresh > 0 ? (kFrameSamples - call.fresh % kFrameSamples) % kFrameSamples : inFrame - call.current;
        position += call.current + call.fresh;
        calls.push_back(call);
    }
    return calls;
}

// Both slots' signals and words, and what came out. A start at the very end
// reads the word after the last frame, so random calls need one word more
// than the frames.
struct PairRun
{
    std::vector<float> in[2];
    std::vector<float> out[2];
    std::vector<std::uint32_t> words[2];
    std::int64_t position = 0;
    std::int64_t nextWord = 0;

    PairRun(const std::vector<float>& in0, const std::vector<float>& in1, const std::vector<std::uint32_t>& words0,
            const std::vector<std::uint32_t>& words1)
        : in{in0, in1}, out{std::vector<float>(in0.size(), 0.0f), std::vector<float>(in1.size(), 0.0f)},
          words{words0, words1}
    {
    }

    // One call as the bank makes it; the buffer pointers lie offset samples
    // after the call's first sample.
    void call(DualFilter& filter, Call c, int mask, int mode, std::int64_t offset = 0)
    {
        float* buffers[4] = {in[0].data() + position + offset, out[0].data() + position + offset,
                             in[1].data() + position + offset, out[1].data() + position + offset};
        const std::uint32_t* streams[2] = {words[0].data() + nextWord, words[1].data() + nextWord};
        filter.process(buffers, streams, mask, offset, c.current, c.fresh, mode);
        filter.setStartMask(~static_cast<std::uint32_t>(mask));
        position += c.current + c.fresh;
        nextWord += (c.fresh + kFrameSamples - 1) / kFrameSamples;
    }

    void run(DualFilter& filter, const std::vector<Call>& calls, int mask, int mode)
    {
        for (const Call& c : calls)
            call(filter, c, mask, mode);
    }
};

// Random signals at the level for both slots and random words for every
// frame, with the one more that random calls may read.
inline PairRun randomRun(std::mt19937& rng, int samples, float level)
{
    const int words = (samples + kFrameSamples - 1) / kFrameSamples + 1;
    const auto in0 = randomSignal(rng, samples, level);
    const auto in1 = randomSignal(rng, samples, level);
    const auto words0 = randomWords(rng, words);
    const auto words1 = randomWords(rng, words);
    return PairRun(in0, in1, words0, words1);
}

inline const char* const modeNames[kFilterModeCount] = {"Lp4Pole", "Bp4Pole", "Hp4Pole", "LpLp", "BpBp",
                                                        "HpHp",    "LpBp",    "LpHp",    "BpHp"};
}
