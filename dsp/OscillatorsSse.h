#pragma once

#include "simd/SystemInfo.h"
#include "dsp/OscillatorsFloat.h"

// The four-lane variant. Its noise generator runs four samples ahead: the
// carry vector holds a voice's next four samples. On a wider path (only
// where the processor runs it) its kernels run on eight- or sixteen-lane
// vectors, with the same samples.
class OscillatorsSse : public OscillatorsFloat
{
public:
    explicit OscillatorsSse(SimdPath path = SimdPath::Sse);
    ~OscillatorsSse() override;

    void seedVoice(int voice, std::uint32_t seed) override;

protected:
    void readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                     std::int32_t pulseOffset) override;
    void readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase) override;
    void generateNoise(int voice, int firstTick, int endTick) override;

private:
    using Reader = std::uint32_t (*)(const float*, const float*, float*, std::int64_t, std::uint32_t, std::uint32_t,
                                     std::uint32_t);
    using PulseReader = std::uint32_t (*)(const float*, const float*, float*, std::int64_t, std::uint32_t,
                                          std::uint32_t, std::uint32_t, std::uint32_t);
    using NoiseGenerator = std::uint32_t (*)(float*, std::int64_t, float*, std::int64_t, std::uint32_t);

    alignas(16) float m_carry[kVoices][4];
    Reader m_read;
    PulseReader m_readPulse;
    NoiseGenerator m_noise;
};
