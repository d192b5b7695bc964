#pragma once

#include <cstdint>

// The two float-to-integer conversions the engine's scalings use. nearest
// adds one half and truncates toward zero, so negative values round up at
// the half (-1.5 becomes -1, -1.3 becomes 0): the asymmetry is part of the
// sound. Values beyond the 64-bit range, and NaN, saturate instead of being
// undefined.
inline std::int64_t truncate(double x)
{
    constexpr double kLimit = 9.2e18;
    if (!(x > -kLimit))
        return x != x ? 0 : static_cast<std::int64_t>(-kLimit);
    if (!(x < kLimit))
        return static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(x);
}

inline std::int64_t nearest(double x)
{
    return truncate(x + 0.5);
}
