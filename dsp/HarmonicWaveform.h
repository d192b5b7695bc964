#pragma once

#include "dsp/Harmonics.h"
#include "dsp/SineTable.h"

#include <cstdint>

// A user wave as the oscillators play it: the sum of 24 integer sine
// harmonics, clipped to a signed byte.
class HarmonicWaveform
{
public:
    HarmonicWaveform();
    virtual ~HarmonicWaveform();

    Harmonics& harmonics() { return m_harmonics; }
    const Harmonics& harmonics() const { return m_harmonics; }

    // p: phase, 256 per cycle. Result -128..127.
    int sample(int p) const;
    // The first half cycle (samples 0..127); the second half is its mirror.
    void render(std::int8_t* wave) const;

    // Levels rescaled by the wave's peak for the harmonic bars.
    void updateDisplayLevels();
    unsigned char displayLevel(int harmonic) const { return m_displayLevels[harmonic]; }

private:
    SineTable m_sine;
    Harmonics m_harmonics;
    unsigned char m_displayLevels[Harmonics::kCount];
};
