#pragma once

#include <cstdint>

// The settings of one LFO (1 or 2), shared by its global LFO and by the LFO of
// that number in every voice. Phases count 2^24 per pass; a cycle is two
// passes told apart by the half flag, or one pass when shift is 1.
struct LfoParameters
{
    // 1 for the waves that run once per cycle (the saws and pattern 1): their
    // step is halved so one pass takes a whole cycle.
    std::int32_t shift = 0;
    // Phase step per tick in force.
    std::int64_t increment = 0;
    // Fade-in step per tick after a gate.
    std::int64_t introStep = 0;
    std::int32_t syncMode = 0;
    std::int32_t wave = 0;
    // Tempo grid, in ticks: where the next clock tick lies and how far apart
    // clock ticks are (0 while unknown in this block).
    std::int64_t nextClockTick = 0;
    std::int64_t clockPeriod = 0;
    float clockPeriodFloat = 0.0f;
    // Cycles per clock period.
    float ratio = 0.0f;
    float inverseRatio = 0.0f;
    std::int64_t syncIncrement = 0;
    // Ticks per cycle on the clock grid.
    float cycleLength = 0.0f;
    float cyclesPerTick = 0.0f;
    float inverseClockPeriod = 0.0f;
    bool syncAllowed = true;
    std::int64_t freeIncrement = 0;
    // Per-voice rate spread applies only where this is all ones.
    std::int64_t spreadMask = -1;
    float hostSampleRate = 44100.0f;
};
