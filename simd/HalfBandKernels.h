#pragma once

#include <cstdint>

// Four-lane decimator kernels. history points at the newest state block;
// each output writes the new input and section outputs one step further
// down (16 bytes per output in mono, 32 in stereo), so the state is never
// shifted. gain holds four copies of the stored gain, 16-byte aligned.
using HalfBandKernel = void (*)(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                                const float* gain);

void HbfSseProcessMono(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                       const float* gain);
void HbfSseProcessReplacingMono(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                                const float* gain);
void HbfSseProcessStereo(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                         const float* gain);
void HbfSseProcessReplacingStereo(const float* input, float* history, float* outLeft, float* outRight, int64_t n,
                                  const float* gain);

// Indexed by replacing + 2 x stereo.
extern const HalfBandKernel HalfBandKernelTable[4];

// Floats in one state block: the last input and the six section outputs,
// one vector each per stream (one stream in mono, two in stereo).
constexpr int kHalfBandBlockVectors = 7;
