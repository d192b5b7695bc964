// The wavetable readers and the noise generator on eight-lane vectors.
// Built for AVX2 and called only where the processor has it.
#include "simd/Avx2VectorsBegin.h"

#include "simd/OscillatorKernelTemplates.h"

#include <immintrin.h>

namespace
{
struct EightLanes
{
    using Float = __m256;
    using Int = __m256i;
    static constexpr int kLanes = 8;

    static Float set1(float x) { return _mm256_set1_ps(x); }
    static Int seti(std::uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
    static Int laneNumbers() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static Float add(Float x, Float y) { return _mm256_add_ps(x, y); }
    static Float sub(Float x, Float y) { return _mm256_sub_ps(x, y); }
    static Float mul(Float x, Float y) { return _mm256_mul_ps(x, y); }
    static Float toFloat(Int x) { return _mm256_cvtepi32_ps(x); }
    static Int addInt(Int x, Int y) { return _mm256_add_epi32(x, y); }
    static Int subInt(Int x, Int y) { return _mm256_sub_epi32(x, y); }
    static Int andInt(Int x, Int y) { return _mm256_and_si256(x, y); }
    static Int orInt(Int x, Int y) { return _mm256_or_si256(x, y); }
    static Int shiftRight16(Int x) { return _mm256_srli_epi32(x, 16); }
    static Int mulLow(Int x, Int y) { return _mm256_mullo_epi32(x, y); }
    static Float load(const float* at) { return _mm256_loadu_ps(at); }
    static void store(float* at, Float x) { _mm256_storeu_ps(at, x); }
    static Int loadInt(const std::uint32_t* at) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(at)); }
    static void storeInt(void* at, Int x) { _mm256_storeu_si256(static_cast<__m256i*>(at), x); }

    // Point k from the sixteen samples k on: a lane permute reads the
    // position's low three bits from both of their vectors, and bit 3, moved
    // to the sign bit, picks one. Eight loads and no index arithmetic cost
    // less than permutes of the next positions, and the lanes may span 15
    // samples rather than 12.
    static constexpr std::uint32_t kWindowSpan = 2 * kLanes - 1;
    static constexpr std::uint32_t kWindowReach = 2 * kLanes + 3;
    static void windowPoints(const float* at, Int relative, Float& y0, Float& y1, Float& y2, Float& y3)
    {
        const Float upper = _mm256_castsi256_ps(_mm256_slli_epi32(relative, 28));
        y0 = pick(_mm256_loadu_ps(at), _mm256_loadu_ps(at + kLanes), relative, upper);
        y1 = pick(_mm256_loadu_ps(at + 1), _mm256_loadu_ps(at + 1 + kLanes), relative, upper);
        y2 = pick(_mm256_loadu_ps(at + 2), _mm256_loadu_ps(at + 2 + kLanes), relative, upper);
        y3 = pick(_mm256_loadu_ps(at + 3), _mm256_loadu_ps(at + 3 + kLanes), relative, upper);
    }
    static void windowDifferences(const float* at, const float* other, Int relative, Float& y0, Float& y1,
                                  Float& y2, Float& y3)
    {
        const Float upper = _mm256_castsi256_ps(_mm256_slli_epi32(relative, 28));
        y0 = pick(difference(at, other), difference(at + kLanes, other + kLanes), relative, upper);
        y1 = pick(difference(at + 1, other + 1), difference(at + 1 + kLanes, other + 1 + kLanes), relative, upper);
        y2 = pick(difference(at + 2, other + 2), difference(at + 2 + kLanes, other + 2 + kLanes), relative, upper);
        y3 = pick(difference(at + 3, other + 3), difference(at + 3 + kLanes, other + 3 + kLanes), relative, upper);
    }
    static Float difference(const float* at, const float* other)
    {
        return _mm256_sub_ps(_mm256_loadu_ps(at), _mm256_loadu_ps(other));
    }
    static Float pick(Float lower, Float upper, Int relative, Float fromUpper)
    {
        return _mm256_blendv_ps(_mm256_permutevar8x32_ps(lower, relative), _mm256_permutevar8x32_ps(upper, relative),
                                fromUpper);
    }
    // Two windows cost more than rows here.
    static constexpr bool kTwoWindows = false;
    static Float halves(Float low, Float high) { return _mm256_blend_ps(low, high, 0xF0); }
    static Float row(const float* table, const std::uint32_t* at, int r)
    {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(table + at[r])),
                                    _mm_loadu_ps(table + at[r + 4]), 1);
    }
    static Float interleaveLow(Float x, Float y) { return _mm256_unpacklo_ps(x, y); }
    static Float interleaveHigh(Float x, Float y) { return _mm256_unpackhi_ps(x, y); }
    static Float lowPairs(Float x, Float y) { return _mm256_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 1, 0)); }
    static Float highPairs(Float x, Float y) { return _mm256_shuffle_ps(x, y, _MM_SHUFFLE(3, 2, 3, 2)); }

    static Int fromCarry(const float* carry)
    {
        return _mm256_castps_si256(_mm256_broadcast_ps(reinterpret_cast<const __m128*>(carry)));
    }
    // The previous group's last four lanes, then the group's first four.
    static Int carried(Int samples, Int previous) { return _mm256_permute2x128_si256(previous, samples, 0x21); }
    static void toCarry(float* carry, Int previous)
    {
        _mm_store_ps(carry, _mm256_extractf128_ps(_mm256_castsi256_ps(previous), 1));
    }
};

using Eight = Kernels<EightLanes>;
} // namespace

std::uint32_t interpolateOscillatorAvx2(const float* constants, const float* table, float* output,
                                        std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                        std::uint32_t indexMask)
{
    return Eight::read(constants, table, output, (vectorCount + 1) / 2, phase, step, indexMask);
}

std::uint32_t interpolateOscillatorPwmAvx2(const float* constants, const float* table, float* output,
                                           std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                           std::uint32_t indexMask, std::uint32_t offset)
{
    return Eight::readPulse(constants, table, output, vectorCount / 2, phase, step, indexMask, offset);
}

std::uint32_t processNoiseAvx2(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state)
{
    return Eight::noise(output, firstTick, carry, endTick, state);
}

#include "simd/Avx2VectorsEnd.h"
