#include "Source/SystemInfo.h"

#include <atomic>

namespace
{
std::atomic<bool> portableForced{false};
}

SystemInfo::SystemInfo() : m_sse(portableForced.load() ? 0 : 1), m_reserved(0)
{
}

SystemInfo::~SystemInfo() = default;

void SystemInfo::forcePortable(bool portable)
{
    portableForced.store(portable);
}
