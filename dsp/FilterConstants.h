#pragma once

// Filter modes, in the order of the filter-type choices.
enum FilterMode
{
    kFilterLp4Pole,
    kFilterBp4Pole,
    kFilterHp4Pole,
    kFilterLpLp,
    kFilterBpBp,
    kFilterHpHp,
    kFilterLpBp,
    kFilterLpHp,
    kFilterBpHp,
    kFilterBypass,
};

constexpr int kFilterModeCount = 9;

// In the four-pole modes filter A feeds filter B; in the others both filter
// the input and their outputs are added.
constexpr bool isFourPoleMode(int mode)
{
    return mode >= kFilterLp4Pole && mode <= kFilterHp4Pole;
}

// Constants of one saturating filter pass at unit scale. The integrators are
// held with the bias added so that a silent filter sits on a value whose
// neighbours are far from the denormal range.
constexpr float kOvershootThreshold = 0.28f;
constexpr float kOvershootGain = 0.18200001f;
constexpr float kOvershootWeight = 1.25f;
constexpr float kIntegratorLimit = 1.7737601f;
constexpr float kFilterBias = 0.52800006f;
constexpr float kLowPassFloor = -1.8182f;
constexpr float kBandPassFloor = -1.72332f;
constexpr float kHighPassLimit = 1.72876f;
constexpr float kRampFactor = 0.015625f;
constexpr int kFrameSamples = 64;
