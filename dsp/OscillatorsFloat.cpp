#include "dsp/OscillatorsFloat.h"

#include "dsp/OscillatorsReference.h"
#include "dsp/OscillatorsSse.h"
#include "simd/SystemInfo.h"

#include <cmath>

OscillatorsFloat::OscillatorsFloat()
    : m_a1(0.0f), m_a2(0.0f), m_a3(0.0f), m_b1(0.0f), m_b2(0.0f), m_b3(0.0f), m_y1(0.0f), m_y2(0.0f), m_y3(0.0f)
{
    m_pWaveMipMap = &m_waveMipMap;
}

OscillatorsFloat::~OscillatorsFloat() = default;

std::unique_ptr<OscillatorsFloat> OscillatorsFloat::create()
{
    const SystemInfo system;
    if (system.hasSse())
        return std::make_unique<OscillatorsSse>(system.simdPath());
    return std::make_unique<OscillatorsReference>();
}

void OscillatorsFloat::reset()
{
    m_y1 = m_y2 = m_y3 = 0.0f;
    Oscillators::reset();
}

void OscillatorsFloat::setSampleRate(float hostRate)
{
    if (!std::isfinite(hostRate) || hostRate <= 0.0f)
        return;
    // Three one-pole low-passes whose weighted sum falls at about 3 dB per
    // octave over the audio band.
    const double rate = hostRate;
    const double a1 = std::exp(-103.67256 / rate);
    const double a2 = std::exp(-1665.0442 / rate);
    const double a3 = std::exp(-24787.166 / rate);
    m_a1 = static_cast<float>(a1);
    m_a2 = static_cast<float>(a2);
    m_a3 = static_cast<float>(a3);
    m_b1 = static_cast<float>(4.0 * (1.0 - a1));
    m_b2 = static_cast<float>(4.0 * 0.19 * (1.0 - a2));
    m_b3 = static_cast<float>(4.0 * 0.058 * (1.0 - a3));
    m_y1 = m_y2 = m_y3 = 0.0f;
}

void OscillatorsFloat::seedVoice(int voice, std::uint32_t seed)
{
    m_noiseState[voice] = seed;
}

void OscillatorsFloat::renderWhiteNoise(int voice, int firstTick, int endTick)
{
    generateNoise(voice, firstTick, endTick);
}

void OscillatorsFloat::renderPinkNoise(int voice, int firstTick, int endTick)
{
    generateNoise(voice, firstTick, endTick);
    float* buffer = audio(2, voice);
    float y1 = m_y1, y2 = m_y2, y3 = m_y3;
    for (int n = kTickSamples * firstTick; n < kTickSamples * endTick; ++n)
    {
        const float x = buffer[n];
        y1 = m_a1 * y1 + m_b1 * x;
        y2 = m_a2 * y2 + m_b2 * x;
        y3 = m_a3 * y3 + m_b3 * x;
        buffer[n] = y1 + y2 + y3;
    }
    m_y1 = y1;
    m_y2 = y2;
    m_y3 = y3;
}

void OscillatorsFloat::renderPulse(int oscillator, int voice, int firstTick, int endTick)
{
    float* write = audio(oscillator, voice) + kTickSamples * firstTick;
    std::uint32_t& phase = m_phase[oscillator][voice];
    for (int t = firstTick; t < endTick; ++t)
        readPwmTick(write, oscillator, pitchAt(oscillator, voice, t), phase,
                    pulseWidthAt(oscillator, voice, t) * 16384);
}

void OscillatorsFloat::renderWave(int oscillator, int voice, int firstTick, int endTick)
{
    float* write = audio(oscillator, voice) + kTickSamples * firstTick;
    std::uint32_t& phase = m_phase[oscillator][voice];
    for (int t = firstTick; t < endTick; ++t)
        readWaveTick(write, oscillator, pitchAt(oscillator, voice, t), phase);
}
