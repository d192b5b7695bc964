#include "Source/Voices/OscillatorSettings.h"

#include <algorithm>

OscillatorSettings::OscillatorSettings() = default;

OscillatorSettings::~OscillatorSettings()
{
    delete[] waveChanges;
}

void OscillatorSettings::setSampleRate(float hostRate)
{
    if (hostRate > 0.0f)
        pwmRateFactor = 0.23712f / hostRate;
}

void OscillatorSettings::resizeWaveChanges(int ticks)
{
    const int capacity = std::max(ticks, 0) + 1;
    WaveChange* changes = new WaveChange[capacity]();
    delete[] waveChanges;
    waveChanges = changes;
    waveChangeCapacity = capacity;
    waveChangeCount = 0;
}

void OscillatorSettings::appendWaveChange(std::int32_t tick)
{
    if (waveChangeCount > 0 && waveChanges[waveChangeCount - 1].endTick == tick)
        return;
    if (waveChangeCount >= waveChangeCapacity)
        return;
    waveChanges[waveChangeCount++] = {wave[0], wave[1], wave[2], tick};
}

void OscillatorSettings::setWave(int which, std::int32_t number, std::int32_t tick)
{
    if (which < 0 || which > 2 || number == wave[which])
        return;
    appendWaveChange(tick);
    wave[which] = number;
}

void OscillatorSettings::closeWaveChanges(std::int32_t tick)
{
    appendWaveChange(tick);
}

void OscillatorSettings::tick()
{
    oscMix = oscMixTarget;
    oscMixFloat = static_cast<float>(oscMix) * 0.01f;
    noiseMix = noiseMixTarget;
    noiseMixFloat = static_cast<float>(noiseMix) * 0.01f;
    driveChanged = false;
}
