// The gain loops on sixteen-lane vectors. Built for AVX-512 and called only
// where the processor has it.
#include "simd/WideVectorsBegin.h"

#include "simd/GainKernelTemplates.h"

#include <immintrin.h>

namespace
{
struct SixteenLanes
{
    using Float = __m512;
    static constexpr int kLanes = 16;

    static Float set1(float x) { return _mm512_set1_ps(x); }
    static Float load(const float* at) { return _mm512_loadu_ps(at); }
    static void store(float* at, Float x) { _mm512_storeu_ps(at, x); }
    static Float add(Float x, Float y) { return _mm512_add_ps(x, y); }
    static Float mul(Float x, Float y) { return _mm512_mul_ps(x, y); }
    static Float alternate(float x, float y)
    {
        return _mm512_setr_ps(x, y, x, y, x, y, x, y, x, y, x, y, x, y, x, y);
    }
    static Float firstTwice(Float x)
    {
        return _mm512_permutexvar_ps(_mm512_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7), x);
    }
    static Float secondTwice(Float x)
    {
        return _mm512_permutexvar_ps(_mm512_setr_epi32(8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15), x);
    }
};

using Wide = GainKernels<SixteenLanes>;
} // namespace

void mixOscillatorsWide(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                        float g2, float gn, float gr)
{
    Wide::mix(osc1, osc2, noise, out, count, g1, g2, gn, gr);
}

void panSteadyLevelWide(const float* input, float* output, int count, float level, float left, float right,
                        bool accumulate)
{
    Wide::pan(input, output, count, level, left, right, accumulate);
}

#include "simd/WideVectorsEnd.h"
