// Included first by a translation unit built for eight-lane vectors, with
// simd/Avx2VectorsEnd.h last: every function between them is built for AVX2
// and FMA and may be called only where the processor has both
// (SimdPath::Avx2 or wider). No include guard: it belongs to one unit.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC target("avx2,fma")
#endif
