#pragma once

#include "dsp/LevelGlide.h"
#include "dsp/Oscillators.h"

#include <cstdint>

// The oscillator part of the engine's shared modulation record: wave
// numbers, pitch offsets, pulse widths, mix levels, and the list of wave
// changes within the current block.
class OscillatorSettings
{
public:
    OscillatorSettings();
    ~OscillatorSettings();

    OscillatorSettings(const OscillatorSettings&) = delete;
    OscillatorSettings& operator=(const OscillatorSettings&) = delete;

    void setSampleRate(float hostRate);
    // Room for one entry per tick and the closing entry. Not for the audio
    // thread: it allocates.
    void resizeWaveChanges(int ticks);
    void clearWaveChanges() { waveChangeCount = 0; }
    // which: 0 oscillator 1, 1 oscillator 2, 2 third source. A different
    // number closes the stretch of the numbers in force at this tick.
    void setWave(int which, std::int32_t wave, std::int32_t tick);
    // Applies parameter index of the oscillators (value: its engine value,
    // v: the same as a float) at tick, and answers true; false for any
    // other parameter.
    bool applyParameter(std::int64_t index, std::int64_t value, float v, int tick);
    // After the block's last tick.
    void closeWaveChanges(std::int32_t tick);
    // Once per tick: the mix levels and the drive take the next step
    // towards their targets; with quiet (nothing sounds) they take them at
    // once.
    void tick(bool quiet = false);

    // 0..4: the share of LFO 2 in the pitch LFO, in quarters.
    std::int32_t pitchLfoMix = 0;
    // The octave, transpose or detune of oscillator 2 changed.
    bool pitchChanged = true;
    std::int64_t osc2Octave = 0;
    std::int64_t osc2Transpose = 0;
    // 1/65536 semitone.
    std::int64_t osc2Detune = 0;
    // Sixteenths of a semitone at full LFO swing.
    std::int32_t lfoToPitch = 0;
    bool pitchModSum = false;
    std::int64_t pitchEnvelopeSource = 0;
    // Sixteenths of a semitone at full envelope.
    std::int64_t envelopeToPitch = 0;
    // 16.16 semitones, with the 120 semitones the oscillator pitches carry.
    std::int64_t masterPitchOffset = 120 * 65536;
    std::int32_t wave[3] = {1, 1, 0};
    // Percent, and as 0..1024.
    std::int64_t pulseWidth[2] = {50, 50};
    std::int16_t pulseWidth16[2] = {512, 512};
    // 0.23712 / host rate: the pulse-width LFO step per tick per unit of rate.
    float pwmRateFactor = 0.0f;
    // Percent; whole numbers at rest.
    float oscMix = 50.0f;
    float noiseMix = 0.0f;
    // Filter input level, 0..1.
    float drive = 0.5f;
    bool driveChanged = false;
    // Per oscillator, 128 bits: voices whose phase restarts when next heard.
    std::uint64_t phaseReset[2][2] = {};
    Oscillators* oscillatorSection = nullptr;
    std::int64_t oscMixTarget = 50;
    float oscMixFloat = 0.5f;
    std::int64_t noiseMixTarget = 0;
    float noiseMixFloat = 0.0f;
    // Sixteenths of a semitone per unit of controller (0..2600 scale).
    std::int16_t controllerToPitch = 0;
    // 0 off, 1 half, 2 full.
    std::int64_t ringModulation = 0;
    // 1/65536 semitone at the outermost unison position.
    std::int64_t unisonDetune = 0;
    std::int64_t pitchControllerSource = 0;

    WaveChange* waveChanges = nullptr;
    int waveChangeCount = 0;
    int waveChangeCapacity = 0;

private:
    void appendWaveChange(std::int32_t tick);

    // In ticks: a jump of these levels would click.
    LevelGlide m_oscMixGlide{50.0f};
    LevelGlide m_noiseMixGlide{0.0f};
    LevelGlide m_driveGlide{0.5f};
};
