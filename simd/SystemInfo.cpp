#include "simd/SystemInfo.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr int kNotForced = -1;

std::atomic<bool> portableForced{false};
std::atomic<int> forcedPath{kNotForced};

SimdPath narrower(SimdPath a, SimdPath b)
{
    return static_cast<int>(a) < static_cast<int>(b) ? a : b;
}

SimdPath readProcessPath()
{
    const SimdPath best = SystemInfo::processorPath();
    const char* value = std::getenv("ZENTROVA_SIMD");
    if (value == nullptr || *value == '\0')
        return best;
    const std::optional<SimdPath> asked = SystemInfo::parseSimdPath(value);
    if (!asked)
    {
        std::fprintf(stderr, "ZENTROVA_SIMD=%s is not one of sse, avx2, avx512: using %s\n", value,
                     SystemInfo::simdPathName(best));
        return best;
    }
    if (narrower(*asked, best) != *asked)
    {
        std::fprintf(stderr, "ZENTROVA_SIMD=%s: this processor runs %s at most, which is used\n", value,
                     SystemInfo::simdPathName(best));
        return best;
    }
    return *asked;
}
}

SystemInfo::SystemInfo() : m_sse(portableForced.load() ? 0 : 1), m_reserved(0)
{
}

SystemInfo::~SystemInfo() = default;

SimdPath SystemInfo::simdPath() const
{
    if (!hasSse())
        return SimdPath::Sse;
    const int forced = forcedPath.load();
    if (forced != kNotForced)
        return narrower(static_cast<SimdPath>(forced), processorPath());
    return processPath();
}

SimdPath SystemInfo::processorPath()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
        return SimdPath::Avx512;
    // The eight-lane filters issue some sums as multiply-adds.
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return SimdPath::Avx2;
    return SimdPath::Sse;
}

SimdPath SystemInfo::processPath()
{
    static const SimdPath path = readProcessPath();
    return path;
}

const char* SystemInfo::simdPathName(SimdPath path)
{
    switch (path)
    {
    case SimdPath::Avx512:
        return "avx512";
    case SimdPath::Avx2:
        return "avx2";
    default:
        return "sse";
    }
}

std::optional<SimdPath> SystemInfo::parseSimdPath(const char* name)
{
    if (name == nullptr)
        return std::nullopt;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (SimdPath path : {SimdPath::Sse, SimdPath::Avx2, SimdPath::Avx512})
        if (lower == simdPathName(path))
            return path;
    return std::nullopt;
}

void SystemInfo::forcePortable(bool portable)
{
    portableForced.store(portable);
}

void SystemInfo::forceSimdPath(std::optional<SimdPath> path)
{
    forcedPath.store(path ? static_cast<int>(*path) : kNotForced);
}
