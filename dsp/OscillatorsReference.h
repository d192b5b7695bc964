#pragma once

#include "dsp/OscillatorsFloat.h"

// The portable variant: plain loops with the same samples as the SSE one.
class OscillatorsReference : public OscillatorsFloat
{
public:
    OscillatorsReference();
    ~OscillatorsReference() override;

protected:
    void readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                     std::int32_t pulseOffset) override;
    void readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase) override;
    void generateNoise(int voice, int firstTick, int endTick) override;
};
