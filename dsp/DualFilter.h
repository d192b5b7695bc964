#pragma once

#include "dsp/AlignedNew.h"

#include <cstdint>

// The voice filter of one voice pair: per slot (0 = the even voice, 1 = the
// odd one) two saturating state-variable filters A and B, combined in one of
// nine modes (dsp/FilterConstants.h). Cutoff and damping come once per
// 64-sample frame as a filter parameter word per slot (bits 0-7 cutoff index
// of A, 8-15 damping index of A, 16-31 the same for B) and ramp linearly
// across the frame.
//
// Objects live on 16-byte boundaries (the class allocates them itself), so
// vector code may use aligned loads and stores on their state.
class DualFilter : public AlignedNew
{
public:
    DualFilter();
    virtual ~DualFilter();

    // Starts slot 0, then slot 1.
    virtual void clear(int mode);

    // Resets the slot's filter state and coefficients; the mode tells the
    // variant which internal scale the slot will run at.
    virtual void startSlot(int slot, int mode) = 0;

    // buffers: input and output of slot 0, then of slot 1. streams: one
    // parameter word per frame and slot, the first being that of the call's
    // first new frame. The call's first sample lies offset samples before each
    // buffer pointer. currentSamples (0..64) finish the frame in progress with
    // the ramp already in force; newSamples follow, a new word every 64 of them.
    // Only the slots in activeMask (bit 0 = slot 0) are read and written; a
    // slot whose start bit is set is started when the call begins inside a
    // frame. Mode 9 copies input to output.
    virtual void process(float* const* buffers, const std::uint32_t* const* streams, int activeMask,
                         std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples,
                         int mode) = 0;

    // The 256 cutoff coefficients, shared and owned by the caller.
    virtual void setCoefficientTable(const float* table);

    std::uint32_t startMask() const { return m_startMask; }
    void setStartMask(std::uint32_t mask) { m_startMask = mask; }

    DualFilter(const DualFilter&) = delete;
    DualFilter& operator=(const DualFilter&) = delete;

protected:
    // The bypass: count samples of every active slot from input to output.
    static void copyThrough(float* const* buffers, int activeMask, std::int64_t offset, std::int64_t count);

    const float* m_coefficients;
    std::uint32_t m_startMask;
};
