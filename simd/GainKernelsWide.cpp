// The gain loops on sixteen-lane vectors. Built for AVX-512 and called only
// where the processor has it; lane for lane the operations of the portable
// loops, in their order, so the samples are the same bit for bit.
#include "simd/WideVectorsBegin.h"

#include "simd/GainKernels.h"

#include <immintrin.h>

namespace
{
constexpr int kLanes = 16;
}

void mixOscillatorsWide(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                        float g2, float gn, float gr)
{
    const __m512 a = _mm512_set1_ps(g1);
    const __m512 b = _mm512_set1_ps(g2);
    const __m512 c = _mm512_set1_ps(gn);
    const __m512 d = _mm512_set1_ps(gr);
    int n = 0;
    for (; n + kLanes <= count; n += kLanes)
    {
        const __m512 o1 = _mm512_loadu_ps(osc1 + n);
        const __m512 o2 = _mm512_loadu_ps(osc2 + n);
        const __m512 sum = _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(a, o1), _mm512_mul_ps(b, o2)),
                                         _mm512_mul_ps(c, _mm512_loadu_ps(noise + n)));
        _mm512_storeu_ps(out + n, _mm512_add_ps(sum, _mm512_mul_ps(_mm512_mul_ps(d, o1), o2)));
    }
    mixOscillators(osc1 + n, osc2 + n, noise + n, out + n, count - n, g1, g2, gn, gr);
}

void panSteadyLevelWide(const float* input, float* output, int count, float level, float left, float right,
                        bool accumulate)
{
    const __m512 gain = _mm512_set1_ps(level);
    const __m512 pan = _mm512_setr_ps(left, right, left, right, left, right, left, right, left, right, left, right,
                                      left, right, left, right);
    // Each sample twice, for its left and right outputs.
    const __m512i first = _mm512_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
    const __m512i second = _mm512_setr_epi32(8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15);
    int n = 0;
    for (; n + kLanes <= count; n += kLanes)
    {
        const __m512 sample = _mm512_mul_ps(gain, _mm512_loadu_ps(input + n));
        __m512 out0 = _mm512_mul_ps(_mm512_permutexvar_ps(first, sample), pan);
        __m512 out1 = _mm512_mul_ps(_mm512_permutexvar_ps(second, sample), pan);
        float* at = output + 2 * n;
        if (accumulate)
        {
            out0 = _mm512_add_ps(_mm512_loadu_ps(at), out0);
            out1 = _mm512_add_ps(_mm512_loadu_ps(at + kLanes), out1);
        }
        _mm512_storeu_ps(at, out0);
        _mm512_storeu_ps(at + kLanes, out1);
    }
    panSteadyLevel(input + n, output + 2 * n, count - n, level, left, right, accumulate);
}

#include "simd/WideVectorsEnd.h"
