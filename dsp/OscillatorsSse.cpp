#include "dsp/OscillatorsSse.h"

#include "simd/OscillatorKernels.h"

OscillatorsSse::OscillatorsSse(SimdPath path)
    : m_carry{}, m_read(interpolateOscillatorAsm), m_readPulse(interpolateOscillatorPwmAsm), m_noise(processNoiseAsm)
{
    if (path == SimdPath::Avx512)
    {
        m_read = interpolateOscillatorWide;
        m_readPulse = interpolateOscillatorPwmWide;
        m_noise = processNoiseWide;
    }
    else if (path == SimdPath::Avx2)
    {
        m_read = interpolateOscillatorAvx2;
        m_readPulse = interpolateOscillatorPwmAvx2;
        m_noise = processNoiseAvx2;
    }
}

OscillatorsSse::~OscillatorsSse() = default;

void OscillatorsSse::seedVoice(int voice, std::uint32_t seed)
{
    std::uint32_t x = seed;
    for (float& sample : m_carry[voice])
    {
        sample = noiseSample(x);
        x = nextNoiseState(x);
    }
    m_noiseState[voice] = x;
}

void OscillatorsSse::readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                                 std::int32_t pulseOffset)
{
    const WaveTableRead read = m_waveMipMap.getTable(oscillator, pitch);
    const int k = 16 - read.shift;
    const std::uint32_t offset = static_cast<std::uint32_t>(pulseOffset >> read.shift);
    std::uint32_t position = m_readPulse(oscillatorConstants, read.table, write, 16,
                                          tablePosition(phase, read.shift), read.step << k, read.indexMask, offset);
    phase = cyclePhase(position, read.shift);
    write += kTickSamples;
}

void OscillatorsSse::readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase)
{
    const WaveTableRead read = m_waveMipMap.getTable(oscillator, pitch);
    const int k = 16 - read.shift;
    std::uint32_t position = m_read(oscillatorConstants, read.table, write, 15, tablePosition(phase, read.shift),
                                    read.step << k, read.indexMask);
    phase = cyclePhase(position, read.shift);
    write += kTickSamples;
}

void OscillatorsSse::generateNoise(int voice, int firstTick, int endTick)
{
    m_noiseState[voice] = m_noise(audio(2, voice), firstTick, m_carry[voice], endTick, m_noiseState[voice]);
}
