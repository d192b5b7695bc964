#include "tools/SimdSetting.h"

#include <cstdlib>

#include "simd/SystemInfo.h"

void settleSimdSetting()
{
    const char* value = std::getenv("ZENTROVA_SIMD");
    if (value == nullptr || *value == '\0')
        return;
    // Says what is wrong with the value, once per process.
    const SimdPath path = SystemInfo::processPath();
    setenv("ZENTROVA_SIMD", SystemInfo::simdPathName(path), 1);
}
