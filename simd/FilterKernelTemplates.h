#pragma once

// The dual filter's kernels, written once over vector types that hold one
// or several voice pairs, for the translation units that instantiate them
// with their own vector types and instruction sets. Everything here lies in
// an anonymous namespace on purpose: each unit keeps its own copies, built
// for its own instruction set, so that no copy built for wider vectors can
// stand in for another at link time.

#include "dsp/FilterConstants.h"
#include "simd/FilterKernels.h"

#include <emmintrin.h>

namespace
{
enum Output
{
    kLowPass,
    kBandPass,
    kHighPass
};

#define KERNEL_INLINE inline __attribute__((always_inline))

// The kernels are written once over a vector type that holds one pair (V1)
// or two or four pairs side by side (V2, V4). A pass is one long chain of
// dependent operations; with several independent pairs every operation is
// issued for each of them, so the chains fill each other's latency.
struct V1
{
    __m128 a;
    using One = V1;
};

struct V2
{
    __m128 a, b;
    using One = V1;
};

struct V4
{
    __m128 a, b, c, d;
    using One = V1;
};

// One operation's overloads for the vector types of one, two and four
// registers (a; a, b; a, b, c, d), for each unit's own types.
#define KERNEL_BINARY_FOR(One, Two, Four, name, operation)                                                        \
    KERNEL_INLINE One name(One x, One y)                                                                          \
    {                                                                                                              \
        return {operation(x.a, y.a)};                                                                              \
    }                                                                                                              \
    KERNEL_INLINE Two name(Two x, Two y)                                                                          \
    {                                                                                                              \
        return {operation(x.a, y.a), operation(x.b, y.b)};                                                         \
    }                                                                                                              \
    KERNEL_INLINE Four name(Four x, Four y)                                                                       \
    {                                                                                                              \
        return {operation(x.a, y.a), operation(x.b, y.b), operation(x.c, y.c), operation(x.d, y.d)};               \
    }
#define KERNEL_BINARY(name, intrinsic) KERNEL_BINARY_FOR(V1, V2, V4, name, intrinsic)

KERNEL_BINARY(add, _mm_add_ps)
KERNEL_BINARY(sub, _mm_sub_ps)
// The same sum and difference. The wide kernels issue these as multiply-adds
// by one, which round alike and run on the multipliers: a pass has far more
// additions, subtractions and clamps than multiplications, and those share
// the adders.
KERNEL_BINARY(addOnMultipliers, _mm_add_ps)
KERNEL_BINARY(subOnMultipliers, _mm_sub_ps)
KERNEL_BINARY(mul, _mm_mul_ps)
KERNEL_BINARY(minOf, _mm_min_ps)
KERNEL_BINARY(maxOf, _mm_max_ps)
KERNEL_BINARY(bitAnd, _mm_and_ps)
KERNEL_BINARY(bitAndNot, _mm_andnot_ps)
KERNEL_BINARY(bitOr, _mm_or_ps)
KERNEL_BINARY(lowHalves, _mm_movelh_ps)
KERNEL_BINARY(highHalves, _mm_movehl_ps)
KERNEL_BINARY(interleaveLow, _mm_unpacklo_ps)
KERNEL_BINARY(interleaveHigh, _mm_unpackhi_ps)

// {x0, x1, y2, y3}: the filter A lanes of x and the filter B lanes of y.
KERNEL_INLINE __m128 lanesAThenB(__m128 x, __m128 y)
{
    return _mm_shuffle_ps(x, y, _MM_SHUFFLE(3, 2, 1, 0));
}
// {x2, x3, y0, y1}
KERNEL_INLINE __m128 upperThenLower(__m128 x, __m128 y)
{
    return _mm_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 3, 2));
}
KERNEL_BINARY(splitLanes, lanesAThenB)
KERNEL_BINARY(rotateHalves, upperThenLower)

#undef KERNEL_BINARY

template <class V>
KERNEL_INLINE V splat(__m128 x);

template <>
KERNEL_INLINE V1 splat<V1>(__m128 x)
{
    return {x};
}

template <>
KERNEL_INLINE V2 splat<V2>(__m128 x)
{
    return {x, x};
}

template <>
KERNEL_INLINE V4 splat<V4>(__m128 x)
{
    return {x, x, x, x};
}

// Pair j's vector, and the vector of all pairs.
KERNEL_INLINE V1 member(V1 v, int)
{
    return v;
}

KERNEL_INLINE V1 member(V2 v, int j)
{
    return {j == 0 ? v.a : v.b};
}

KERNEL_INLINE V1 member(V4 v, int j)
{
    return {j == 0 ? v.a : (j == 1 ? v.b : (j == 2 ? v.c : v.d))};
}

template <class V>
KERNEL_INLINE V join(const V1* x);

template <>
KERNEL_INLINE V1 join<V1>(const V1* x)
{
    return x[0];
}

template <>
KERNEL_INLINE V2 join<V2>(const V1* x)
{
    return {x[0].a, x[1].a};
}

template <>
KERNEL_INLINE V4 join<V4>(const V1* x)
{
    return {x[0].a, x[1].a, x[2].a, x[3].a};
}

template <class V>
constexpr int pairsOf()
{
    return sizeof(V) / sizeof(__m128);
}

// The one-register type of a vector type's family.
template <class V>
using One = typename V::One;

// A vector's first register: of a value splat over all of them, the value.
template <class V>
KERNEL_INLINE One<V> firstOf(const V& x)
{
    return {x.a};
}

// All of a vector's registers taken together, lane for lane.
template <class V, class Operation>
KERNEL_INLINE One<V> fold(const V& x, Operation operation)
{
    using O = One<V>;
    constexpr int registers = sizeof(V) / sizeof(O);
    static_assert(registers == 1 || registers == 2 || registers == 4, "a group of one, two or four registers");
    if constexpr (registers == 1)
        return O{x.a};
    else if constexpr (registers == 2)
        return operation(O{x.a}, O{x.b});
    else
        return operation(operation(O{x.a}, O{x.b}), operation(O{x.c}, O{x.d}));
}

KERNEL_INLINE __m128 laneMask(int a, int b, int c, int d)
{
    return _mm_castsi128_ps(_mm_setr_epi32(a, b, c, d));
}

// Lanes of the mask from ifSet, the others from ifClear.
template <class V>
KERNEL_INLINE V select(V mask, V ifSet, V ifClear)
{
    return bitOr(bitAnd(mask, ifSet), bitAndNot(mask, ifClear));
}

template <class V>
struct Limits
{
    V overshootUpper, lowPassIntegratorUpper, bandPassIntegratorUpper, highPassUpper, bandPassBias, lowPassBias;
    V overshootLower, lowPassIntegratorLower, bandPassIntegratorLower, highPassLower, bandPassFloor, lowPassFloor;
};

template <class V>
KERNEL_INLINE Limits<V> loadLimits(int group)
{
    const FilterLimitVector* v = FilterLimitTable + group;
    auto at = [v](int i) { return splat<V>(_mm_load_ps(v[i].lane)); };
    return {at(kLimitOvershootUpper),  at(kLimitLowPassIntegratorUpper), at(kLimitBandPassIntegratorUpper),
            at(kLimitHighPassUpper),   at(kLimitBandPassBias),           at(kLimitLowPassBias),
            at(kLimitOvershootLower),  at(kLimitLowPassIntegratorLower), at(kLimitBandPassIntegratorLower),
            at(kLimitHighPassLower),   at(kLimitBandPassFloor),          at(kLimitLowPassFloor)};
}

// The state block's vectors, kept in registers for the length of a run.
template <class V>
struct Lanes
{
    V bandPassIntegrators, lowPassIntegrators, bandPassOutputs, overshoots;
    V cutoffs, dampings, cutoffSteps, dampingSteps;
};

template <class V>
KERNEL_INLINE Lanes<V> select(V mask, const Lanes<V>& ifSet, const Lanes<V>& ifClear)
{
    return {select(mask, ifSet.bandPassIntegrators, ifClear.bandPassIntegrators),
            select(mask, ifSet.lowPassIntegrators, ifClear.lowPassIntegrators),
            select(mask, ifSet.bandPassOutputs, ifClear.bandPassOutputs),
            select(mask, ifSet.overshoots, ifClear.overshoots),
            select(mask, ifSet.cutoffs, ifClear.cutoffs),
            select(mask, ifSet.dampings, ifClear.dampings),
            select(mask, ifSet.cutoffSteps, ifClear.cutoffSteps),
            select(mask, ifSet.dampingSteps, ifClear.dampingSteps)};
}

template <class V>
KERNEL_INLINE V clamp(V x, V upper, V lower)
{
    return maxOf(minOf(x, upper), lower);
}

// One pass of all filters; the operation order is part of the result.
// Returns per lane the output the mode uses (lanes 0-1 filter A, 2-3 B).
template <int UseA, int UseB, class V>
KERNEL_INLINE V pass(Lanes<V>& s, V x, const Limits<V>& k)
{
    const V gain = splat<V>(_mm_set1_ps(kOvershootGain));
    const V weight = splat<V>(_mm_set1_ps(kOvershootWeight));
    const V t = addOnMultipliers(s.overshoots, s.bandPassOutputs);
    const V u = mul(sub(t, clamp(t, k.overshootUpper, k.overshootLower)), gain);
    s.lowPassIntegrators = clamp(addOnMultipliers(s.lowPassIntegrators, mul(s.cutoffs, s.bandPassOutputs)),
                                 k.lowPassIntegratorUpper, k.lowPassIntegratorLower);
    const V v = addOnMultipliers(mul(sub(s.bandPassOutputs, mul(weight, u)), s.dampings), u);
    const V l = maxOf(sub(s.lowPassIntegrators, k.lowPassBias), k.lowPassFloor);
    const V h = sub(subOnMultipliers(x, v), l);
    const V hc = clamp(h, k.highPassUpper, k.highPassLower);
    s.overshoots = sub(h, hc);
    const V bandPassBelowTop = minOf(addOnMultipliers(s.bandPassIntegrators, mul(s.cutoffs, hc)),
                                     k.bandPassIntegratorUpper);
    s.bandPassIntegrators = maxOf(bandPassBelowTop, k.bandPassIntegratorLower);
    // The integrator's lower bound less the bias lies below the floor, so the
    // output is the same without waiting for that bound: the next pass starts
    // one operation earlier.
    const V b = maxOf(sub(bandPassBelowTop, k.bandPassBias), k.bandPassFloor);
    s.bandPassOutputs = b;
    const V a = UseA == kLowPass ? l : (UseA == kBandPass ? b : hc);
    if (UseA == UseB)
        return a;
    return splitLanes(a, UseB == kLowPass ? l : (UseB == kBandPass ? b : hc));
}

// While no integrator reaches its limit, no output its floor and no
// high-pass its limit, those clamps change nothing and the overshoot stays
// zero: a pass is then the same without them, and the chain from one pass
// to the next is much shorter. The extremes are watched, and a stretch that
// came near a limit is filtered again in full.
//
// A group's registers share one register per extreme (the limits are the
// same in all of them): the watch then holds three registers, not three
// per register of the group, and leaves them to the state. Folding maxima
// or minima may lose a NaN; a NaN anywhere in a quick pass ends in the
// band-pass integrators, though, and stays there, and those are checked
// at the end.
template <class V>
struct Watch
{
    One<V> integrators, highPasses, lowest;
};

template <class V>
KERNEL_INLINE Watch<V> startWatch(const Limits<V>& k)
{
    return {firstOf(k.lowPassIntegratorLower), firstOf(k.highPassLower), firstOf(k.lowPassIntegratorUpper)};
}

// Functors, not functions: a function passed by its address may not be
// inlined, and a call in the loop would spill every register.
struct Highest
{
    template <class O>
    KERNEL_INLINE O operator()(O x, O y) const
    {
        return maxOf(x, y);
    }
};

struct Lowest
{
    template <class O>
    KERNEL_INLINE O operator()(O x, O y) const
    {
        return minOf(x, y);
    }
};

template <int UseA, int UseB, bool Quick, class V>
KERNEL_INLINE V pass(Lanes<V>& s, V x, const Limits<V>& k, Watch<V>& w)
{
    if (!Quick)
        return pass<UseA, UseB>(s, x, k);
    const V gain = splat<V>(_mm_set1_ps(kOvershootGain));
    const V weight = splat<V>(_mm_set1_ps(kOvershootWeight));
    // With no overshoot the full pass's sum t is the band-pass output, but
    // for the sign of a zero, which its clamp and difference do not keep.
    const V t = s.bandPassOutputs;
    const V u = mul(sub(t, clamp(t, k.overshootUpper, k.overshootLower)), gain);
    // The low-pass integrator does reach its upper limit now and then; its
    // clamp lies off the chain.
    s.lowPassIntegrators = minOf(add(s.lowPassIntegrators, mul(s.cutoffs, s.bandPassOutputs)),
                                 k.lowPassIntegratorUpper);
    const V v = add(mul(sub(s.bandPassOutputs, mul(weight, u)), s.dampings), u);
    const V l = sub(s.lowPassIntegrators, k.lowPassBias);
    const V h = sub(sub(x, v), l);
    s.bandPassIntegrators = add(s.bandPassIntegrators, mul(s.cutoffs, h));
    const V b = sub(s.bandPassIntegrators, k.bandPassBias);
    s.bandPassOutputs = b;
    s.overshoots = splat<V>(_mm_setzero_ps());
    w.integrators = maxOf(w.integrators, fold(s.bandPassIntegrators, Highest()));
    w.highPasses = maxOf(w.highPasses, fold(h, Highest()));
    w.lowest = minOf(w.lowest, fold(minOf(minOf(l, b), h), Lowest()));
    const V a = UseA == kLowPass ? l : (UseA == kBandPass ? b : h);
    if (UseA == UseB)
        return a;
    return splitLanes(a, UseB == kLowPass ? l : (UseB == kBandPass ? b : h));
}

// Each lane's band-pass integrator below its upper limit, its high-pass within its
// limits and its outputs above their floors (the band-pass floor is the
// highest of those, and also lies above the integrators' lower limit less
// the bias). Any NaN fails: in the integrators at the end, where a NaN of
// the stretch ends, and in the extremes.
template <class V>
KERNEL_INLINE bool withinLimits(const Watch<V>& w, const Limits<V>& k, const Lanes<V>& s)
{
    for (int j = 0; j < pairsOf<V>(); ++j)
        if (_mm_movemask_ps(_mm_cmpord_ps(member(s.bandPassIntegrators, j).a, _mm_setzero_ps())) != 15)
            return false;
    for (int j = 0; j < pairsOf<One<V>>(); ++j)
    {
        const __m128 ok =
            _mm_and_ps(_mm_and_ps(_mm_cmple_ps(member(w.integrators, j).a, member(k.lowPassIntegratorUpper, j).a),
                                  _mm_cmple_ps(member(w.highPasses, j).a, member(k.highPassUpper, j).a)),
                       _mm_cmpge_ps(member(w.lowest, j).a, member(k.bandPassFloor, j).a));
        if (_mm_movemask_ps(ok) != 15)
            return false;
    }
    return true;
}

template <class V>
KERNEL_INLINE bool noOvershoot(const Lanes<V>& s)
{
    for (int j = 0; j < pairsOf<V>(); ++j)
        if (_mm_movemask_ps(_mm_cmpeq_ps(member(s.overshoots, j).a, _mm_setzero_ps())) != 15)
            return false;
    return true;
}

// Which group kernels take the quick passes; a unit turns them on for its
// own vector types.
template <class V>
struct QuickStretches
{
    static constexpr bool value = false;
};

// A group that reached a limit is likely to reach it again soon: it filters
// this many stretches in full before it tries the quick passes again.
constexpr float kFullStretchesAfterLimit = 64.0f;

template <class V>
KERNEL_INLINE void stepCoefficients(Lanes<V>& s, V cutoffSteps, V dampingSteps)
{
    s.cutoffs = add(s.cutoffs, cutoffSteps);
    s.dampings = add(s.dampings, dampingSteps);
}

// The longest stretch a run filters at once: one frame.
constexpr std::int64_t kRunSteps = kFrameSamples / 2;

// Where an inactive slot reads: silence for a whole stretch.
alignas(16) const float kRunSilence[kFrameSamples] = {};

// One pair's buffers and streams for the length of a call. An inactive slot
// reads silence without advancing, writes into the run's sink (no output)
// and takes the other slot's words, so that the loops need no tests.
struct PairIo
{
    FilterKernelState* state;
    const float* in0;
    const float* in1;
    float* out0;
    float* out1;
    std::ptrdiff_t step0;
    std::ptrdiff_t step1;
    const std::uint32_t* words0;
    const std::uint32_t* words1;
    int mask;
};

PairIo makePairIo(FilterKernelState* state, float* const* buffers, const std::uint32_t* const* streams, int mask,
                  std::int64_t offset)
{
    const bool active0 = (mask & 1) != 0;
    const bool active1 = (mask & 2) != 0;
    PairIo io;
    io.state = state;
    io.in0 = active0 ? buffers[0] - offset : kRunSilence;
    io.out0 = active0 ? buffers[1] - offset : nullptr;
    io.in1 = active1 ? buffers[2] - offset : kRunSilence;
    io.out1 = active1 ? buffers[3] - offset : nullptr;
    io.step0 = active0 ? 2 : 0;
    io.step1 = active1 ? 2 : 0;
    io.words0 = streams[active0 ? 0 : 1];
    io.words1 = streams[active1 ? 1 : 0];
    io.mask = mask;
    return io;
}

// The buffers of the pairs that one vector type covers, for one stretch:
// every slot advances by the same two samples a step, from its own start,
// so the loop needs one index.
template <class V>
struct Io
{
    const float* in[2 * pairsOf<V>()];
    float* out[2 * pairsOf<V>()];

    Io(const PairIo* pairs, float* sink)
    {
        for (int j = 0; j < pairsOf<V>(); ++j)
        {
            in[2 * j] = pairs[j].in0;
            in[2 * j + 1] = pairs[j].in1;
            out[2 * j] = pairs[j].out0 != nullptr ? pairs[j].out0 : sink;
            out[2 * j + 1] = pairs[j].out1 != nullptr ? pairs[j].out1 : sink;
        }
    }

    // {x0, y0, x1, y1} per pair: step n's two samples of slot 0 (x) and
    // slot 1 (y).
    KERNEL_INLINE V load(std::ptrdiff_t n) const
    {
        V1 x[pairsOf<V>()];
        const __m128 zero = _mm_setzero_ps();
        for (int j = 0; j < pairsOf<V>(); ++j)
        {
            const __m128 a = _mm_loadl_pi(zero, reinterpret_cast<const __m64*>(in[2 * j] + 2 * n));
            const __m128 b = _mm_loadl_pi(zero, reinterpret_cast<const __m64*>(in[2 * j + 1] + 2 * n));
            x[j] = {_mm_unpacklo_ps(a, b)};
        }
        return join<V>(x);
    }

    // Per pair r = {slot 0 first, slot 0 second, slot 1 first, slot 1 second}.
    KERNEL_INLINE void store(V r, std::ptrdiff_t n) const
    {
        for (int j = 0; j < pairsOf<V>(); ++j)
        {
            const __m128 v = member(r, j).a;
            _mm_storel_pi(reinterpret_cast<__m64*>(out[2 * j] + 2 * n), v);
            _mm_storeh_pi(reinterpret_cast<__m64*>(out[2 * j + 1] + 2 * n), v);
        }
    }
};

// Both filters of both slots see the slot's input; per slot the output
// sample is (A2 + B2) + (A1 + B1).
template <int UseA, int UseB, bool Quick, class V>
KERNEL_INLINE V parallelSample(Lanes<V>& s, V x, const Limits<V>& k, Watch<V>& w)
{
    stepCoefficients(s, s.cutoffSteps, s.dampingSteps);
    const V p1 = pass<UseA, UseB, Quick>(s, x, k, w);
    const V s1 = add(p1, highHalves(p1, p1));
    const V p2 = pass<UseA, UseB, Quick>(s, x, k, w);
    const V s2 = add(p2, highHalves(p2, p2));
    return add(s2, s1);
}

template <int UseA, int UseB, bool Quick, class V>
KERNEL_INLINE void runParallel(Lanes<V>& s, const Limits<V>& k, const Io<V>& io, std::int64_t steps, Watch<V>& w)
{
    for (std::int64_t i = 0; i < steps; ++i)
    {
        const V xy = io.load(i);
        const V o0 = parallelSample<UseA, UseB, Quick>(s, lowHalves(xy, xy), k, w);
        const V o1 = parallelSample<UseA, UseB, Quick>(s, highHalves(xy, xy), k, w);
        io.store(interleaveLow(o0, o1), i);
    }
}

// Two passes with the same input; lanes 0-1 hold A1 + A2, lanes 2-3 B1 + B2.
template <int UseA, int UseB, bool Quick, class V>
KERNEL_INLINE V fourPoleSample(Lanes<V>& s, V x, const Limits<V>& k, V cutoffSteps, V dampingSteps, Watch<V>& w)
{
    stepCoefficients(s, cutoffSteps, dampingSteps);
    const V p1 = pass<UseA, UseB, Quick>(s, x, k, w);
    const V p2 = pass<UseA, UseB, Quick>(s, x, k, w);
    return add(p1, p2);
}

template <class V>
KERNEL_INLINE void keepLanes(Lanes<V>& s, V mask, const Lanes<V>& kept)
{
    s.bandPassIntegrators = select(mask, kept.bandPassIntegrators, s.bandPassIntegrators);
    s.lowPassIntegrators = select(mask, kept.lowPassIntegrators, s.lowPassIntegrators);
    s.bandPassOutputs = select(mask, kept.bandPassOutputs, s.bandPassOutputs);
    s.overshoots = select(mask, kept.overshoots, s.overshoots);
}

// Filter A runs one step ahead of filter B in the same vectors: each step
// filters two new samples through A and A's previous two outputs through B.
// A first step runs A alone and a last step B alone, so the run ends with
// both filters at its last sample and the output has no added delay.
template <int UseA, int UseB, bool Quick, class V>
KERNEL_INLINE void runFourPole(Lanes<V>& s, const Limits<V>& k, const Io<V>& io, std::int64_t steps,
                                 Watch<V>& w)
{
    const V lanesA = splat<V>(laneMask(-1, -1, 0, 0));
    const V lanesB = splat<V>(laneMask(0, 0, -1, -1));

    Lanes<V> kept = s;
    V xy = io.load(0);
    V a0 = fourPoleSample<UseA, UseB, Quick>(s, lowHalves(xy, xy), k, bitAnd(lanesA, s.cutoffSteps),
                                      bitAnd(lanesA, s.dampingSteps), w);
    V a1 = fourPoleSample<UseA, UseB, Quick>(s, highHalves(xy, xy), k, bitAnd(lanesA, s.cutoffSteps),
                                      bitAnd(lanesA, s.dampingSteps), w);
    keepLanes(s, lanesB, kept);

    for (std::int64_t i = 1; i < steps; ++i)
    {
        xy = io.load(i);
        const V s0 = fourPoleSample<UseA, UseB, Quick>(s, lowHalves(xy, a0), k, s.cutoffSteps, s.dampingSteps, w);
        const V s1 = fourPoleSample<UseA, UseB, Quick>(s, rotateHalves(xy, a1), k, s.cutoffSteps, s.dampingSteps, w);
        io.store(interleaveHigh(s0, s1), i - 1);
        a0 = s0;
        a1 = s1;
    }

    kept = s;
    const V s0 = fourPoleSample<UseA, UseB, Quick>(s, lowHalves(a0, a0), k, bitAnd(lanesB, s.cutoffSteps),
                                            bitAnd(lanesB, s.dampingSteps), w);
    const V s1 = fourPoleSample<UseA, UseB, Quick>(s, lowHalves(a1, a1), k, bitAnd(lanesB, s.cutoffSteps),
                                            bitAnd(lanesB, s.dampingSteps), w);
    io.store(interleaveHigh(s0, s1), steps - 1);
    keepLanes(s, lanesA, kept);
}

// A run works on copies of the state and the limits, which the compiler can
// then keep in registers: the output stores could otherwise reach anything
// behind a pointer or a reference.
template <int UseA, int UseB, bool FourPole, class V>
void run(Lanes<V>& state, PairIo* pairs, std::int64_t steps)
{
    const Limits<V> k = loadLimits<V>(FourPole ? kFourPoleLimits : kParallelLimits);
    Lanes<V> s = state;
    float& fullStretches = pairs[0].state->fullStretches[0];
    alignas(16) float sink[kFrameSamples];
    while (steps > 0)
    {
        const std::int64_t stretch = steps < kRunSteps ? steps : kRunSteps;
        const Io<V> io(pairs, sink);
        bool done = false;
        if (QuickStretches<V>::value && fullStretches > 0.0f)
        {
            fullStretches -= 1.0f;
        }
        else if (QuickStretches<V>::value && noOvershoot(s))
        {
            const Lanes<V> before = s;
            Watch<V> w = startWatch(k);
            if (FourPole)
                runFourPole<UseA, UseB, true>(s, k, io, stretch, w);
            else
                runParallel<UseA, UseB, true>(s, k, io, stretch, w);
            done = withinLimits(w, k, s);
            if (!done)
            {
                s = before;
                fullStretches = kFullStretchesAfterLimit;
            }
        }
        if (!done)
        {
            Watch<V> unused = startWatch(k);
            if (FourPole)
                runFourPole<UseA, UseB, false>(s, k, io, stretch, unused);
            else
                runParallel<UseA, UseB, false>(s, k, io, stretch, unused);
        }
        for (int j = 0; j < pairsOf<V>(); ++j)
        {
            pairs[j].in0 += pairs[j].step0 * stretch;
            pairs[j].in1 += pairs[j].step1 * stretch;
            if (pairs[j].out0 != nullptr)
                pairs[j].out0 += pairs[j].step0 * stretch;
            if (pairs[j].out1 != nullptr)
                pairs[j].out1 += pairs[j].step1 * stretch;
        }
        steps -= stretch;
    }
    state = s;
}

KERNEL_INLINE Lanes<V1> loadState(const FilterKernelState* st)
{
    return {{_mm_load_ps(st->bandPassIntegrators)}, {_mm_load_ps(st->lowPassIntegrators)},
            {_mm_load_ps(st->bandPassOutputs)},     {_mm_load_ps(st->highPassOvershoots)},
            {_mm_load_ps(st->cutoffs)},             {_mm_load_ps(st->dampings)},
            {_mm_load_ps(st->cutoffSteps)},         {_mm_load_ps(st->dampingSteps)}};
}

KERNEL_INLINE void storeState(FilterKernelState* st, const Lanes<V1>& s)
{
    _mm_store_ps(st->bandPassIntegrators, s.bandPassIntegrators.a);
    _mm_store_ps(st->lowPassIntegrators, s.lowPassIntegrators.a);
    _mm_store_ps(st->bandPassOutputs, s.bandPassOutputs.a);
    _mm_store_ps(st->highPassOvershoots, s.overshoots.a);
    _mm_store_ps(st->cutoffs, s.cutoffs.a);
    _mm_store_ps(st->dampings, s.dampings.a);
    _mm_store_ps(st->cutoffSteps, s.cutoffSteps.a);
    _mm_store_ps(st->dampingSteps, s.dampingSteps.a);
}

// One pair's part of the state, and the state of all pairs.
template <class V>
KERNEL_INLINE Lanes<V1> part(const Lanes<V>& s, int j)
{
    return {member(s.bandPassIntegrators, j), member(s.lowPassIntegrators, j), member(s.bandPassOutputs, j),
            member(s.overshoots, j),          member(s.cutoffs, j),            member(s.dampings, j),
            member(s.cutoffSteps, j),         member(s.dampingSteps, j)};
}

template <class V>
KERNEL_INLINE Lanes<V> together(const Lanes<V1>* p)
{
    auto gather = [p](V1 Lanes<V1>::*field) {
        V1 x[pairsOf<V>()];
        for (int j = 0; j < pairsOf<V>(); ++j)
            x[j] = p[j].*field;
        return join<V>(x);
    };
    return {gather(&Lanes<V1>::bandPassIntegrators), gather(&Lanes<V1>::lowPassIntegrators),
            gather(&Lanes<V1>::bandPassOutputs),     gather(&Lanes<V1>::overshoots),
            gather(&Lanes<V1>::cutoffs),             gather(&Lanes<V1>::dampings),
            gather(&Lanes<V1>::cutoffSteps),         gather(&Lanes<V1>::dampingSteps)};
}

// The targets of a pair's next frame, from its words: cutoffs and dampings
// in the lane order of the state.
KERNEL_INLINE void frameTargets(PairIo& io, float* cutoffs, float* dampings)
{
    const float* coefficients = io.state->coefficientTable;
    const float* table = io.state->dampingTable;
    const std::uint32_t w0 = *io.words0++;
    const std::uint32_t w1 = *io.words1++;
    cutoffs[0] = coefficients[w0 & 0xFF];
    cutoffs[1] = coefficients[w1 & 0xFF];
    cutoffs[2] = coefficients[(w0 >> 16) & 0xFF];
    cutoffs[3] = coefficients[(w1 >> 16) & 0xFF];
    dampings[0] = table[(w0 >> 8) & 0xFF];
    dampings[1] = table[(w1 >> 8) & 0xFF];
    dampings[2] = table[w0 >> 24];
    dampings[3] = table[w1 >> 24];
}

template <class V>
KERNEL_INLINE V loadLanes(const float* values)
{
    V1 x[pairsOf<V>()];
    for (int j = 0; j < pairsOf<V>(); ++j)
        x[j] = {_mm_load_ps(values + 4 * j)};
    return join<V>(x);
}

// The steps that take each lane from where it is to the next frame's
// targets in 64 samples.
template <class V>
KERNEL_INLINE void beginFrame(Lanes<V>& s, PairIo* io)
{
    alignas(16) float cutoffs[4 * pairsOf<V>()];
    alignas(16) float dampings[4 * pairsOf<V>()];
    for (int j = 0; j < pairsOf<V>(); ++j)
        frameTargets(io[j], cutoffs + 4 * j, dampings + 4 * j);
    const V rampFactor = splat<V>(_mm_set1_ps(kRampFactor));
    s.cutoffSteps = mul(sub(loadLanes<V>(cutoffs), s.cutoffs), rampFactor);
    s.dampingSteps = mul(sub(loadLanes<V>(dampings), s.dampings), rampFactor);
}

template <int UseA, int UseB, bool FourPole, class V>
void runPairs(PairIo* io, std::int64_t currentSteps, std::int64_t newSteps, std::int32_t frames)
{
    constexpr int pairs = pairsOf<V>();
    Lanes<V1> parts[pairs];
    for (int j = 0; j < pairs; ++j)
        parts[j] = loadState(io[j].state);

    Lanes<V> s = together<V>(parts);
    run<UseA, UseB, FourPole>(s, io, currentSteps);

    std::int64_t left = newSteps;
    for (std::int32_t frame = 0; frame < frames; ++frame)
    {
        beginFrame(s, io);
        const std::int64_t steps = left < kFrameSamples / 2 ? left : kFrameSamples / 2;
        run<UseA, UseB, FourPole>(s, io, steps);
        left -= steps;
    }

    // The lanes of an inactive slot were computed on silence only to keep
    // the loops free of tests; the slot keeps the state it had.
    const V1 inactiveLanes[4] = {{laneMask(-1, -1, -1, -1)}, {laneMask(0, -1, 0, -1)}, {laneMask(-1, 0, -1, 0)},
                                 {laneMask(0, 0, 0, 0)}};
    for (int j = 0; j < pairs; ++j)
    {
        if ((io[j].mask & 3) == 3)
            storeState(io[j].state, part(s, j));
        else
            storeState(io[j].state, select(inactiveLanes[io[j].mask & 3], loadState(io[j].state), part(s, j)));
    }
}

template <int UseA, int UseB, bool FourPole, int Mask>
void kernel(FilterKernelState* state, float* const* buffers, const std::uint32_t* const* streams,
            std::int64_t currentSteps, std::int64_t offset, std::int64_t newSteps, std::int32_t frames)
{
    PairIo io = makePairIo(state, buffers, streams, Mask, offset);
    runPairs<UseA, UseB, FourPole, V1>(&io, currentSteps, newSteps, frames);
}

template <int UseA, int UseB, bool FourPole, class V>
void groupKernel(FilterKernelState* const* states, float* const* const* buffers,
                 const std::uint32_t* const* const* streams, const int* masks, std::int64_t currentSteps,
                 std::int64_t offset, std::int64_t newSteps, std::int32_t frames)
{
    constexpr int pairs = pairsOf<V>();
    PairIo io[pairs];
    for (int j = 0; j < pairs; ++j)
        io[j] = makePairIo(states[j], buffers[j], streams[j], masks[j], offset);
    runPairs<UseA, UseB, FourPole, V>(io, currentSteps, newSteps, frames);
}
}

// A group kernel table: one entry per filter mode, in mode order.
#define ZENTROVA_GROUP_KERNELS(V)                                                                                  \
    {                                                                                                              \
        groupKernel<kLowPass, kLowPass, true, V>, groupKernel<kHighPass, kLowPass, true, V>,                       \
            groupKernel<kHighPass, kHighPass, true, V>, groupKernel<kLowPass, kLowPass, false, V>,                 \
            groupKernel<kBandPass, kBandPass, false, V>, groupKernel<kHighPass, kHighPass, false, V>,              \
            groupKernel<kLowPass, kBandPass, false, V>, groupKernel<kLowPass, kHighPass, false, V>,                \
            groupKernel<kBandPass, kHighPass, false, V>,                                                           \
    }
