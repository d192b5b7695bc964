#pragma once

// The gain loops, written once over a family of vectors wider than four
// lanes, for the translation units that instantiate them with their own
// family and instruction set: lane for lane the operations of the portable
// loops, in their order, so the samples are the same bit for bit. In an
// anonymous namespace on purpose, as the filter kernels' templates.
//
// A family F holds the type Float of F::kLanes lanes and set1, load, store,
// add, mul; alternate (two values in alternate lanes) and, for the two
// outputs of kLanes samples, firstTwice and secondTwice: the first and the
// second half of a vector's lanes, each twice over.

#include "simd/GainKernels.h"

namespace
{
template <class F>
struct GainKernels
{
    using Float = typename F::Float;
    static constexpr int kLanes = F::kLanes;

    static void mix(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                    float g2, float gn, float gr)
    {
        const Float a = F::set1(g1);
        const Float b = F::set1(g2);
        const Float c = F::set1(gn);
        const Float d = F::set1(gr);
        int n = 0;
        for (; n + kLanes <= count; n += kLanes)
        {
            const Float o1 = F::load(osc1 + n);
            const Float o2 = F::load(osc2 + n);
            const Float sum = F::add(F::add(F::mul(a, o1), F::mul(b, o2)), F::mul(c, F::load(noise + n)));
            F::store(out + n, F::add(sum, F::mul(F::mul(d, o1), o2)));
        }
        mixOscillators(osc1 + n, osc2 + n, noise + n, out + n, count - n, g1, g2, gn, gr);
    }

    static void pan(const float* input, float* output, int count, float level, float left, float right,
                    bool accumulate)
    {
        const Float gain = F::set1(level);
        const Float sides = F::alternate(left, right);
        int n = 0;
        for (; n + kLanes <= count; n += kLanes)
        {
            const Float sample = F::mul(gain, F::load(input + n));
            Float out0 = F::mul(F::firstTwice(sample), sides);
            Float out1 = F::mul(F::secondTwice(sample), sides);
            float* at = output + 2 * n;
            if (accumulate)
            {
                out0 = F::add(F::load(at), out0);
                out1 = F::add(F::load(at + kLanes), out1);
            }
            F::store(at, out0);
            F::store(at + kLanes, out1);
        }
        panSteadyLevel(input + n, output + 2 * n, count - n, level, left, right, accumulate);
    }
};
} // namespace
