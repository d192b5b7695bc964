#pragma once

#include "dsp/ChorusIntIndex.h"

// The chorus the effects section creates: the plain kernel over the
// fixed-point taps.
class ChorusIntReference : public ChorusIntIndex
{
public:
    bool process(const float* in, float* out, int n) override;
    void processChunk(const float* in, float* out, int n) override;
    // Moves the sweep and the delay line's place on as n frames of silence
    // would, without reading or writing the line: for a silence in which the
    // line holds nothing audible; a level ramp moves on too. False, with
    // nothing moved, while the taps are smoothed.
    bool skip(int n);
    bool canSkip() const { return m_mode != 4; }

private:
    void turnSweeps();
    template <int Taps, bool Smoothed>
    void readTaps(int n);
    template <int Mode>
    void mixOutput(float* out, int frames);
};
