// The wavetable readers and the noise generator on sixteen-lane vectors.
// Built for AVX-512 and called only where the processor has it. Every
// sample comes from the same table values through the same operations in
// the same order as in the four-lane kernels, so the samples are the same
// bit for bit.
#include "simd/WideVectorsBegin.h"

#include "simd/OscillatorKernels.h"

#include <immintrin.h>

namespace
{
constexpr int kLanes = 16;
// The window that sixteen samples read from: 32 table samples, so the
// points of a group may span at most 28 samples plus the 4 of a cubic.
constexpr std::uint32_t kWindow = 32;
constexpr std::uint32_t kWindowSpan = kWindow - 4;

constexpr std::uint32_t kNoiseMultiplier = 1234567u;
constexpr std::uint32_t kNoiseIncrement = 890123u;
constexpr std::uint32_t kNoiseBits = 0x807FFF00u;
constexpr std::uint32_t kNoiseExponent = 0x3F000000u;

struct CubicConstants
{
    __m512 half, oneAndHalf, scale;
    __m512i mask, low, laneSteps, advance;
};

CubicConstants cubicConstants(const float* constants, std::uint32_t step, std::uint32_t indexMask)
{
    CubicConstants k;
    k.half = _mm512_set1_ps(constants[0]);
    k.oneAndHalf = _mm512_set1_ps(constants[4]);
    k.scale = _mm512_set1_ps(constants[8]);
    k.mask = _mm512_set1_epi32(static_cast<int>(indexMask));
    k.low = _mm512_set1_epi32(0xFFFF);
    k.laneSteps = _mm512_mullo_epi32(_mm512_set1_epi32(static_cast<int>(step)),
                                     _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    k.advance = _mm512_set1_epi32(static_cast<int>(kLanes * step));
    return k;
}

// The four-lane kernels' cubic, lane for lane.
inline __m512 cubic(__m512 y0, __m512 y1, __m512 y2, __m512 y3, __m512 f, const CubicConstants& k)
{
    __m512 c = _mm512_mul_ps(k.half, _mm512_sub_ps(y2, y0));
    __m512 a = _mm512_add_ps(_mm512_mul_ps(k.oneAndHalf, _mm512_sub_ps(y1, y2)), _mm512_mul_ps(k.half, _mm512_sub_ps(y3, y0)));
    __m512 b = _mm512_sub_ps(_mm512_add_ps(_mm512_sub_ps(y0, y1), c), a);
    __m512 r = _mm512_add_ps(_mm512_mul_ps(a, f), b);
    r = _mm512_add_ps(_mm512_mul_ps(r, f), c);
    return _mm512_add_ps(_mm512_mul_ps(r, f), y1);
}

inline __m512 fraction(__m512i phases, const CubicConstants& k)
{
    return _mm512_mul_ps(_mm512_cvtepi32_ps(_mm512_and_si512(phases, k.low)), k.scale);
}

// The four points of each lane's cubic.
struct Points
{
    __m512 y0, y1, y2, y3;
};

// A window is 32 table samples from `from`, two loads; it serves the lanes
// whose points lie between from and `to` (+ 3).
inline bool fits(std::uint32_t from, std::uint32_t to, std::uint32_t indexMask)
{
    return to - from <= kWindowSpan && from + kWindow <= indexMask + 5;
}

// Two loads: 32 table samples from a start.
struct Window
{
    __m512 lower, upper;
};

inline Window window(const float* table, std::uint32_t first)
{
    return {_mm512_loadu_ps(table + first), _mm512_loadu_ps(table + first + kLanes)};
}

// The pulse reader's differences: where both of its reads come from
// windows, lane for lane at the same positions in them, the difference of
// the windows holds the differences of the points.
inline Window difference(Window a, Window b)
{
    return {_mm512_sub_ps(a.lower, b.lower), _mm512_sub_ps(a.upper, b.upper)};
}

inline __m512i relativeTo(__m512i index, std::uint32_t first)
{
    return _mm512_sub_epi32(index, _mm512_set1_epi32(static_cast<int>(first)));
}

// The four points of each lane, at its position relative to the window's
// start.
inline Points windowPoints(Window w, __m512i relative)
{
    const __m512i one = _mm512_set1_epi32(1);
    const __m512i r1 = _mm512_add_epi32(relative, one);
    const __m512i r2 = _mm512_add_epi32(r1, one);
    const __m512i r3 = _mm512_add_epi32(r2, one);
    return {_mm512_permutex2var_ps(w.lower, relative, w.upper), _mm512_permutex2var_ps(w.lower, r1, w.upper),
            _mm512_permutex2var_ps(w.lower, r2, w.upper), _mm512_permutex2var_ps(w.lower, r3, w.upper)};
}

// Lanes 0-7 from low, lanes 8-15 from high.
inline Points halves(const Points& low, const Points& high)
{
    constexpr __mmask16 upperLanes = 0xFF00;
    return {_mm512_mask_blend_ps(upperLanes, low.y0, high.y0), _mm512_mask_blend_ps(upperLanes, low.y1, high.y1),
            _mm512_mask_blend_ps(upperLanes, low.y2, high.y2), _mm512_mask_blend_ps(upperLanes, low.y3, high.y3)};
}

// Anywhere else: the four-lane kernels' row loads and transposes, four
// rows to a 128-bit lane.
inline Points rowPoints(const float* table, __m512i index)
{
    std::uint32_t at[kLanes];
    _mm512_storeu_si512(at, index);
    __m512 rows[4];
    for (int r = 0; r < 4; ++r)
    {
        // Rows r, r + 4, r + 8, r + 12: lane q then transposes to samples 4q..4q+3.
        __m512 v = _mm512_castps128_ps512(_mm_loadu_ps(table + at[r]));
        v = _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 4]), 1);
        v = _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 8]), 2);
        rows[r] = _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 12]), 3);
    }
    const __m512 t0 = _mm512_unpacklo_ps(rows[0], rows[1]);
    const __m512 t1 = _mm512_unpacklo_ps(rows[2], rows[3]);
    const __m512 t2 = _mm512_unpackhi_ps(rows[0], rows[1]);
    const __m512 t3 = _mm512_unpackhi_ps(rows[2], rows[3]);
    return {_mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0)), _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2)),
            _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0)), _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2))};
}

// The table positions of a group's lanes 0, 8 and 15, unwrapped. The index
// is the phase's upper 16 bits under the mask, so it wraps at the smaller of
// the table size and 2^16: the index range.
struct Span
{
    std::uint32_t first, middle, last;
};

inline std::uint32_t indexRange(std::uint32_t indexMask)
{
    return indexMask & 0xFFFFu;
}

inline Span span(std::uint32_t phase, std::uint32_t step, std::uint32_t range)
{
    const std::uint64_t position = phase & ((range << 16) | 0xFFFFu);
    const std::uint64_t middle = position + static_cast<std::uint64_t>(kLanes / 2) * step;
    const std::uint64_t last = position + static_cast<std::uint64_t>(kLanes - 1) * step;
    return {static_cast<std::uint32_t>(position >> 16), static_cast<std::uint32_t>(middle >> 16),
            static_cast<std::uint32_t>(last >> 16)};
}

// The same span moved to another start, as the pulse reader's other points.
inline Span moved(const Span& s, std::uint32_t first)
{
    return {first, first + (s.middle - s.first), first + (s.last - s.first)};
}

// A group that does not wrap reads from one window, or lanes 0-7 from one
// and 8-15 from another; any other from rows.
enum class Reach
{
    OneWindow,
    TwoWindows,
    Rows,
};

inline Reach reach(const Span& s, bool wraps, std::uint32_t indexMask)
{
    if (!wraps)
    {
        if (fits(s.first, s.last, indexMask))
            return Reach::OneWindow;
        if (fits(s.first, s.middle, indexMask) && fits(s.middle, s.last, indexMask))
            return Reach::TwoWindows;
    }
    return Reach::Rows;
}

inline Points groupPoints(const float* table, const Span& s, Reach how, __m512i index)
{
    switch (how)
    {
    case Reach::OneWindow:
        return windowPoints(window(table, s.first), relativeTo(index, s.first));
    case Reach::TwoWindows:
        return halves(windowPoints(window(table, s.first), relativeTo(index, s.first)),
                      windowPoints(window(table, s.middle), relativeTo(index, s.middle)));
    default:
        return rowPoints(table, index);
    }
}

// The pulse reader's differences of the points of span s and of span t,
// which lies the pulse offset further on.
inline Points differencePoints(const float* table, const Span& s, Reach sHow, const Span& t, Reach tHow,
                               __m512i index, __m512i other)
{
    if (sHow == tHow && sHow == Reach::OneWindow)
        return windowPoints(difference(window(table, s.first), window(table, t.first)), relativeTo(index, s.first));
    if (sHow == tHow && sHow == Reach::TwoWindows)
        return halves(
            windowPoints(difference(window(table, s.first), window(table, t.first)), relativeTo(index, s.first)),
            windowPoints(difference(window(table, s.middle), window(table, t.middle)), relativeTo(index, s.middle)));
    const Points y = groupPoints(table, s, sHow, index);
    const Points z = groupPoints(table, t, tHow, other);
    return {_mm512_sub_ps(y.y0, z.y0), _mm512_sub_ps(y.y1, z.y1), _mm512_sub_ps(y.y2, z.y2),
            _mm512_sub_ps(y.y3, z.y3)};
}
}

std::uint32_t interpolateOscillatorWide(const float* constants, const float* table, float* output,
                                        std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                        std::uint32_t indexMask)
{
    const CubicConstants k = cubicConstants(constants, step, indexMask);
    const std::uint32_t range = indexRange(indexMask);
    __m512i phases = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(phase)), k.laneSteps);
    for (std::int64_t n = (vectorCount + 1) / 4; n > 0; --n)
    {
        const __m512i index = _mm512_and_si512(_mm512_srli_epi32(phases, 16), k.mask);
        const Span s = span(phase, step, range);
        const Points y = groupPoints(table, s, reach(s, s.last > range, indexMask), index);
        _mm512_storeu_ps(output, cubic(y.y0, y.y1, y.y2, y.y3, fraction(phases, k), k));
        output += kLanes;
        phases = _mm512_add_epi32(phases, k.advance);
        phase += kLanes * step;
    }
    return phase;
}

std::uint32_t interpolateOscillatorPwmWide(const float* constants, const float* table, float* output,
                                           std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                           std::uint32_t indexMask, std::uint32_t offset)
{
    const CubicConstants k = cubicConstants(constants, step, indexMask);
    const std::uint32_t range = indexRange(indexMask);
    const __m512i shift = _mm512_set1_epi32(static_cast<int>(offset));
    __m512i phases = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(phase)), k.laneSteps);
    for (std::int64_t n = vectorCount / 4; n > 0; --n)
    {
        const __m512i index = _mm512_and_si512(_mm512_srli_epi32(phases, 16), k.mask);
        const __m512i other = _mm512_and_si512(_mm512_add_epi32(index, shift), k.mask);
        const Span s = span(phase, step, range);
        const bool wraps = s.last > range;
        // While the group does not wrap, the other points follow the same
        // steps from their own start, itself wrapped at the table size.
        const Span t = moved(s, (s.first + offset) & indexMask);
        const Points d = differencePoints(table, s, reach(s, wraps, indexMask), t,
                                          reach(t, wraps || t.last > indexMask, indexMask), index, other);
        _mm512_storeu_ps(output, cubic(d.y0, d.y1, d.y2, d.y3, fraction(phases, k), k));
        output += kLanes;
        phases = _mm512_add_epi32(phases, k.advance);
        phase += kLanes * step;
    }
    return phase;
}

std::uint32_t processNoiseWide(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state)
{
    // Lane j of a group is state x A^j + C (A^j - 1) / (A - 1).
    alignas(64) std::uint32_t multipliers[kLanes];
    alignas(64) std::uint32_t increments[kLanes];
    std::uint32_t a = 1, c = 0;
    for (int j = 0; j < kLanes; ++j)
    {
        multipliers[j] = a;
        increments[j] = c;
        c = c * kNoiseMultiplier + kNoiseIncrement;
        a *= kNoiseMultiplier;
    }
    const std::uint32_t groupMultiplier = a;
    const std::uint32_t groupIncrement = c;
    const __m512i laneMultipliers = _mm512_load_si512(multipliers);
    const __m512i laneIncrements = _mm512_load_si512(increments);
    const __m512i bits = _mm512_set1_epi32(static_cast<int>(kNoiseBits));
    const __m512i exponent = _mm512_set1_epi32(static_cast<int>(kNoiseExponent));
    // The carried four samples sit in the top lanes of the previous group.
    __m512i previous = _mm512_castps_si512(_mm512_broadcast_f32x4(_mm_load_ps(carry)));

    float* write = output + 64 * firstTick;
    for (std::int64_t group = 4 * (endTick - firstTick); group > 0; --group)
    {
        const __m512i x =
            _mm512_add_epi32(_mm512_mullo_epi32(_mm512_set1_epi32(static_cast<int>(state)), laneMultipliers),
                             laneIncrements);
        const __m512i samples = _mm512_or_si512(_mm512_and_si512(x, bits), exponent);
        _mm512_storeu_si512(write, _mm512_alignr_epi32(samples, previous, 12));
        write += kLanes;
        previous = samples;
        state = state * groupMultiplier + groupIncrement;
    }
    _mm_store_ps(carry, _mm512_extractf32x4_ps(_mm512_castsi512_ps(previous), 3));
    return state;
}

#include "simd/WideVectorsEnd.h"
