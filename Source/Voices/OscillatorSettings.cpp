#include "Source/Voices/OscillatorSettings.h"

#include "Source/Voices/ParameterScaling.h"
#include "Source/parameters/ParameterIndices.h"
#include "dsp/Conversions.h"
#include "dsp/EngineDimensions.h"

#include <cmath>

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
    const double ticksPerSecond = static_cast<double>(hostRate) / Engine::kTickFrames;
    m_oscMixGlide.setRate(ticksPerSecond);
    m_noiseMixGlide.setRate(ticksPerSecond);
    m_driveGlide.setRate(ticksPerSecond);
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

void OscillatorSettings::tick(bool quiet)
{
    LevelGlide* const glides[] = {&m_oscMixGlide, &m_noiseMixGlide, &m_driveGlide};
    if (quiet)
        for (LevelGlide* glide : glides)
            glide->settle();
    oscMix = m_oscMixGlide.value();
    oscMixFloat = oscMix * 0.01f;
    noiseMix = m_noiseMixGlide.value();
    noiseMixFloat = noiseMix * 0.01f;
    drive = m_driveGlide.value();
    for (LevelGlide* glide : glides)
        glide->advance(1);
    driveChanged = false;
}

namespace
{
constexpr int kOscillatorWaves = 13;
// The noise oscillator's sources: white noise, pink noise, the audio input.
constexpr int kThirdSources = 3;
// A pulse width in percent to 1024ths of the cycle, in 16.16 fixed point.
constexpr std::int64_t kPercentTo1024ths = 671089;
// The offset at octave 0, in semitones.
constexpr std::int64_t kMasterPitchOrigin = 120;
} // namespace

bool OscillatorSettings::applyParameter(std::int64_t index, std::int64_t value, float v, int tick)
{
    using namespace ParameterScaling;
    switch (index)
    {
    case Param::FilterDrive:
        m_driveGlide.glideTo(std::isfinite(v) ? v : 0.0f);
        driveChanged = true;
        return true;
    case Param::Osc1Waveform:
    case Param::Osc2Waveform:
        if (value >= 0 && value < kOscillatorWaves)
            setWave(index == Param::Osc1Waveform ? 0 : 1, static_cast<std::int32_t>(value), tick);
        return true;
    case Param::NoiseType:
        if (value >= 0 && value < kThirdSources)
            setWave(2, static_cast<std::int32_t>(value), tick);
        return true;
    case Param::Osc2Octave:
        osc2Octave = value;
        pitchChanged = true;
        return true;
    case Param::Osc2Transpose:
        osc2Transpose = value;
        pitchChanged = true;
        return true;
    case Param::Osc2Detune:
        osc2Detune = value * kPitchUnitsPerCent;
        pitchChanged = true;
        return true;
    case Param::PulseWidth1:
    case Param::PulseWidth2:
    {
        const int i = index == Param::PulseWidth1 ? 0 : 1;
        pulseWidth[i] = std::clamp<std::int64_t>(value, 0, 100);
        pulseWidth16[i] = static_cast<std::int16_t>((pulseWidth[i] * kPercentTo1024ths) >> 16);
        return true;
    }
    case Param::MasterOctave:
        masterPitchOffset = (value * 12 + kMasterPitchOrigin) * kPitchUnitsPerSemitone;
        return true;
    case Param::OscMix:
        oscMixTarget = std::clamp<std::int64_t>(value, 0, 100);
        m_oscMixGlide.glideTo(static_cast<float>(oscMixTarget));
        return true;
    case Param::NoiseMix:
        noiseMixTarget = std::clamp<std::int64_t>(value, 0, 100);
        m_noiseMixGlide.glideTo(static_cast<float>(noiseMixTarget));
        return true;
    case Param::RingModulation:
        ringModulation = std::clamp<std::int64_t>(value, 0, 2);
        return true;
    case Param::ModToPitch:
        controllerToPitch = clampToInt16(nearest(v * kSixteenthsPerSemitone));
        return true;
    case Param::PitchController:
        pitchControllerSource = value;
        return true;
    case Param::LFOtoPitch:
        lfoToPitch = static_cast<std::int32_t>(nearest(v * kSixteenthsPerSemitone));
        return true;
    case Param::LFOtoPitchSource:
        pitchLfoMix = static_cast<std::int32_t>(lfoMixStep(value));
        return true;
    case Param::PitchModSum:
        pitchModSum = value == 1;
        return true;
    case Param::FiltEnvToPitch:
        envelopeToPitch = nearest(v * kSixteenthsPerSemitone);
        return true;
    case Param::PitchEnvSource:
        pitchEnvelopeSource = value;
        return true;
    case Param::UnisonDetune:
        unisonDetune = truncate(v * static_cast<float>(kPitchUnitsPerCent));
        return true;
    default:
        return false;
    }
}
