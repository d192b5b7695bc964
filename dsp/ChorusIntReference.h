#pragma once

#include "dsp/ChorusIntIndex.h"

// The chorus the effects section creates: the plain kernel over the
// fixed-point taps.
class ChorusIntReference : public ChorusIntIndex
{
public:
    bool process(const float* in, float* out, int n) override;
    void processChunk(const float* in, float* out, int n) override;

private:
    template <int Taps, bool Smoothed>
    void readTaps(int n);
    template <int Mode>
    void mixOutput(float* out, int frames);
};
