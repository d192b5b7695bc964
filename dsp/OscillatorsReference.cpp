#include "dsp/OscillatorsReference.h"

#include "simd/OscillatorKernels.h"

OscillatorsReference::OscillatorsReference() = default;

OscillatorsReference::~OscillatorsReference() = default;

void OscillatorsReference::readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                                       std::int32_t pulseOffset)
{
    const WaveTableRead read = m_waveMipMap.getTable(oscillator, pitch);
    const int k = 16 - read.shift;
    const std::uint32_t offset = static_cast<std::uint32_t>(pulseOffset >> read.shift);
    std::uint32_t position = interpolateOscillatorPwm(read.table, write, kTickSamples, tablePosition(phase, read.shift),
                                                      read.step << k, read.indexMask, offset);
    phase = cyclePhase(position, read.shift);
    write += kTickSamples;
}

void OscillatorsReference::readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase)
{
    const WaveTableRead read = m_waveMipMap.getTable(oscillator, pitch);
    const int k = 16 - read.shift;
    std::uint32_t position = interpolateOscillator(read.table, write, kTickSamples, tablePosition(phase, read.shift),
                                                   read.step << k, read.indexMask);
    phase = cyclePhase(position, read.shift);
    write += kTickSamples;
}

void OscillatorsReference::generateNoise(int voice, int firstTick, int endTick)
{
    m_noiseState[voice] = processNoise(audio(2, voice), firstTick, endTick, m_noiseState[voice]);
}
