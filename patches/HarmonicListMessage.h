#pragma once

#include <cstdint>

// What a harmonic list tells each client: a wave added at an index, or the
// wave at an index removed. Indices count from 1.
struct HarmonicListMessage
{
    enum Kind : std::int32_t
    {
        kAdded = 0,
        kRemoved = 1,
    };
    static constexpr int kNameSize = 32;

    std::int32_t kind = kAdded;
    std::int32_t index = 0;
    // At most 31 characters and a NUL; empty for removals.
    char name[kNameSize] = {};
};
