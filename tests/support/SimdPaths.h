#pragma once

// The vector paths a test can check on this processor, and a path forced on
// the engine parts built while it lives.

#include "simd/SystemInfo.h"

#include <optional>
#include <vector>

inline bool processorRuns(SimdPath path)
{
    return static_cast<int>(path) <= static_cast<int>(SystemInfo::processorPath());
}

inline std::vector<SimdPath> runnableSimdPaths()
{
    std::vector<SimdPath> paths;
    for (SimdPath path : {SimdPath::Sse, SimdPath::Avx2, SimdPath::Avx512})
        if (processorRuns(path))
            paths.push_back(path);
    return paths;
}

class ForcedSimdPath
{
public:
    explicit ForcedSimdPath(SimdPath path) { SystemInfo::forceSimdPath(path); }
    ~ForcedSimdPath() { SystemInfo::forceSimdPath(std::nullopt); }
    ForcedSimdPath(const ForcedSimdPath&) = delete;
    ForcedSimdPath& operator=(const ForcedSimdPath&) = delete;
};
