// The group kernels on eight-lane vectors, two voice pairs to a vector.
// Built for AVX2 and FMA and called only where the processor has them; the
// same operations in the same order as the four-lane kernels, lane for lane
// (some sums as multiply-adds that round alike), so the samples are the same
// bit for bit.
#include "simd/Avx2VectorsBegin.h"
#if defined(__clang__)
// The tables take the eight- and four-pair widths only; the two-pair form
// stays beside them, as in the four-lane kernels.
#pragma clang diagnostic ignored "-Wunused-function"
#endif

#include "simd/FilterKernelTemplates.h"

#include <immintrin.h>

namespace
{
// Two pairs (Y1), four (Y2) or eight (Y4), pair 2i + j in 128-bit lane j of
// vector i.
struct Y1
{
    __m256 a;
    using One = Y1;
};

struct Y2
{
    __m256 a, b;
    using One = Y1;
};

struct Y4
{
    __m256 a, b, c, d;
    using One = Y1;
};

// x + y and x - y as y * 1 + x and -(y * 1) + x: the product is exact, so
// the one rounding is that of the plain sum or difference.
KERNEL_INLINE __m256 addByMultiplyAdd(__m256 x, __m256 y)
{
    return _mm256_fmadd_ps(y, _mm256_set1_ps(1.0f), x);
}

KERNEL_INLINE __m256 subByMultiplyAdd(__m256 x, __m256 y)
{
    return _mm256_fnmadd_ps(y, _mm256_set1_ps(1.0f), x);
}

// Within each 128-bit lane, the four-lane shuffles of the narrow kernels.
KERNEL_INLINE __m256 lowHalvesAvx2(__m256 x, __m256 y)
{
    return _mm256_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 1, 0));
}

KERNEL_INLINE __m256 highHalvesAvx2(__m256 x, __m256 y)
{
    return _mm256_shuffle_ps(y, x, _MM_SHUFFLE(3, 2, 3, 2));
}

KERNEL_INLINE __m256 lanesAThenBAvx2(__m256 x, __m256 y)
{
    return _mm256_shuffle_ps(x, y, _MM_SHUFFLE(3, 2, 1, 0));
}

KERNEL_INLINE __m256 upperThenLowerAvx2(__m256 x, __m256 y)
{
    return _mm256_shuffle_ps(x, y, _MM_SHUFFLE(1, 0, 3, 2));
}

#define KERNEL_BINARY(name, operation) KERNEL_BINARY_FOR(Y1, Y2, Y4, name, operation)

KERNEL_BINARY(add, _mm256_add_ps)
KERNEL_BINARY(sub, _mm256_sub_ps)
KERNEL_BINARY(addOnMultipliers, addByMultiplyAdd)
KERNEL_BINARY(subOnMultipliers, subByMultiplyAdd)
KERNEL_BINARY(mul, _mm256_mul_ps)
KERNEL_BINARY(minOf, _mm256_min_ps)
KERNEL_BINARY(maxOf, _mm256_max_ps)
KERNEL_BINARY(bitAnd, _mm256_and_ps)
KERNEL_BINARY(bitAndNot, _mm256_andnot_ps)
KERNEL_BINARY(bitOr, _mm256_or_ps)
KERNEL_BINARY(lowHalves, lowHalvesAvx2)
KERNEL_BINARY(highHalves, highHalvesAvx2)
KERNEL_BINARY(interleaveLow, _mm256_unpacklo_ps)
KERNEL_BINARY(interleaveHigh, _mm256_unpackhi_ps)
KERNEL_BINARY(splitLanes, lanesAThenBAvx2)
KERNEL_BINARY(rotateHalves, upperThenLowerAvx2)

#undef KERNEL_BINARY

KERNEL_INLINE __m256 twice(__m128 x)
{
    return _mm256_insertf128_ps(_mm256_castps128_ps256(x), x, 1);
}

template <>
KERNEL_INLINE Y1 splat<Y1>(__m128 x)
{
    return {twice(x)};
}

template <>
KERNEL_INLINE Y2 splat<Y2>(__m128 x)
{
    const __m256 all = twice(x);
    return {all, all};
}

template <>
KERNEL_INLINE Y4 splat<Y4>(__m128 x)
{
    const __m256 all = twice(x);
    return {all, all, all, all};
}

KERNEL_INLINE __m128 half(__m256 v, int j)
{
    return (j & 1) == 0 ? _mm256_castps256_ps128(v) : _mm256_extractf128_ps(v, 1);
}

KERNEL_INLINE __m256 halves(const V1* x)
{
    return _mm256_insertf128_ps(_mm256_castps128_ps256(x[0].a), x[1].a, 1);
}

KERNEL_INLINE V1 member(Y1 v, int j)
{
    return {half(v.a, j)};
}

KERNEL_INLINE V1 member(Y2 v, int j)
{
    return {half(j < 2 ? v.a : v.b, j)};
}

KERNEL_INLINE V1 member(Y4 v, int j)
{
    const int i = j >> 1;
    return {half(i == 0 ? v.a : (i == 1 ? v.b : (i == 2 ? v.c : v.d)), j)};
}

template <>
KERNEL_INLINE Y1 join<Y1>(const V1* x)
{
    return {halves(x)};
}

template <>
KERNEL_INLINE Y2 join<Y2>(const V1* x)
{
    return {halves(x), halves(x + 2)};
}

template <>
KERNEL_INLINE Y4 join<Y4>(const V1* x)
{
    return {halves(x), halves(x + 2), halves(x + 4), halves(x + 6)};
}

template <>
struct QuickStretches<Y2>
{
    static constexpr bool value = true;
};

template <>
struct QuickStretches<Y4>
{
    static constexpr bool value = true;
};
} // namespace

static_assert(sizeof(Y4) / sizeof(__m128) == kFilterAvx2Pairs, "one eight-lane group is eight pairs");
static_assert(sizeof(Y2) / sizeof(__m128) == kFilterHalfAvx2Pairs, "one half eight-lane group is four pairs");
const FilterGroupKernel FilterAvx2KernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(Y4);
const FilterGroupKernel FilterHalfAvx2KernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(Y2);

#undef ZENTROVA_GROUP_KERNELS
#undef KERNEL_BINARY_FOR
#undef KERNEL_INLINE

#include "simd/Avx2VectorsEnd.h"
