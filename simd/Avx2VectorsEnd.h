// Closes what simd/Avx2VectorsBegin.h opened.
#if defined(__clang__)
#pragma clang attribute pop
#endif
