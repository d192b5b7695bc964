#pragma once

#include <cstdint>

// Four-lane kernels of the dual filter. Every vector of the state holds the
// four filters of a voice pair in the lane order slot 0 A, slot 1 A,
// slot 0 B, slot 1 B, so slot s owns lanes s and 2 + s.
struct alignas(16) FilterKernelState
{
    float bandPassIntegrators[4]; // with the bias added
    float lowPassIntegrators[4];  // with the bias added
    // Lane 0: stretches that a group led by this pair still filters in full.
    float fullStretches[4];
    float bandPassOutputs[4];
    float highPassOvershoots[4];
    float cutoffs[4];
    float dampings[4];
    float cutoffSteps[4];
    float dampingSteps[4];
    const float* coefficientTable;
    const float* dampingTable;
};

struct alignas(16) FilterLimitVector
{
    float lane[4];
};

// Arguments: state; input and output of slot 0, then of slot 1; the parameter
// word streams of both slots; steps (two samples each) that finish the
// current frame; offset in samples by which each buffer pointer is moved back;
// steps of the new frames; number of new frames. Only the active slots'
// buffers and streams are touched; the other slot's lanes are left as they
// were.
using FilterKernel = void (*)(FilterKernelState* state, float* const* buffers, const std::uint32_t* const* streams,
                              std::int64_t currentSteps, std::int64_t offset, std::int64_t newSteps,
                              std::int32_t frames);

// Entry [mask + 4 x mode]; column 0 does nothing.
extern const FilterKernel FilterKernelTable[36];

// Two or four pairs in one loop, so that the latency of each pair's passes is
// filled with the others' work; the result is that of the single kernels.
// Arguments as above, one per pair, and each pair's active mask (1-3).
using FilterGroupKernel = void (*)(FilterKernelState* const* states, float* const* const* buffers,
                                   const std::uint32_t* const* const* streams, const int* masks,
                                   std::int64_t currentSteps, std::int64_t offset, std::int64_t newSteps,
                                   std::int32_t frames);

// Entry [mode].
extern const FilterGroupKernel FilterTwoPairKernelTable[9];
extern const FilterGroupKernel FilterFourPairKernelTable[9];

// Sixteen or eight pairs in one loop on sixteen-lane vectors, for processors
// with AVX-512 only; the result is again that of the single kernels.
constexpr int kFilterWidePairs = 16;
extern const FilterGroupKernel FilterWideKernelTable[9];
constexpr int kFilterHalfWidePairs = 8;
extern const FilterGroupKernel FilterHalfWideKernelTable[9];

// Eight or four pairs in one loop on eight-lane vectors, for processors with
// AVX2 and FMA only; the result is again that of the single kernels.
constexpr int kFilterAvx2Pairs = 8;
extern const FilterGroupKernel FilterAvx2KernelTable[9];
constexpr int kFilterHalfAvx2Pairs = 4;
extern const FilterGroupKernel FilterHalfAvx2KernelTable[9];

// Twelve vectors for the four-pole modes, whose filter B runs at twice the
// unit scale, then twelve for the parallel modes. In each group the six upper
// bounds and biases come first, then the six lower bounds and floors.
enum FilterLimit
{
    kLimitOvershootUpper,
    kLimitLowPassIntegratorUpper,
    kLimitBandPassIntegratorUpper,
    kLimitHighPassUpper,
    kLimitBandPassBias,
    kLimitLowPassBias,
    kLimitOvershootLower,
    kLimitLowPassIntegratorLower,
    kLimitBandPassIntegratorLower,
    kLimitHighPassLower,
    kLimitBandPassFloor,
    kLimitLowPassFloor,
    kLimitGroupSize
};
constexpr int kFourPoleLimits = 0;
constexpr int kParallelLimits = kLimitGroupSize;
extern const FilterLimitVector FilterLimitTable[2 * kLimitGroupSize];

#define ZENTROVA_FILTER_KERNEL(name)                                                                              \
    void name(FilterKernelState* state, float* const* buffers, const std::uint32_t* const* streams,               \
              std::int64_t currentSteps, std::int64_t offset, std::int64_t newSteps, std::int32_t frames)

ZENTROVA_FILTER_KERNEL(ProcessLp4Pole1);
ZENTROVA_FILTER_KERNEL(ProcessLp4Pole2);
ZENTROVA_FILTER_KERNEL(ProcessLp4Pole3);
ZENTROVA_FILTER_KERNEL(ProcessBp4Pole1);
ZENTROVA_FILTER_KERNEL(ProcessBp4Pole2);
ZENTROVA_FILTER_KERNEL(ProcessBp4Pole3);
ZENTROVA_FILTER_KERNEL(ProcessHp4Pole1);
ZENTROVA_FILTER_KERNEL(ProcessHp4Pole2);
ZENTROVA_FILTER_KERNEL(ProcessHp4Pole3);
ZENTROVA_FILTER_KERNEL(ProcessLpLp1);
ZENTROVA_FILTER_KERNEL(ProcessLpLp2);
ZENTROVA_FILTER_KERNEL(ProcessLpLp3);
ZENTROVA_FILTER_KERNEL(ProcessBpBp1);
ZENTROVA_FILTER_KERNEL(ProcessBpBp2);
ZENTROVA_FILTER_KERNEL(ProcessBpBp3);
ZENTROVA_FILTER_KERNEL(ProcessHpHp1);
ZENTROVA_FILTER_KERNEL(ProcessHpHp2);
ZENTROVA_FILTER_KERNEL(ProcessHpHp3);
ZENTROVA_FILTER_KERNEL(ProcessLpBp1);
ZENTROVA_FILTER_KERNEL(ProcessLpBp2);
ZENTROVA_FILTER_KERNEL(ProcessLpBp3);
ZENTROVA_FILTER_KERNEL(ProcessLpHp1);
ZENTROVA_FILTER_KERNEL(ProcessLpHp2);
ZENTROVA_FILTER_KERNEL(ProcessLpHp3);
ZENTROVA_FILTER_KERNEL(ProcessBpHp1);
ZENTROVA_FILTER_KERNEL(ProcessBpHp2);
ZENTROVA_FILTER_KERNEL(ProcessBpHp3);

#undef ZENTROVA_FILTER_KERNEL
