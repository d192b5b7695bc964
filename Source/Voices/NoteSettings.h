#pragma once

#include "dsp/FilterBank.h"

struct AuxModSettings;
class Lfo;
class OscillatorSettings;
class VoiceControlSettings;
struct LfoParameters;
struct ModEnvelopeParameters;

// Where the note controls and voices find the engine's shared settings.
struct NoteSettings
{
    OscillatorSettings* oscillators = nullptr;
    VoiceControlSettings* control = nullptr;
    AuxModSettings* aux = nullptr;
    FilterBank::Settings* filter = nullptr;
    // Two of each: "Env 1" and "Env 2", LFO 1 and LFO 2.
    ModEnvelopeParameters* envelopes = nullptr;
    LfoParameters* lfos = nullptr;
    const Lfo* globalLfos = nullptr;
};
