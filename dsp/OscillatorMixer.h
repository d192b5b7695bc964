#pragma once

#include "dsp/EngineDimensions.h"
#include "dsp/VoiceBuffers.h"
#include "simd/GainKernels.h"

#include <cstddef>
#include <cstdint>

// Mixes each voice's three oscillator-section streams into its filter input:
// gA o1 + gB o2 + gC noise + gR o1 o2, with four gains per voice and tick.
// It runs over exactly the host block's engine samples, in step with the
// filter bank, so a tick's gains may straddle two blocks.
class OscillatorMixer
{
public:
    static constexpr int kVoices = Engine::kVoices;
    static constexpr int kTickSamples = Engine::kTickSamples;

    OscillatorMixer();
    virtual ~OscillatorMixer();

    OscillatorMixer(const OscillatorMixer&) = delete;
    OscillatorMixer& operator=(const OscillatorMixer&) = delete;

    // Not for the audio thread: reallocates (and clears) gains and output.
    void setBlockSize(int ticks);
    // Writes each voice's gain and output pointers and takes its oscillator
    // pointers, so the oscillators' records must be filled first.
    void assignVoiceBuffers(VoiceBuffers* records);
    // Any thread but the audio thread, between block-size changes: gives the
    // buffers of voices begin to end - 1 their memory, so that a first chord
    // faults no pages.
    void prefaultBuffers(int begin, int end) const;
    // What prefaultBuffers gives each voice.
    std::size_t voiceBufferBytes() const;
    // count engine samples from `carry` samples before the block start, for
    // the voices in the 128-bit mask (voice v: bit v % 64 of word v / 64).
    void process(int count, int carry, const std::uint64_t* renderMask);

private:
    struct Gains
    {
        float osc1;
        float osc2;
        float noise;
        float ring;
    };

    void freeBuffers();

    // Per voice: gain streams, inputs and output.
    const float* m_noiseGain[kVoices];
    const float* m_ringGain[kVoices];
    const float* m_osc1Gain[kVoices];
    const float* m_osc2Gain[kVoices];
    const float* m_noiseInput[kVoices];
    const float* m_osc1Input[kVoices];
    const float* m_osc2Input[kVoices];
    float* m_output[kVoices];
    Gains m_lastGains[kVoices];

    // Sixteen-lane where the processor has AVX-512.
    MixKernel m_mix;
    float* m_gainStorage[4];
    float* m_outputStorage;
    int m_ticks;
    std::size_t m_stride;
};
