#include "simd/FilterKernels.h"

#include "dsp/FilterConstants.h"
#include "simd/FilterKernelTemplates.h"

namespace
{
constexpr FilterLimitVector sameInAllLanes(float v)
{
    return {{v, v, v, v}};
}

// Filter B of the four-pole modes runs at twice the unit scale: its input is
// the unhalved sum of filter A's two passes and its output sum needs no
// doubling. All constants scale exactly, so the result is bit for bit that of
// the unit-scale filter.
constexpr FilterLimitVector doubledInLanesB(float v)
{
    return {{v, v, 2.0f * v, 2.0f * v}};
}
}

const FilterLimitVector FilterLimitTable[2 * kLimitGroupSize] = {
    doubledInLanesB(kOvershootThreshold),
    doubledInLanesB(kIntegratorLimit),
    doubledInLanesB(kIntegratorLimit),
    doubledInLanesB(kHighPassLimit),
    doubledInLanesB(kFilterBias),
    doubledInLanesB(kFilterBias),
    doubledInLanesB(-kOvershootThreshold),
    doubledInLanesB(-kIntegratorLimit),
    doubledInLanesB(-kIntegratorLimit),
    doubledInLanesB(-kHighPassLimit),
    doubledInLanesB(kBandPassFloor),
    doubledInLanesB(kLowPassFloor),
    sameInAllLanes(kOvershootThreshold),
    sameInAllLanes(kIntegratorLimit),
    sameInAllLanes(kIntegratorLimit),
    sameInAllLanes(kHighPassLimit),
    sameInAllLanes(kFilterBias),
    sameInAllLanes(kFilterBias),
    sameInAllLanes(-kOvershootThreshold),
    sameInAllLanes(-kIntegratorLimit),
    sameInAllLanes(-kIntegratorLimit),
    sameInAllLanes(-kHighPassLimit),
    sameInAllLanes(kBandPassFloor),
    sameInAllLanes(kLowPassFloor),
};

namespace
{
void ProcessNothing(FilterKernelState*, float* const*, const std::uint32_t* const*, std::int64_t, std::int64_t,
                    std::int64_t, std::int32_t)
{
}

#undef KERNEL_INLINE
}

#define ZENTROVA_FILTER_KERNEL(name, useA, useB, fourPole, mask)                                                  \
    void name(FilterKernelState* state, float* const* buffers, const std::uint32_t* const* streams,               \
              std::int64_t currentSteps, std::int64_t offset, std::int64_t newSteps, std::int32_t frames)          \
    {                                                                                                              \
        kernel<useA, useB, fourPole, mask>(state, buffers, streams, currentSteps, offset, newSteps, frames);      \
    }
#define ZENTROVA_FILTER_KERNELS(mode, useA, useB, fourPole)                                                       \
    ZENTROVA_FILTER_KERNEL(Process##mode##1, useA, useB, fourPole, 1)                                              \
    ZENTROVA_FILTER_KERNEL(Process##mode##2, useA, useB, fourPole, 2)                                              \
    ZENTROVA_FILTER_KERNEL(Process##mode##3, useA, useB, fourPole, 3)

ZENTROVA_FILTER_KERNELS(Lp4Pole, kLowPass, kLowPass, true)
ZENTROVA_FILTER_KERNELS(Bp4Pole, kHighPass, kLowPass, true)
ZENTROVA_FILTER_KERNELS(Hp4Pole, kHighPass, kHighPass, true)
ZENTROVA_FILTER_KERNELS(LpLp, kLowPass, kLowPass, false)
ZENTROVA_FILTER_KERNELS(BpBp, kBandPass, kBandPass, false)
ZENTROVA_FILTER_KERNELS(HpHp, kHighPass, kHighPass, false)
ZENTROVA_FILTER_KERNELS(LpBp, kLowPass, kBandPass, false)
ZENTROVA_FILTER_KERNELS(LpHp, kLowPass, kHighPass, false)
ZENTROVA_FILTER_KERNELS(BpHp, kBandPass, kHighPass, false)

#undef ZENTROVA_FILTER_KERNELS
#undef ZENTROVA_FILTER_KERNEL

const FilterGroupKernel FilterTwoPairKernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(V2);
const FilterGroupKernel FilterFourPairKernelTable[kFilterModeCount] = ZENTROVA_GROUP_KERNELS(V4);

#undef ZENTROVA_GROUP_KERNELS
#undef KERNEL_BINARY_FOR

const FilterKernel FilterKernelTable[36] = {
    ProcessNothing, ProcessLp4Pole1, ProcessLp4Pole2, ProcessLp4Pole3,
    ProcessNothing, ProcessBp4Pole1, ProcessBp4Pole2, ProcessBp4Pole3,
    ProcessNothing, ProcessHp4Pole1, ProcessHp4Pole2, ProcessHp4Pole3,
    ProcessNothing, ProcessLpLp1,    ProcessLpLp2,    ProcessLpLp3,
    ProcessNothing, ProcessBpBp1,    ProcessBpBp2,    ProcessBpBp3,
    ProcessNothing, ProcessHpHp1,    ProcessHpHp2,    ProcessHpHp3,
    ProcessNothing, ProcessLpBp1,    ProcessLpBp2,    ProcessLpBp3,
    ProcessNothing, ProcessLpHp1,    ProcessLpHp2,    ProcessLpHp3,
    ProcessNothing, ProcessBpHp1,    ProcessBpHp2,    ProcessBpHp3,
};
