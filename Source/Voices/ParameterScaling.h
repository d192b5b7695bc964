#pragma once

#include <algorithm>
#include <cstdint>

// The scalings shared by the settings that take the engine's parameter
// values: the settings keep their values in these units, and the golden
// renders hold them to the last bit.
namespace ParameterScaling
{
// Pitch: 65536 units a semitone, 655 a cent.
constexpr std::int64_t kPitchUnitsPerSemitone = 65536;
constexpr std::int64_t kPitchUnitsPerCent = 655;
// A modulation depth in semitones to sixteenths of a semitone.
constexpr float kSixteenthsPerSemitone = 16.0f;
// A percentage to a signed byte-sized amount, -127..127.
constexpr float kPercentToAmount = 1.27f;
// The note velocity at which a velocity scaling leaves its target alone.
constexpr float kUnityVelocity = 64.0f;
constexpr float kPercent = 100.0f;
// An LFO mix parameter, 0..100, to its five steps.
constexpr std::int64_t kLfoMixStepWidth = 25;
constexpr std::int64_t kLfoMixLastStep = 4;

inline std::int16_t clampToInt16(std::int64_t x)
{
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(x, INT16_MIN, INT16_MAX));
}

inline std::int64_t lfoMixStep(std::int64_t value)
{
    return std::clamp<std::int64_t>(value / kLfoMixStepWidth, 0, kLfoMixLastStep);
}
} // namespace ParameterScaling
