#pragma once

// The engine's shared settings, voices and voice groups without the rest of
// the engine: what the note controls, voice states and amplifier bank need.

#include "Source/Voices/AuxModSettings.h"
#include "Source/Voices/NoteControl.h"
#include "Source/Voices/NoteSettings.h"
#include "Source/Voices/OscillatorSettings.h"
#include "Source/Voices/VoiceControlSettings.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/Voices/VoicePool.h"
#include "Source/Voices/VoiceState.h"
#include "dsp/Lfo.h"
#include "dsp/LfoParameters.h"
#include "dsp/ModEnvelopeParameters.h"
#include "dsp/VoiceBuffers.h"

#include <cstdint>
#include <vector>

struct GroupBench
{
    static constexpr int kVoices = 128;
    static constexpr int kGroups = 16;

    // Each voice gets streams for `ticks` ticks.
    explicit GroupBench(int voicesPerGroup = 1, int ticks = 4)
        : gains(4 * kVoices * ticks), widths(2 * kVoices * ticks), pitches(2 * kVoices * ticks),
          words(kVoices * ticks)
    {
        settings.oscillators = &oscillators;
        settings.control = &control;
        settings.aux = &aux;
        settings.filter = &filter;
        settings.envelopes = envelopes;
        settings.lfos = lfos;
        settings.globalLfos = globalLfos;
        for (int i = 0; i < 2; ++i)
            globalLfos[i].bind(&lfos[i]);
        oscillators.setSampleRate(44100.0f);
        for (int v = 0; v < kVoices; ++v)
        {
            VoiceBuffers& r = records[v];
            const std::size_t s = static_cast<std::size_t>(v) * ticks;
            r.osc1Gain = &gains[4 * s];
            r.osc2Gain = &gains[4 * s + ticks];
            r.noiseGain = &gains[4 * s + 2 * ticks];
            r.ringGain = &gains[4 * s + 3 * ticks];
            r.pulseWidth1 = &widths[2 * s];
            r.pulseWidth2 = &widths[2 * s + ticks];
            r.pitch1 = &pitches[2 * s];
            r.pitch2 = &pitches[2 * s + ticks];
            r.filterParameters = &words[s];
            voices[v].init(v, &settings);
            voices[v].setBuffers(&records[v]);
            pool.push(&voices[v]);
        }
        for (int g = 0; g < kGroups; ++g)
        {
            groups[g].setup(g, &settings, nullptr, freeVoices);
            groups[g].setVoiceCount(voicesPerGroup, pool);
        }
    }

    static std::int64_t groupBit(int group) { return std::int64_t(1) << (16 + group); }

    // Hands an event to every group, as the engine does.
    void send(std::int64_t code, std::int64_t value)
    {
        const VoiceEvent event(code, value, std::int64_t(0));
        for (NoteControl& group : groups)
            group.processEvent(event);
    }

    void tick(int t = 0, bool quick = false)
    {
        for (NoteControl& group : groups)
            group.tick(t, quick);
    }

    OscillatorSettings oscillators;
    VoiceControlSettings control;
    AuxModSettings aux;
    FilterBank::Settings filter;
    ModEnvelopeParameters envelopes[2];
    LfoParameters lfos[2];
    Lfo globalLfos[2];
    NoteSettings settings;
    VoiceState voices[kVoices];
    VoicePool pool;
    std::uint64_t freeVoices[2] = {~std::uint64_t(0), ~std::uint64_t(0)};
    NoteControl groups[kGroups];
    VoiceBuffers records[kVoices];
    std::vector<float> gains;
    std::vector<std::int16_t> widths;
    std::vector<std::int32_t> pitches;
    std::vector<std::uint32_t> words;
};
