#pragma once

#include <cstdint>

// The settings of one modulation envelope ("Env 1" or "Env 2"), shared by
// that envelope of every voice group. Levels run 0..2^24 - 1; steps are per
// tick (32 host samples).
struct ModEnvelopeParameters
{
    // In ticks.
    std::int64_t delay = 0;
    std::int64_t attackStep = 0;
    std::int64_t decayStep = 0;
    std::int64_t sustain = 0;
    std::int64_t releaseStep = 0;
    // ln(1 / amount) / 64 for the Vel->Attack and Vel->Release amounts.
    float velocityAttackFactor = 0.0f;
    float velocityReleaseFactor = 0.0f;
    bool hold2 = false;
    float hold2Scale = 2.0f;
    // The hold-2 factor in force on the release time.
    float releaseScale = 1.0f;
    // A gate-on while the gate is open starts again from 0.
    bool retrigger = false;
};
