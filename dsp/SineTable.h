#pragma once

// An 8-bit sine: 256 phase steps per cycle, amplitude 255, built from a
// 64-entry quarter wave. Integer only, so harmonic waves come out the same
// on every machine.
class SineTable
{
public:
    virtual ~SineTable();

    // x: phase, 256 per cycle (only the low 8 bits count). Result -255..255.
    static int lookup(int x);
};
