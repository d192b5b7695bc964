#include "dsp/Harmonics.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace
{
// Gain of each hex digit of the text form.
const unsigned char digitLevels[16] = {0, 5, 10, 15, 20, 26, 32, 39, 48, 59, 72, 89, 112, 142, 183, 239};
// Upper bounds of the 16 display levels.
const unsigned char levelThresholds[16] = {3, 8, 12, 17, 23, 29, 36, 44, 53, 65, 80, 100, 126, 161, 209, 255};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::uint32_t word(const unsigned char* levels, int index)
{
    std::uint32_t w;
    std::memcpy(&w, levels + 4 * index, 4);
    return w;
}
}

Harmonics::Harmonics() : m_valid(true), m_levels{}
{
}

Harmonics::Harmonics(const unsigned char* levels) : m_valid(true)
{
    std::memcpy(m_levels, levels, kCount);
}

Harmonics::Harmonics(const std::string& text) : m_valid(true), m_levels{}
{
    int count = 0;
    for (char c : text)
    {
        if (count == kCount)
            break;
        if (c == ' ' || c == '\t')
            continue;
        int digit = hexDigit(c);
        if (digit < 0)
        {
            m_valid = false;
            break;
        }
        m_levels[count++] = digitLevels[digit];
    }
}

Harmonics::~Harmonics() = default;

void Harmonics::getLevels(unsigned char* out) const
{
    std::memcpy(out, m_levels, kCount);
}

int Harmonics::gainToLevel(unsigned char b)
{
    for (int i = 0; i < 15; ++i)
        if (b < levelThresholds[i])
            return i;
    return 15;
}

float Harmonics::levelToGain(float level)
{
    // Clamped: the scale ends at level 16 (gain 1) and callers pass
    // positions computed from the mouse.
    if (!(level > 0.0f))
        level = 0.0f;
    if (level > 16.0f)
        level = 16.0f;
    int i = static_cast<int>(level);
    if (i > 15)
        i = 15;
    float lo = i == 0 ? 0.0f : levelThresholds[i - 1];
    return (lo + (levelThresholds[i] - lo) * (level - i)) * (1.0f / 255.0f);
}

void Harmonics::print(std::ostream& out) const
{
    // Formatted by hand so the caller's stream flags stay as they were.
    char text[4 * kCount];
    int length = 0;
    for (int i = 0; i < kCount; ++i)
        length += std::snprintf(text + length, sizeof(text) - length, i == 0 ? "%3d" : " %3d", m_levels[i]);
    out.write(text, length);
}

bool Harmonics::operator==(const Harmonics& other) const
{
    return std::memcmp(m_levels, other.m_levels, kCount) == 0;
}

bool Harmonics::operator<(const Harmonics& other) const
{
    for (int i = 0; i < kCount / 4; ++i)
    {
        std::uint32_t a = word(m_levels, i);
        std::uint32_t b = word(other.m_levels, i);
        if (a != b)
            return a < b;
    }
    return false;
}
