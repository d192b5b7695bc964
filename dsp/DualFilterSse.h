#pragma once

#include "simd/SystemInfo.h"
#include "dsp/DualFilter.h"
#include "simd/FilterKernels.h"

// The dual filter on four-lane vectors: the four filters of the pair share
// every instruction, through the kernel chosen by mode and active mask.
class DualFilterSse : public DualFilter
{
public:
    DualFilterSse();

    void startSlot(int slot, int mode) override;
    void process(float* const* buffers, const std::uint32_t* const* streams, int activeMask, std::int64_t offset,
                 std::int64_t currentSamples, std::int64_t newSamples, int mode) override;
    void setCoefficientTable(const float* table) override;

    // The same as process on each of count filters (for the same samples and
    // mode, each with its own buffers, streams and active mask), but the
    // pairs go through the kernels several at a time: on the vectors of the
    // path, which only a processor that runs it may ask for (sixteen or eight
    // at a time on sixteen lanes, eight or four on eight lanes).
    static void processPairs(DualFilterSse* const* filters, float* const* const* buffers,
                             const std::uint32_t* const* const* streams, const int* activeMasks, int count,
                             std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples, int mode,
                             SimdPath path = SimdPath::Sse);

private:
    // Starts and bypass; true when a kernel has to run.
    bool prepare(float* const* buffers, const std::uint32_t* const* streams, int activeMask, std::int64_t offset,
                 std::int64_t currentSamples, std::int64_t newSamples, int mode);
    void restartRamp(int slot, std::uint32_t word, std::int64_t currentSamples);
    void holdStartedRamps(std::int64_t newSamples);
    void matchScale(int slot, bool fourPole);

    FilterKernelState m_state;
    // Per slot: its filter B lanes run at the doubled scale of the four-pole
    // modes.
    bool m_fourPoleScale[2];
    // The slots started by the call in progress.
    int m_startedSlots;
};
