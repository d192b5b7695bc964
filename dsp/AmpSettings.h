#pragma once

#include "simd/GainKernels.h"

#include <cstdint>

// The envelope settings every amplifier of the bank shares, and the tables
// derived from them. The level curve runs through 16 levels (in dB, -82 to
// 0); each segment between two levels is a run of equal per-sample
// multipliers, so the stages cost one multiplication per sample.
struct AmpSettings
{
    static constexpr int kLevels = 16;
    static const float kLevelTable[kLevels]; // dB

    AmpSettings();

    // Host rate.
    void setSampleRate(float hostRate);
    // Per-sample multipliers of segments 1..15 (index 0 unused) for a rise
    // from the floor to 1.0 that takes the attack time at this velocity.
    void attackTable(int velocity, float* table) const;
    // Multipliers of a fall from 1.0 to the floor in time x factor seconds.
    void fallingTable(float time, float factor, float* table) const;
    void decayTable(int velocity, float* table) const;
    void releaseTable(int velocity, float* table) const;

    float floor() const { return levels[0]; }

    // Linear, never below the floor.
    float sustain;
    float unity;
    float levels[kLevels];
    float rate2x;
    // Seconds.
    float attack;
    float decay;
    float release;
    // ln(1 / amount) / 64 of the velocity amounts.
    float velAttack;
    float velRelease;
    // Per-sample factors of the sustain glide: 240 dB per second.
    float rampUp;
    float rampDown;
    // Release-time factor while hold 2 is down.
    float hold2Scale;
    std::int64_t hold2;
    // Engine samples over which a sounding voice moves to a new pan.
    std::int64_t panRampLength;
    // The loop of a steady level and pan; the bank may choose the wide one.
    PanKernel panSteady = panSteadyLevel;
};
