#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

// Signals shared by the DSP tests.
constexpr double kTestPi = 3.14159265358979323846;

// Uniform white noise in [-1, 1), reproducible from its seed.
inline std::vector<float> whiteNoise(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v)
        x = uniform(random);
    return v;
}

// A float's bits, for comparing variants that must agree exactly.
inline std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
