#pragma once

// The noise generator's recurrence, x' = x A + C, and its terms for jumping
// within a tick. In an anonymous namespace like the kernels that use it:
// each unit keeps its own copy, built for its own instruction set.

#include <cstdint>

namespace
{
constexpr std::uint32_t kNoiseMultiplier = 1234567u;
constexpr std::uint32_t kNoiseIncrement = 890123u;
constexpr std::uint32_t kNoiseBits = 0x807FFF00u;     // sign and upper mantissa
constexpr std::uint32_t kNoiseExponent = 0x3F000000u; // magnitude in [0.5, 1)

// Generator n of a tick from its first, x: x A^n + C (A^n - 1) / (A - 1),
// for n = 0..63, and for n = 64 (the next tick's first).
struct NoiseTerms
{
    alignas(64) std::uint32_t value[64];
    std::uint32_t next;
};

constexpr NoiseTerms noiseTerms(bool powers)
{
    NoiseTerms terms{};
    std::uint32_t a = 1, c = 0;
    for (int n = 0; n < 64; ++n)
    {
        terms.value[n] = powers ? a : c;
        c = c * kNoiseMultiplier + kNoiseIncrement;
        a *= kNoiseMultiplier;
    }
    terms.next = powers ? a : c;
    return terms;
}

constexpr NoiseTerms kNoisePowers = noiseTerms(true);
constexpr NoiseTerms kNoiseSums = noiseTerms(false);
} // namespace
