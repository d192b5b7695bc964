#include "dsp/AmpSettings.h"

#include <cmath>

const float AmpSettings::kLevelTable[kLevels] = {-81.85579f,  -69.13877f,  -62.595917f, -56.013348f,
                                                 -49.440353f, -42.918919f, -36.519676f, -30.328812f,
                                                 -24.478476f, -19.126350f, -14.425364f, -10.421768f,
                                                 -7.081407f,  -4.302774f,  -1.9724233f, 0.0f};

namespace
{
float dbToGain(float db)
{
    return std::pow(10.0f, db / 20.0f);
}

// The drop from the top of the second half of the curve to the floor, in dB:
// the bottom seven segments share one rate.
constexpr float kBottomDrop = -103.053955f;
}

AmpSettings::AmpSettings()
    : sustain(1.0f), unity(1.0f), levels{}, rate2x(88200.0f), attack(0.001f), decay(1.0f), release(0.25f),
      velAttack(0.0f), velRelease(0.0f), rampUp(1.0f), rampDown(1.0f), hold2Scale(2.0f), hold2(0),
      panRampLength(256)
{
    for (int k = 0; k < kLevels; ++k)
        levels[k] = dbToGain(kLevelTable[k]);
    setSampleRate(44100.0f);
}

void AmpSettings::setSampleRate(float hostRate)
{
    rate2x = 2.0f * hostRate;
    rampUp = dbToGain(240.0f / hostRate);
    rampDown = 1.0f / rampUp;
}

void AmpSettings::attackTable(int velocity, float* table) const
{
    // Segment j lasts about max(2, j) x a samples; the whole rise 121 a.
    float a = std::exp(static_cast<float>(64 - velocity) * velAttack) * attack * rate2x * (1.0f / 121.0f);
    // At least one sample in the shortest segment, whatever the settings.
    if (!(a >= 0.5f))
        a = 0.5f;
    table[0] = 1.0f;
    table[1] = dbToGain((kLevelTable[1] - kLevelTable[0]) / (2.0f * a));
    for (int j = 2; j < kLevels; ++j)
        table[j] = dbToGain((kLevelTable[j] - kLevelTable[j - 1]) / (static_cast<float>(j) * a));
}

void AmpSettings::fallingTable(float time, float factor, float* table) const
{
    // Half of the time takes the top 30 dB in four equal parts, the other
    // half the rest of the way to the floor.
    float d = factor * time * rate2x;
    if (!(d >= 2.0f))
        d = 2.0f;
    table[0] = 1.0f;
    const float bottom = dbToGain(kBottomDrop / d);
    for (int j = 1; j <= 7; ++j)
        table[j] = bottom;
    for (int k = 0; k < 4; ++k)
    {
        const float multiplier = dbToGain((kLevelTable[7 + 2 * k] - kLevelTable[9 + 2 * k]) * (8.0f / d));
        table[8 + 2 * k] = multiplier;
        table[9 + 2 * k] = multiplier;
    }
}

void AmpSettings::decayTable(int velocity, float* table) const
{
    fallingTable(decay, std::exp(static_cast<float>(64 - velocity) * velAttack), table);
}

void AmpSettings::releaseTable(int velocity, float* table) const
{
    const float time = (hold2 ? hold2Scale : 1.0f) * release;
    fallingTable(time, std::exp(static_cast<float>(64 - velocity) * velRelease), table);
}
