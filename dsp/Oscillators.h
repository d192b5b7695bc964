#pragma once

#include "dsp/EngineDimensions.h"
#include "dsp/VoiceBuffers.h"

#include <cstdint>

class AudioInput;
class WaveMipMap;

// A stretch of a block in which the waves stay the same: the ticks from the
// previous entry's end (0 for the first entry) up to endTick.
struct WaveChange
{
    std::int32_t osc1Wave;
    std::int32_t osc2Wave;
    std::int32_t thirdSource;
    std::int32_t endTick;
};

// The oscillator section: for every rendered voice, oscillator 1, oscillator
// 2 and the third source (noise or the audio input) at the engine rate, one
// 64-sample tick at a time. Pitches and pulse widths come per voice and tick
// from the streams this object allocates; the section keeps the phases.
//
// Voice masks and phase-reset bits are 128 bits: voice v is bit v % 64 of
// word v / 64.
class Oscillators
{
public:
    static constexpr int kVoices = Engine::kVoices;
    static constexpr int kTickSamples = Engine::kTickSamples;

    Oscillators();
    virtual ~Oscillators();

    Oscillators(const Oscillators&) = delete;
    Oscillators& operator=(const Oscillators&) = delete;

    // Renders the block segment by segment. A segment whose oscillator wave
    // differs from the last one sets all 128 phase-reset bits of that
    // oscillator; voices not rendered then restart at phase 0.
    void process(const std::uint64_t* renderMask, const WaveChange* changes, int changeCount,
                 std::uint64_t (*phaseReset)[2]);
    void renderSegment(int firstTick, int endTick, const std::uint64_t* renderMask, std::uint64_t (*phaseReset)[2]);
    // Before process, in a block that starts inside a tick: the samples
    // carried from that tick were rendered ahead of the host's input, so
    // every source that plays the input reads them again now that the
    // block holds it, whether or not the block renders a tick of its own.
    void refreshCarriedInput(const std::uint64_t* renderMask);

    // Not for the audio thread: reallocates (and clears) every stream and
    // buffer, gives every voice its own noise seed and zeroes the phases.
    void setBlockSize(int ticks);
    // Writes each voice's pitch, pulse width and audio pointers.
    void assignVoiceBuffers(VoiceBuffers* records) const;
    // Any thread but the audio thread, between block-size changes: gives the
    // buffers of voices begin to end - 1 their memory, so that a first chord
    // faults no pages.
    void prefaultBuffers(int begin, int end) const;
    // What prefaultBuffers gives each voice.
    std::size_t voiceBufferBytes() const;
    void setAudioInput(AudioInput* input) { m_pAudioInput = input; }

    virtual void reset();
    virtual void setSampleRate(float hostRate);
    virtual void seedVoice(int voice, std::uint32_t seed) = 0;
    virtual void renderWhiteNoise(int voice, int firstTick, int endTick) = 0;
    virtual void renderPinkNoise(int voice, int firstTick, int endTick) = 0;
    virtual void renderPulse(int oscillator, int voice, int firstTick, int endTick) = 0;
    virtual void renderWave(int oscillator, int voice, int firstTick, int endTick) = 0;

    int ticks() const { return m_ticks; }
    std::uint32_t phase(int oscillator, int voice) const { return m_phase[oscillator][voice]; }

protected:
    // 64 samples at `write` (which then advances by 64) from the table for
    // `pitch`; `phase` (2^24 per cycle) advances with them.
    virtual void readPwmTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase,
                             std::int32_t pulseOffset) = 0;
    virtual void readWaveTick(float*& write, int oscillator, std::int32_t pitch, std::uint32_t& phase) = 0;
    virtual void generateNoise(int voice, int firstTick, int endTick) = 0;

    float* audio(int source, int voice) const
    {
        return m_audio[source] + static_cast<std::size_t>(voice) * m_stride + kTickSamples;
    }
    std::int32_t pitchAt(int oscillator, int voice, int tick) const
    {
        return m_pitch[oscillator][static_cast<std::size_t>(voice) * m_ticks + tick];
    }
    std::int16_t pulseWidthAt(int oscillator, int voice, int tick) const
    {
        return m_pulseWidth[oscillator][static_cast<std::size_t>(voice) * m_ticks + tick];
    }

    WaveMipMap* m_pWaveMipMap;
    std::uint32_t m_noiseState[kVoices];
    std::uint32_t m_phase[2][kVoices];

private:
    void freeBuffers();
    void readAudioInput(float* destination, int firstTick, int endTick);
    // Source 0 or 1 (the oscillators) or 2 (the third source) plays the
    // audio input with the waves last rendered.
    bool playsInput(int source) const;

    std::int32_t* m_pitch[2];
    std::int16_t* m_pulseWidth[2];
    float* m_audio[3]; // oscillator 1, oscillator 2, third source
    int m_ticks;
    std::size_t m_stride;
    AudioInput* m_pAudioInput;
    int m_currentWave[3];
};
