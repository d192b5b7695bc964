// The wavetable readers and the noise generator on sixteen-lane vectors.
// Built for AVX-512 and called only where the processor has it.
#include "simd/WideVectorsBegin.h"

#include "simd/OscillatorKernelTemplates.h"

#include <immintrin.h>

namespace
{
struct SixteenLanes
{
    using Float = __m512;
    using Int = __m512i;
    static constexpr int kLanes = 16;

    static Float set1(float x) { return _mm512_set1_ps(x); }
    static Int seti(std::uint32_t x) { return _mm512_set1_epi32(static_cast<int>(x)); }
    static Int laneNumbers() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
    static Float add(Float x, Float y) { return _mm512_add_ps(x, y); }
    static Float sub(Float x, Float y) { return _mm512_sub_ps(x, y); }
    static Float mul(Float x, Float y) { return _mm512_mul_ps(x, y); }
    static Float toFloat(Int x) { return _mm512_cvtepi32_ps(x); }
    static Int addInt(Int x, Int y) { return _mm512_add_epi32(x, y); }
    static Int subInt(Int x, Int y) { return _mm512_sub_epi32(x, y); }
    static Int andInt(Int x, Int y) { return _mm512_and_si512(x, y); }
    static Int orInt(Int x, Int y) { return _mm512_or_si512(x, y); }
    static Int shiftRight16(Int x) { return _mm512_srli_epi32(x, 16); }
    static Int mulLow(Int x, Int y) { return _mm512_mullo_epi32(x, y); }
    static Float load(const float* at) { return _mm512_loadu_ps(at); }
    static void store(float* at, Float x) { _mm512_storeu_ps(at, x); }
    static Int loadInt(const std::uint32_t* at) { return _mm512_load_si512(at); }
    static void storeInt(void* at, Int x) { _mm512_storeu_si512(at, x); }

    // From two loads: each point a permute of both, at the lane's position
    // and the next three.
    static constexpr bool kWindows = true;
    static constexpr std::uint32_t kWindowSpan = 2 * kLanes - 4;
    static constexpr std::uint32_t kWindowReach = 2 * kLanes;
    static void windowPoints(const float* at, Int relative, Float& y0, Float& y1, Float& y2, Float& y3)
    {
        points(_mm512_loadu_ps(at), _mm512_loadu_ps(at + kLanes), relative, y0, y1, y2, y3);
    }
    static void windowDifferences(const float* at, const float* other, Int relative, Float& y0, Float& y1,
                                  Float& y2, Float& y3)
    {
        points(_mm512_sub_ps(_mm512_loadu_ps(at), _mm512_loadu_ps(other)),
               _mm512_sub_ps(_mm512_loadu_ps(at + kLanes), _mm512_loadu_ps(other + kLanes)), relative, y0, y1, y2,
               y3);
    }
    static void points(Float lower, Float upper, Int relative, Float& y0, Float& y1, Float& y2, Float& y3)
    {
        const Int one = _mm512_set1_epi32(1);
        const Int r1 = _mm512_add_epi32(relative, one);
        const Int r2 = _mm512_add_epi32(r1, one);
        const Int r3 = _mm512_add_epi32(r2, one);
        y0 = _mm512_permutex2var_ps(lower, relative, upper);
        y1 = _mm512_permutex2var_ps(lower, r1, upper);
        y2 = _mm512_permutex2var_ps(lower, r2, upper);
        y3 = _mm512_permutex2var_ps(lower, r3, upper);
    }
    static constexpr bool kTwoWindows = true;
    static Float halves(Float low, Float high) { return _mm512_mask_blend_ps(0xFF00, low, high); }
    static Float row(const float* table, const std::uint32_t* at, int r)
    {
        Float v = _mm512_castps128_ps512(_mm_loadu_ps(table + at[r]));
        v = _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 4]), 1);
        v = _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 8]), 2);
        return _mm512_insertf32x4(v, _mm_loadu_ps(table + at[r + 12]), 3);
    }
    static Float interleaveLow(Float x, Float y) { return _mm512_unpacklo_ps(x, y); }
    static Float interleaveHigh(Float x, Float y) { return _mm512_unpackhi_ps(x, y); }
    static Float lowPairs(Float x, Float y) { return _mm512_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 1, 0)); }
    static Float highPairs(Float x, Float y) { return _mm512_shuffle_ps(x, y, _MM_SHUFFLE(3, 2, 3, 2)); }

    static Int fromCarry(const float* carry) { return _mm512_castps_si512(_mm512_broadcast_f32x4(_mm_load_ps(carry))); }
    // The previous group's last four lanes, then the group's first twelve.
    static Int carried(Int samples, Int previous) { return _mm512_alignr_epi32(samples, previous, 12); }
    static void toCarry(float* carry, Int previous)
    {
        _mm_store_ps(carry, _mm512_extractf32x4_ps(_mm512_castsi512_ps(previous), 3));
    }
};

using Wide = Kernels<SixteenLanes>;
} // namespace

std::uint32_t interpolateOscillatorWide(const float* constants, const float* table, float* output,
                                        std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                        std::uint32_t indexMask)
{
    return Wide::read(constants, table, output, (vectorCount + 1) / 4, phase, step, indexMask);
}

std::uint32_t interpolateOscillatorPwmWide(const float* constants, const float* table, float* output,
                                           std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                           std::uint32_t indexMask, std::uint32_t offset)
{
    return Wide::readPulse(constants, table, output, vectorCount / 4, phase, step, indexMask, offset);
}

std::uint32_t processNoiseWide(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state)
{
    return Wide::noise(output, firstTick, carry, endTick, state);
}

#include "simd/WideVectorsEnd.h"
