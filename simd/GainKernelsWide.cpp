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
    const __m512 l = _mm512_set1_ps(left);
    const __m512 r = _mm512_set1_ps(right);
    // unpacklo/unpackhi leave samples 0-1, 4-5, ... and 2-3, 6-7, ... of
    // each channel pair side by side; these put them back in order.
    const __m512i first = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 18, 19, 4, 5, 6, 7, 20, 21, 22, 23);
    const __m512i second = _mm512_setr_epi32(8, 9, 10, 11, 24, 25, 26, 27, 12, 13, 14, 15, 28, 29, 30, 31);
    int n = 0;
    for (; n + kLanes <= count; n += kLanes)
    {
        const __m512 sample = _mm512_mul_ps(gain, _mm512_loadu_ps(input + n));
        const __m512 leftPart = _mm512_mul_ps(sample, l);
        const __m512 rightPart = _mm512_mul_ps(sample, r);
        const __m512 low = _mm512_unpacklo_ps(leftPart, rightPart);
        const __m512 high = _mm512_unpackhi_ps(leftPart, rightPart);
        __m512 out0 = _mm512_permutex2var_ps(low, first, high);
        __m512 out1 = _mm512_permutex2var_ps(low, second, high);
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
