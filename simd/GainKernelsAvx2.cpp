// The gain loops on eight-lane vectors. Built for AVX2 and called only where
// the processor has it.
#include "simd/Avx2VectorsBegin.h"

#include "simd/GainKernelTemplates.h"

#include <immintrin.h>

namespace
{
struct EightLanes
{
    using Float = __m256;
    static constexpr int kLanes = 8;

    static Float set1(float x) { return _mm256_set1_ps(x); }
    static Float load(const float* at) { return _mm256_loadu_ps(at); }
    static void store(float* at, Float x) { _mm256_storeu_ps(at, x); }
    static Float add(Float x, Float y) { return _mm256_add_ps(x, y); }
    static Float mul(Float x, Float y) { return _mm256_mul_ps(x, y); }
    static Float alternate(float x, float y) { return _mm256_setr_ps(x, y, x, y, x, y, x, y); }
    static Float firstTwice(Float x) { return _mm256_permutevar8x32_ps(x, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)); }
    static Float secondTwice(Float x)
    {
        return _mm256_permutevar8x32_ps(x, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7));
    }
};

using Eight = GainKernels<EightLanes>;
} // namespace

void mixOscillatorsAvx2(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                        float g2, float gn, float gr)
{
    Eight::mix(osc1, osc2, noise, out, count, g1, g2, gn, gr);
}

void panSteadyLevelAvx2(const float* input, float* output, int count, float level, float left, float right,
                        bool accumulate)
{
    Eight::pan(input, output, count, level, left, right, accumulate);
}

#include "simd/Avx2VectorsEnd.h"
