#pragma once

#include "dsp/Oscillators.h"
#include "dsp/WaveMipMap.h"

#include <memory>

// What the two kernel variants share: the tick loops, the pink-noise
// colouring and the wave tables.
class OscillatorsFloat : public Oscillators
{
public:
    OscillatorsFloat();
    ~OscillatorsFloat() override;

    // The four-lane variant when the processor has SSE (and tests have not
    // forced the portable one), on sixteen-lane vectors where it has AVX-512;
    // else the portable variant.
    static std::unique_ptr<OscillatorsFloat> create();

    void reset() override;
    void setSampleRate(float hostRate) override;
    void seedVoice(int voice, std::uint32_t seed) override;
    void renderWhiteNoise(int voice, int firstTick, int endTick) override;
    void renderPinkNoise(int voice, int firstTick, int endTick) override;
    void renderPulse(int oscillator, int voice, int firstTick, int endTick) override;
    void renderWave(int oscillator, int voice, int firstTick, int endTick) override;

    WaveMipMap& waveMipMap() { return m_waveMipMap; }

protected:
    // The readers work in table units: the index (one sample before the
    // phase) in bits 16 and up and a 16-bit fraction.
    static std::uint32_t tablePosition(std::uint32_t phase, int shift)
    {
        return (phase << (16 - shift)) - 65536u;
    }
    // Back to 2^24 per cycle, to the nearest unit.
    static std::uint32_t cyclePhase(std::uint32_t position, int shift)
    {
        return (position + 65536u + (32768u >> shift)) >> (16 - shift);
    }

    WaveMipMap m_waveMipMap;

private:
    // One pink filter for the whole section, run voice after voice.
    float m_a1, m_a2, m_a3;
    float m_b1, m_b2, m_b3;
    float m_y1, m_y2, m_y3;
};
