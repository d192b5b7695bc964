#include "simd/HalfBandKernels.h"

#include "dsp/CHalfBandFilter.h"

#include <xmmintrin.h>

namespace
{
// Lanes (B, A, B, A): every stream runs through both branches; the lanes
// that pair a branch with the wrong frame parity are computed and dropped.
#define HBF_LANES(k) {kHalfBandCoefficientsB[k], kHalfBandCoefficientsA[k], kHalfBandCoefficientsB[k], kHalfBandCoefficientsA[k]}
alignas(16) constexpr float kCoefficientVectors[kHalfBandSections][4] = {
    HBF_LANES(0), HBF_LANES(1), HBF_LANES(2), HBF_LANES(3), HBF_LANES(4), HBF_LANES(5)};
#undef HBF_LANES

// One step of a stream whose slots lie `stride` floats apart: new slot k
// takes the place of old slot k - 1 once that has been read.
inline __m128 allPassStep(__m128 x, float* h, int stride, const __m128* c)
{
    _mm_store_ps(h, x);
    __m128 previousIn = _mm_load_ps(h + stride);
    __m128 y = x;
    for (int k = 1; k <= kHalfBandSections; ++k)
    {
        __m128 previousOut = _mm_load_ps(h + stride * (k + 1));
        y = _mm_add_ps(_mm_mul_ps(c[k - 1], _mm_sub_ps(y, previousOut)), previousIn);
        _mm_store_ps(h + stride * k, y);
        previousIn = previousOut;
    }
    return y;
}

inline void loadCoefficients(__m128* c)
{
    for (int k = 0; k < kHalfBandSections; ++k)
        c[k] = _mm_load_ps(kCoefficientVectors[k]);
}

// Writes or adds lane 0.
template <bool Replacing>
inline void emit(float* out, __m128 value)
{
    if (Replacing)
        _mm_store_ss(out, value);
    else
        _mm_store_ss(out, _mm_add_ss(_mm_load_ss(out), value));
}

template <bool Replacing>
void processMono(const float* input, float* history, float* outLeft, float* outRight, int64_t n, const float* gain)
{
    __m128 c[kHalfBandSections];
    loadCoefficients(c);
    const __m128 g = _mm_load_ps(gain);
    float* h = history;
    for (int64_t i = 0; i < n; ++i)
    {
        h -= 4;
        __m128 x = _mm_setr_ps(input[0], input[0], input[1], input[1]);
        input += 2;
        __m128 y = allPassStep(x, h, 4, c);
        // Branch B of the even frame (lane 0) plus branch A of the odd (lane 3).
        __m128 sum = _mm_add_ss(y, _mm_shuffle_ps(y, y, _MM_SHUFFLE(3, 3, 3, 3)));
        __m128 r = _mm_mul_ss(sum, g);
        emit<Replacing>(outLeft + i, r);
        emit<Replacing>(outRight + i, r);
    }
}

template <bool Replacing>
void processStereo(const float* input, float* history, float* outLeft, float* outRight, int64_t n, const float* gain)
{
    __m128 c[kHalfBandSections];
    loadCoefficients(c);
    const __m128 g = _mm_load_ps(gain);
    float* h = history;
    for (int64_t i = 0; i < n; ++i)
    {
        h -= 8;
        __m128 frames = _mm_loadu_ps(input);
        input += 4;
        __m128 even = _mm_shuffle_ps(frames, frames, _MM_SHUFFLE(1, 1, 0, 0));
        __m128 odd = _mm_shuffle_ps(frames, frames, _MM_SHUFFLE(3, 3, 2, 2));
        __m128 ye = allPassStep(even, h, 8, c);
        __m128 yo = allPassStep(odd, h + 4, 8, c);
        // Left: lane 0 of the even stream plus lane 1 of the odd; right:
        // lanes 2 and 3 likewise.
        __m128 sum = _mm_add_ps(ye, _mm_shuffle_ps(yo, yo, _MM_SHUFFLE(3, 3, 1, 1)));
        __m128 r = _mm_mul_ps(sum, g);
        emit<Replacing>(outLeft + i, r);
        emit<Replacing>(outRight + i, _mm_movehl_ps(r, r));
    }
}
}

void HbfSseProcessMono(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                       const float* gain)
{
    processMono<false>(input, history, outLeft, outRight, n, gain);
}

void HbfSseProcessReplacingMono(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                                const float* gain)
{
    processMono<true>(input, history, outLeft, outRight, n, gain);
}

void HbfSseProcessStereo(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                         const float* gain)
{
    processStereo<false>(input, history, outLeft, outRight, n, gain);
}

void HbfSseProcessReplacingStereo(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                                  const float* gain)
{
    processStereo<true>(input, history, outLeft, outRight, n, gain);
}

const HalfBandKernel HalfBandKernelTable[4] = {HbfSseProcessMono, HbfSseProcessReplacingMono, HbfSseProcessStereo,
                                               HbfSseProcessReplacingStereo};
