#pragma once

#include <cstdint>
#include <fstream>
#include <string>

// How far this process's resident memory rose above where it stood at
// construction, at its highest since: the kernel's high-water mark, reset
// at construction (by writing 5 to /proc/self/clear_refs). It tells work
// that holds a large buffer, however briefly, from work that does not.
class PeakMemory
{
public:
    PeakMemory()
    {
        std::ofstream("/proc/self/clear_refs") << "5";
        m_start = statusKilobytes("VmRSS:");
    }

    std::uint64_t megabytesAboveStart() const
    {
        const std::uint64_t peak = statusKilobytes("VmHWM:");
        return peak > m_start ? (peak - m_start) / 1024 : 0;
    }

private:
    static std::uint64_t statusKilobytes(const std::string& field)
    {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, field.size(), field) == 0)
                return std::stoull(line.substr(field.size()));
        return 0;
    }

    std::uint64_t m_start = 0;
};
