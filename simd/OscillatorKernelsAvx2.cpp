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

    // Rows for every group: its windows would each cost two lane permutes
    // and a blend per point.
    static constexpr bool kWindows = false;
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
