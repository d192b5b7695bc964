#pragma once

#include "dsp/Harmonics.h"

#include <string>

// A user wave stored under a name.
class HarmonicWave
{
public:
    HarmonicWave();
    HarmonicWave(const std::string& name, const Harmonics& harmonics);

    const std::string& name() const { return m_name; }
    const Harmonics& harmonics() const { return m_harmonics; }

    // Names compare without regard to case.
    static bool caseInsensitiveEqual(const std::string& a, const std::string& b);
    // What names are ordered by: waves sort as their keys do.
    static std::string sortKey(const std::string& name);
    bool operator<(const HarmonicWave& other) const;

private:
    std::string m_name;
    Harmonics m_harmonics;
};
