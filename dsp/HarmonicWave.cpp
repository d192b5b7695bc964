#include "dsp/HarmonicWave.h"

#include <cctype>

namespace
{
std::string upperCase(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}
}

HarmonicWave::HarmonicWave() = default;

HarmonicWave::HarmonicWave(const std::string& name, const Harmonics& harmonics)
    : m_name(name), m_harmonics(harmonics)
{
}

bool HarmonicWave::caseInsensitiveEqual(const std::string& a, const std::string& b)
{
    return upperCase(a) == upperCase(b);
}

bool HarmonicWave::operator<(const HarmonicWave& other) const
{
    return upperCase(m_name) < upperCase(other.m_name);
}
