// The group kernels on sixteen-lane vectors, four voice pairs to a vector.
// Built for AVX-512 and called only where the processor has it; the same
// operations in the same order as the four-lane kernels, lane for lane (some
// sums as multiply-adds that round alike), so the samples are the same bit
// for bit.
#include "simd/WideVectorsBegin.h"
#if defined(__clang__)
// The tables take the sixteen- and eight-pair widths only; the four-pair
// form stays beside them, as in the four-lane kernels.
#pragma clang diagnostic ignored "-Wunused-function"
#endif

#include "simd/FilterKernelTemplates.h"

#include <immintrin.h>

namespace
{
// Four pairs (Z1), eight (Z2) or sixteen (Z4), pair 4i + j in 128-bit lane j
// of vector i.
struct Z1
{
    __m512 a;
    using One = Z1;
};

struct Z2
{
    __m512 a, b;
    using One = Z1;
};

struct Z4
{
    __m512 a, b, c, d;
    using One = Z1;
};

KERNEL_INLINE __m512 andBits(__m512 x, __m512 y)
{
    return _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(x), _mm512_castps_si512(y)));
}

KERNEL_INLINE __m512 andNotBits(__m512 x, __m512 y)
{
    return _mm512_castsi512_ps(_mm512_andnot_si512(_mm512_castps_si512(x), _mm512_castps_si512(y)));
}

// x + y and x - y as y * 1 + x and -(y * 1) + x: the product is exact, so
// the one rounding is that of the plain sum or difference.
KERNEL_INLINE __m512 addByMultiplyAdd(__m512 x, __m512 y)
{
    return _mm512_fmadd_ps(y, _mm512_set1_ps(1.0f), x);
}

KERNEL_INLINE __m512 subByMultiplyAdd(__m512 x, __m512 y)
{
    return _mm512_fnmadd_ps(y, _mm512_set1_ps(1.0f), x);
}

KERNEL_INLINE __m512 orBits(__m512 x, __m512 y)
{
    return _mm512_castsi512_ps(_mm512_or_si512(_mm512_castps_si512(x), _mm512_castps_si512(y)));
}

// Within each 128-bit lane, the four-lane shuffles of the narrow kernels.
KERNEL_INLINE __m512 lowHalvesWide(__m512 x, __m512 y)
{
    return _mm512_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 1, 0));
}

KERNEL_INLINE __m512 highHalvesWide(__m512 x, __m512 y)
{
    return _mm512_shuffle_ps(y, x, _MM_SHUFFLE(3, 2, 3, 2));
}

KERNEL_INLINE __m512 lanesAThenBWide(__m512 x, __m512 y)
{
    return _mm512_shuffle_ps(x, y, _MM_SHUFFLE(3, 2, 1, 0));
}

KERNEL_INLINE __m512 upperThenLowerWide(__m512 x, __m512 y)
{
    return _mm512_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 3, 2));
}

#define KERNEL_BINARY(name, operation) KERNEL_BINARY_FOR(Z1, Z2, Z4, name, operation)

KERNEL_BINARY(add, _mm512_add_ps)
KERNEL_BINARY(sub, _mm512_sub_ps)
KERNEL_BINARY(addOnMultipliers, addByMultiplyAdd)
KERNEL_BINARY(subOnMultipliers, subByMultiplyAdd)
KERNEL_BINARY(mul, _mm512_mul_ps)
KERNEL_BINARY(minOf, _mm512_min_ps)
KERNEL_BINARY(maxOf, _mm512_max_ps)
KERNEL_BINARY(bitAnd, andBits)
KERNEL_BINARY(bitAndNot, andNotBits)
KERNEL_BINARY(bitOr, orBits)
KERNEL_BINARY(lowHalves, lowHalvesWide)
KERNEL_BINARY(highHalves, highHalvesWide)
KERNEL_BINARY(interleaveLow, _mm512_unpacklo_ps)
KERNEL_BINARY(interleaveHigh, _mm512_unpackhi_ps)
KERNEL_BINARY(splitLanes, lanesAThenBWide)
KERNEL_BINARY(rotateHalves, upperThenLowerWide)

#undef KERNEL_BINARY

template <>
KERNEL_INLINE Z1 splat<Z1>(__m128 x)
{
    return {_mm512_broadcast_f32x4(x)};
}

template <>
KERNEL_INLINE Z2 splat<Z2>(__m128 x)
{
    const __m512 all = _mm512_broadcast_f32x4(x);
    return {all, all};
}

template <>
KERNEL_INLINE Z4 splat<Z4>(__m128 x)
{
    const __m512 all = _mm512_broadcast_f32x4(x);
    return {all, all, all, all};
}

KERNEL_INLINE __m128 quarter(__m512 v, int j)
{
    switch (j & 3)
    {
    case 0:
        return _mm512_castps512_ps128(v);
    case 1:
        return _mm512_extractf32x4_ps(v, 1);
    case 2:
        return _mm512_extractf32x4_ps(v, 2);
    default:
        return _mm512_extractf32x4_ps(v, 3);
    }
}

KERNEL_INLINE __m512 quarters(const V1* x)
{
    __m512 v = _mm512_castps128_ps512(x[0].a);
    v = _mm512_insertf32x4(v, x[1].a, 1);
    v = _mm512_insertf32x4(v, x[2].a, 2);
    return _mm512_insertf32x4(v, x[3].a, 3);
}

KERNEL_INLINE V1 member(Z1 v, int j)
{
    return {quarter(v.a, j)};
}

KERNEL_INLINE V1 member(Z2 v, int j)
{
    return {quarter(j < 4 ? v.a : v.b, j)};
}

KERNEL_INLINE V1 member(Z4 v, int j)
{
    const int i = j >> 2;
    return {quarter(i == 0 ? v.a : (i == 1 ? v.b : (i == 2 ? v.c : v.d)), j)};
}

template <>
KERNEL_INLINE Z1 join<Z1>(const V1* x)
{
    return {quarters(x)};
}

template <>
KERNEL_INLINE Z2 join<Z2>(const V1* x)
{
    return {quarters(x), quarters(x + 4)};
}

template <>
KERNEL_INLINE Z4 join<Z4>(const V1* x)
{
    return {quarters(x), quarters(x + 4), quarters(x + 8), quarters(x + 12)};
}
} // namespace

static_assert(sizeof(Z4) / sizeof(__m128) == kFilterWidePairs, "one wide group is sixteen pairs");
static_assert(sizeof(Z2) / sizeof(__m128) == kFilterHalfWidePairs, "one half-wide group is eight pairs");
const FilterGroupKernel FilterWideKernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(Z4);
const FilterGroupKernel FilterHalfWideKernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(Z2);

#undef ZENTROVA_GROUP_KERNELS
#undef KERNEL_BINARY_FOR
#undef KERNEL_INLINE

#include "simd/WideVectorsEnd.h"
