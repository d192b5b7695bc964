#pragma once

#include <cstdint>

// A tick's oscillator mixer gains.
struct MixerGains
{
    float osc1 = 0.0f;
    float osc2 = 0.0f;
    float noise = 0.0f;
    float ring = 0.0f;
};

// What a voice group hands its voices each tick: the note, the bend, the
// envelopes and LFO fades, and the controller terms of each destination,
// computed once for all voices of the group.
struct GroupModulation
{
    // Every tick, also in quick ones: how far each pulse-width LFO moves.
    float pwmPhaseStep[2] = {0.0f, 0.0f};
    int note = 60;
    int secondNote = 60;
    // 16.16 semitones.
    std::int64_t bend = 0;
    // Envelope 1 and 2 outputs (24-bit levels, envelope 2 scaled by
    // velocity).
    std::int64_t envelope[2] = {0, 0};
    // LFO 1 and 2 depth after their intro (0..0xFFFFFF).
    std::int64_t fade[2] = {0, 0};
    // Filter input level that scales the mixer gains.
    float level = 0.0f;
    // The mixer gains of every voice, while no voice's auxiliary modulation
    // moves the mix (gainsShared).
    bool gainsShared = false;
    MixerGains gains;
    // Controller parts of the LFO depths of pitch, filter and aux.
    std::int64_t pitchControl = 0;
    std::int64_t filterControl = 0;
    std::int64_t auxControl = 0;
    // Controller parts of the filter's cutoff, separation and resonance.
    std::int64_t cutoffControl = 0;
    std::int64_t separationControl = 0;
    std::int64_t resonanceControl = 0;
};
