#pragma once

#include "dsp/OscillatorsFloat.h"

// The four-lane variant. Its noise generator runs four samples ahead: the
// carry vector holds a voice's next four samples.
class OscillatorsSse : public OscillatorsFloat
{
public:
    OscillatorsSse();
    ~OscillatorsSse() override;

    void seedVoice(int voice, std::uint32_t seed) override;

protected:
    void readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                     std::int32_t pulseOffset) override;
    void readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase) override;
    void generateNoise(int voice, int firstTick, int endTick) override;

private:
    alignas(16) float m_carry[kVoices][4];
};
