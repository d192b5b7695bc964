#pragma once

#include <cstdint>

// Rounding shared by the parameter kinds, in single precision like the
// values they act on.

// Half away from zero, truncated to an integral value. Truncating through an
// integer (not truncf) matters: a value just below zero rounds to +0, so a
// centred parameter shows "0.00" rather than "-0.00". NaN gives 0; values too
// large for an integer are already integral and pass through.
inline float nearestValue(float x)
{
    if (x != x)
        return 0.0f;
    if (!(x > -9.0e18f && x < 9.0e18f))
        return x;
    float shifted = x > 0.0f ? x + 0.5f : x - 0.5f;
    return static_cast<float>(static_cast<std::int64_t>(shifted));
}

// nearest(x) as an integer, held inside the int range.
inline int nearestInt(float x)
{
    float n = nearestValue(x);
    if (n >= 2147483520.0f)
        return 2147483520;
    if (n <= -2147483520.0f)
        return -2147483520;
    return static_cast<int>(n);
}

// Truncation toward zero of a double, held inside the int range (NaN gives 0).
inline int truncateInt(double x)
{
    if (x != x)
        return 0;
    if (x >= 2147483647.0)
        return 2147483647;
    if (x <= -2147483647.0)
        return -2147483647;
    return static_cast<int>(x);
}

// x held inside the interval between a and b, whichever is larger; NaN
// becomes the lower end.
inline float clampBetween(float x, float a, float b)
{
    float lo = a < b ? a : b;
    float hi = a < b ? b : a;
    if (!(x >= lo))
        return lo;
    return x > hi ? hi : x;
}

// A normalised result held inside 0..1.
inline float clampUnit(float v)
{
    return clampBetween(v, 0.0f, 1.0f);
}

// Refines a normalised position toward the one whose units come closest to
// x, for kinds whose units(p) is monotonic but has no closed-form inverse.
// Stops within epsilon or after 31 steps.
template <typename Units>
float searchNormalised(float x, float position, float step, float best, float epsilon, Units units)
{
    for (int iteration = 0; best > epsilon && iteration < 31; ++iteration)
    {
        float candidate = position + step;
        float candidateUnits = units(candidate);
        float e = x - candidateUnits;
        e = e < 0.0f ? -e : e;
        if (e > best)
            step *= 0.5f;
        else
        {
            step = (step < 0.0f ? -step : step) * 0.5f;
            if (!(x > candidateUnits))
                step = -step;
            position = candidate;
            best = e;
        }
    }
    return position;
}
