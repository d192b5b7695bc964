// Included first by a translation unit built for sixteen-lane vectors, with
// simd/WideVectorsEnd.h last: every function between them is built for
// AVX-512 and may be called only where the processor has it
// (SystemInfo::hasWideVectors). No include guard: it belongs to one unit.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC target("avx512f")
// GCC 12's AVX-512 intrinsics start from a deliberately undefined vector,
// which its own flow analysis then reports.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
