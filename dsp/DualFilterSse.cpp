#include "dsp/DualFilterSse.h"

#include "dsp/DenormalGuard.h"
#include "dsp/FilterConstants.h"
#include "dsp/FilterTables.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace
{
// A group size and its kernels.
using GroupKernels = std::pair<int, const FilterGroupKernel*>;

// The group sizes of a path, largest first; what is left after the smallest
// goes alone.
const GroupKernels kSixteenLanes[] = {{kFilterWidePairs, FilterWideKernelTable},
                                      {kFilterHalfWidePairs, FilterHalfWideKernelTable},
                                      {4, FilterFourPairKernelTable},
                                      {2, FilterTwoPairKernelTable}};
const GroupKernels kEightLanes[] = {{kFilterAvx2Pairs, FilterAvx2KernelTable},
                                    {kFilterHalfAvx2Pairs, FilterHalfAvx2KernelTable},
                                    {2, FilterTwoPairKernelTable}};
const GroupKernels kFourLanes[] = {{4, FilterFourPairKernelTable}, {2, FilterTwoPairKernelTable}};

struct GroupSizes
{
    const GroupKernels* first;
    int count;
};

GroupSizes groupSizes(SimdPath path)
{
    switch (path)
    {
    case SimdPath::Avx512:
        return {kSixteenLanes, static_cast<int>(std::size(kSixteenLanes))};
    case SimdPath::Avx2:
        return {kEightLanes, static_cast<int>(std::size(kEightLanes))};
    default:
        return {kFourLanes, static_cast<int>(std::size(kFourLanes))};
    }
}
} // namespace

DualFilterSse::DualFilterSse() : m_state(), m_fourPoleScale{true, true}, m_startedSlots(0)
{
    m_state.dampingTable = DampingTable;
    clear(kFilterLp4Pole);
}

void DualFilterSse::setCoefficientTable(const float* table)
{
    DualFilter::setCoefficientTable(table);
    m_state.coefficientTable = table;
    m_state.dampingTable = DampingTable;
}

void DualFilterSse::startSlot(int slot, int mode)
{
    const bool fourPole = isFourPoleMode(mode);
    const int lanes[2] = {slot, 2 + slot};
    for (int lane : lanes)
    {
        const float bias = (lane >= 2 && fourPole) ? 2.0f * kFilterBias : kFilterBias;
        m_state.bandPassIntegrators[lane] = bias;
        m_state.lowPassIntegrators[lane] = bias;
        m_state.fullStretches[lane] = 0.0f;
        m_state.bandPassOutputs[lane] = 0.0f;
        m_state.highPassOvershoots[lane] = 0.0f;
        m_state.cutoffs[lane] = 0.0f;
        m_state.dampings[lane] = 0.0f;
        m_state.cutoffSteps[lane] = 0.0f;
        m_state.dampingSteps[lane] = 0.0f;
    }
    m_fourPoleScale[slot] = fourPole;
}

void DualFilterSse::restartRamp(int slot, std::uint32_t word, std::int64_t currentSamples)
{
    // As if the ramp had run from 0 since the frame began.
    const float elapsed = static_cast<float>(kFrameSamples - currentSamples);
    for (int filter = 0; filter < 2; ++filter)
    {
        const int lane = slot + 2 * filter;
        const std::uint32_t half = word >> (16 * filter);
        m_state.cutoffSteps[lane] = m_coefficients[half & 0xFF] * kRampFactor;
        m_state.dampingSteps[lane] = DampingTable[(half >> 8) & 0xFF] * kRampFactor;
        m_state.cutoffs[lane] = m_state.cutoffSteps[lane] * elapsed;
        m_state.dampings[lane] = m_state.dampingSteps[lane] * elapsed;
    }
}

void DualFilterSse::holdStartedRamps(std::int64_t newSamples)
{
    // A start's ramp reaches its targets at the end of the call's current
    // samples. When the call ended inside the frame (a block shorter than the
    // tick in progress), the frame's remaining samples must not ramp on past
    // them: at up to twice its damping and cutoff the filter turns unstable.
    if (newSamples > 0)
        return;
    for (int slot = 0; slot < 2; ++slot)
    {
        if ((m_startedSlots & (1 << slot)) == 0)
            continue;
        for (int lane : {slot, 2 + slot})
        {
            m_state.cutoffSteps[lane] = 0.0f;
            m_state.dampingSteps[lane] = 0.0f;
        }
    }
}

void DualFilterSse::matchScale(int slot, bool fourPole)
{
    // A change between the four-pole and the parallel modes keeps filter B's
    // share of the output where it was: the four-pole modes weigh its output
    // twice, so its signal halves on the way in and doubles on the way out.
    // (Left as it was, the four-pole output would start from twice the share
    // the parallel modes gave it, well above either mode's level.) In the
    // stored numbers, at the scale each mode computes with, the bias is all
    // that moves; the band-pass output follows its integrator as a pass
    // leaves it.
    if (m_fourPoleScale[slot] == fourPole)
        return;
    const int lane = 2 + slot;
    for (float* integrator : {&m_state.bandPassIntegrators[lane], &m_state.lowPassIntegrators[lane]})
        *integrator = fourPole ? *integrator + kFilterBias
                               : std::max(std::min(*integrator - kFilterBias, kIntegratorLimit), -kIntegratorLimit);
    const float scale = fourPole ? 2.0f : 1.0f;
    m_state.bandPassOutputs[lane] =
        std::max(m_state.bandPassIntegrators[lane] - scale * kFilterBias, scale * kBandPassFloor);
    m_fourPoleScale[slot] = fourPole;
}

bool DualFilterSse::prepare(float* const* buffers, const std::uint32_t* const* streams, int activeMask,
                            std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples, int mode)
{
    m_startedSlots = currentSamples > 0 ? static_cast<int>(activeMask & m_startMask & 3u) : 0;
    for (int slot = 0; slot < 2; ++slot)
    {
        if ((m_startedSlots & (1 << slot)) == 0)
            continue;
        startSlot(slot, mode);
        restartRamp(slot, streams[slot][0], currentSamples);
    }
    if (mode == kFilterBypass)
    {
        copyThrough(buffers, activeMask, offset, currentSamples + newSamples);
        return false;
    }
    if (activeMask == 0)
        return false;
    const bool fourPole = isFourPoleMode(mode);
    matchScale(0, fourPole);
    matchScale(1, fourPole);
    return true;
}

void DualFilterSse::process(float* const* buffers, const std::uint32_t* const* streams, int activeMask,
                            std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples, int mode)
{
    if (mode < 0 || mode > kFilterBypass)
        return;
    activeMask &= 3;
    DenormalGuard guard;
    if (prepare(buffers, streams, activeMask, offset, currentSamples, newSamples, mode))
        FilterKernelTable[activeMask + 4 * mode](&m_state, buffers, streams, currentSamples / 2, offset,
                                                 newSamples / 2, static_cast<std::int32_t>((newSamples + 63) / 64));
    holdStartedRamps(newSamples);
}

void DualFilterSse::processPairs(DualFilterSse* const* filters, float* const* const* buffers,
                                 const std::uint32_t* const* const* streams, const int* activeMasks, int count,
                                 std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples, int mode,
                                 SimdPath path)
{
    if (mode < 0 || mode > kFilterBypass)
        return;
    const GroupSizes sizes = groupSizes(path);
    const GroupKernels* const groups = sizes.first;
    DenormalGuard guard;
    const int group = groups[0].first;
    constexpr int kMostPairs = kFilterWidePairs;
    FilterKernelState* states[kMostPairs];
    float* const* groupBuffers[kMostPairs];
    const std::uint32_t* const* groupStreams[kMostPairs];
    int masks[kMostPairs];
    const std::int64_t currentSteps = currentSamples / 2;
    const std::int64_t newSteps = newSamples / 2;
    const std::int32_t frames = static_cast<std::int32_t>((newSamples + 63) / 64);
    int waiting = 0;
    for (int i = 0; i < count; ++i)
    {
        const int mask = activeMasks[i] & 3;
        if (!filters[i]->prepare(buffers[i], streams[i], mask, offset, currentSamples, newSamples, mode))
            continue;
        states[waiting] = &filters[i]->m_state;
        groupBuffers[waiting] = buffers[i];
        groupStreams[waiting] = streams[i];
        masks[waiting] = mask;
        if (++waiting == group)
        {
            groups[0].second[mode](states, groupBuffers, groupStreams, masks, currentSteps, offset, newSteps, frames);
            waiting = 0;
        }
    }
    // The rest in the largest groups that fit.
    int done = 0;
    for (const GroupKernels* g = groups + 1; g != groups + sizes.count; ++g)
    {
        const auto& [pairs, table] = *g;
        while (waiting - done >= pairs)
        {
            table[mode](states + done, groupBuffers + done, groupStreams + done, masks + done, currentSteps, offset,
                        newSteps, frames);
            done += pairs;
        }
    }
    if (done < waiting)
        FilterKernelTable[masks[done] + 4 * mode](states[done], groupBuffers[done], groupStreams[done], currentSteps,
                                                  offset, newSteps, frames);
    for (int i = 0; i < count; ++i)
        filters[i]->holdStartedRamps(newSamples);
}
