// Closes what simd/WideVectorsBegin.h opened.
#if defined(__clang__)
#pragma clang attribute pop
#endif
