#include "dsp/HarmonicWave.h"

#include <cctype>

HarmonicWave::HarmonicWave() = default;

HarmonicWave::HarmonicWave(const std::string& name, const Harmonics& harmonics)
    : m_name(name), m_harmonics(harmonics)
{
}

bool HarmonicWave::caseInsensitiveEqual(const std::string& a, const std::string& b)
{
    return sortKey(a) == sortKey(b);
}

std::string HarmonicWave::sortKey(const std::string& name)
{
    std::string result = name;
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool HarmonicWave::operator<(const HarmonicWave& other) const
{
    return sortKey(m_name) < sortKey(other.m_name);
}
