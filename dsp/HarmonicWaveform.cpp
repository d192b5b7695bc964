#include "dsp/HarmonicWaveform.h"

#include <algorithm>
#include <cstdlib>

HarmonicWaveform::HarmonicWaveform() : m_displayLevels{}
{
}

HarmonicWaveform::~HarmonicWaveform() = default;

int HarmonicWaveform::sample(int p) const
{
    int sum = 0;
    for (int h = 1; h <= Harmonics::kCount; ++h)
        sum += (SineTable::lookup(h * p) * m_harmonics.level(h - 1)) >> 8;
    return std::clamp(sum, -128, 127);
}

void HarmonicWaveform::render(std::int8_t* wave) const
{
    for (int p = 0; p < 128; ++p)
        wave[p] = static_cast<std::int8_t>(sample(p));
}

void HarmonicWaveform::updateDisplayLevels()
{
    int largest = 0;
    for (int p = 0; p < 128; ++p)
    {
        int sum = 0;
        for (int h = 1; h <= Harmonics::kCount; ++h)
            sum += (SineTable::lookup(h * p) >> 2) * m_harmonics.level(h - 1);
        largest = std::max(largest, std::abs(sum >> 5));
    }
    int divisor = std::min(largest + 1, 16);
    int scale = 255 / divisor;
    for (int h = 0; h < Harmonics::kCount; ++h)
        m_displayLevels[h] = static_cast<unsigned char>((m_harmonics.level(h) * scale) & 0xF0);
}
