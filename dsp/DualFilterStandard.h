#pragma once

#include "dsp/DualFilter.h"

// The portable dual filter, slot by slot and sample by sample. It is the
// reference for the arithmetic of the vector variant: both start a slot the
// same way and agree sample by sample.
class DualFilterStandard : public DualFilter
{
public:
    DualFilterStandard();

    void startSlot(int slot, int mode) override;
    void process(float* const* buffers, const std::uint32_t* const* streams, int activeMask, std::int64_t offset,
                 std::int64_t currentSamples, std::int64_t newSamples, int mode) override;

private:
    void restartRamp(int slot, std::uint32_t word, std::int64_t currentSamples);
    void beginFrame(int slot, std::uint32_t word);
    void holdRamp(int slot);
    void filter(int slot, const float* in, float* out, std::int64_t count, int mode);
    // Filter B's state carried into the slot's new mode family.
    void carryFilterB(int slot, bool fourPole);

    // Per lane (2 x slot + filter, filter A = 0): the integrators hold the
    // bias; the overshoot is stored negated.
    float m_bandPassIntegrator[4];
    float m_lowPassIntegrator[4];
    float m_highPass[4];
    float m_lowPass[4];
    float m_bandPass[4];
    float m_negatedOvershoot[4];
    float m_cutoff[4];
    float m_damping[4];
    float m_cutoffStep[4];
    float m_dampingStep[4];
    float m_reserved[4];
    // Per slot: the mode family its filter B last ran in.
    bool m_fourPole[2];
};
