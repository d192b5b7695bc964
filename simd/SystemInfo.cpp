#include "simd/SystemInfo.h"

#include <atomic>

namespace
{
std::atomic<bool> portableForced{false};
}

SystemInfo::SystemInfo() : m_sse(portableForced.load() ? 0 : 1), m_reserved(0)
{
}

SystemInfo::~SystemInfo() = default;

bool SystemInfo::hasWideVectors() const
{
    if (!hasSse())
        return false;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0;
}

void SystemInfo::forcePortable(bool portable)
{
    portableForced.store(portable);
}
