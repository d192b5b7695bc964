#pragma once

#include <cstdint>
#include <cstring>

// The 64-bit value a parameter hands to the engine: a sign-extended integer,
// or the bits of a 32-bit float in the low half (high half zero). Which one
// is fixed per parameter by its kind and flags.
using EngineValue = std::int64_t;

inline EngineValue engineValueFromFloat(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<EngineValue>(bits);
}

inline EngineValue engineValueFromInt(std::int64_t value)
{
    return value;
}

inline float engineValueAsFloat(EngineValue value)
{
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
