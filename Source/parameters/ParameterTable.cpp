#include "Source/parameters/ParameterTable.h"

#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/FloatParameter.h"
#include "Source/parameters/IntParameter.h"
#include "Source/parameters/IntSwitchParameter.h"
#include "Source/parameters/LfoMixParameter.h"
#include "Source/parameters/LogFloatParameter.h"
#include "Source/parameters/MixParameter.h"
#include "Source/parameters/ModalFloatParameter.h"
#include "Source/parameters/PolyFloatParameter.h"
#include "Source/parameters/StringParameter.h"
#include "Source/parameters/VolumeParameter.h"
#include "dsp/Lasting.h"

#include <cstdio>
#include <string>
#include <vector>

const ParameterNames parameterNameTable[kNamedParameterCount + 1] = {
    {"Filter Type", "Flt Typ", "FilterType"},
    {"Filter Q", "Flt Q", "FilterQ"},
    {"Filter Freq", "Flt Frq", "FilterFreq"},
    {"Filter Sep", "Flt Sep", "FilterSep"},
    {"Filter Drive", "Flt Drv", "FilterDrive"},
    {"Kbd->Filter", "Kbd Trk", "KbdPitchToFilter"},
    {"Env->Filter", "Flt Env", "EnvToFilter"},
    {"Filter Env Source", "FltESrc", "FilterEnvSource"},
    {"Volume", "Volume", "Volume"},
    {"Osc1 Wave", "Osc Wav 1", "Osc1Waveform"},
    {"Osc2 Wave", "Osc Wav 2", "Osc2Waveform"},
    {"Osc2 Octave", "O2 Oct", "Osc2Octave"},
    {"Osc2 Transpose", "O2 Trns", "Osc2Transpose"},
    {"Osc2 Detune", "O2 Detn", "Osc2Detune"},
    {"Pulse Width 1", "PW1", "PulseWidth1"},
    {"Pulse Width 2", "PW2", "PulseWidth2"},
    {"Master Octave", "Octave", "MasterOctave"},
    {"Triggering", "Trigger", "Triggering"},
    {"Tempo", "Tempo", "Tempo"},
    {"Gate Time", "Gte Tme", "GateTime"},
    {"Function", "Funct", "Function"},
    {"Vel->Attack", "Vel Atk", "KbdVelToAttack"},
    {"Vel->Release", "Vel Rel", "KbdVelToRelease"},
    {"Vel->Drive", "Vel Drv", "KbdVelToDrive"},
    {"Vel->Env2", "Vel Env 2", "KbdVelToFilter"},
    {"Amp Attack", "Amp Atk", "AmpAttack"},
    {"Amp Decay", "Amp Dec", "AmpDecay"},
    {"Amp Sustain", "Amp Sus", "AmpSustain"},
    {"Amp Release", "Amp Rel", "AmpRelease"},
    {"Filter Attack", "Flt Atk", "FilterAttack"},
    {"Filter Decay", "Flt Dec", "FilterDecay"},
    {"Filter Sustain", "Flt Sus", "FilterSustain"},
    {"Filter Release", "Flt Rel", "FilterRelease"},
    {"Filter Delay", "Flt Dly", "FilterDelay"},
    {"Arpeggio", "Arp Type", "Arpeggio"},
    {"Arpeggio Octave", "Arp Oct", "ArpeggioOctDir"},
    {"Arpeggio Oct -1", "ArpOct-1", "ArpeggioOctM1"},
    {"Arpeggio Oct +1", "ArpOct+1", "ArpeggioOctP1"},
    {"Arpeggio Oct +2", "ArpOct+2", "ArpeggioOctP2"},
    {"Arpeggio Order", "ArpOrder", "ArpeggioOrder"},
    {"Kbd Hold", "Kbd Hld", "KeyboardHold"},
    {"Chord Memory", "ChrdMem", "ChordMemory"},
    {"Tempo Source", "Clock", "TempoExternal"},
    {"Chorus Level", "Chorus", "ChorusLevel"},
    {"Chorus Mode", "ChrsMode", "ChorusMode"},
    {"Delay Level", "Delay", "DelayLevel"},
    {"Delay Tempo", "DlyTmp", "DelayTempo"},
    {"Effects Active", "FX On", "EffectActive"},
    {"Osc Mix", "Osc Mx", "OscMix"},
    {"Noise Mix", "Nse Mx", "NoiseMix"},
    {"Ring Modulation", "Ring Mod", "RingModulation"},
    {"Controller->Pitch", "Cont Ptch", "ModToPitch"},
    {"Pitch Controller", "Pitch Cnt", "PitchController"},
    {"Controller->Filter", "Cont Filt", "ModToFilter"},
    {"Filter Controller", "Filt Cnt", "FilterController"},
    {"Bend Range", "Bend", "BendAmount"},
    {"Glide Type", "Gld Typ", "GlideType"},
    {"Glide Time", "Gld Tme", "GlideTime"},
    {"LFO 1 Waveform", "Lfo1Wave", "LFO1Waveform"},
    {"LFO 1 Rate", "Lfo1Rte", "LFO1Rate"},
    {"LFO 1 Intro", "Lfo1Intro", "LFO1Intro"},
    {"LFO 1 Sync", "Lfo1Snc", "LFO1Sync"},
    {"LFO 2 Waveform", "Lfo2Wave", "LFO2Waveform"},
    {"LFO 2 Rate", "Lfo2Rte", "LFO2Rate"},
    {"LFO 2 Intro", "Lfo2Intro", "LFO2Intro"},
    {"LFO 2 Sync", "Lfo2Snc", "LFO2Sync"},
    {"LFO->Pitch", "Lfo Ptch", "LFOtoPitch"},
    {"Pitch LFO", "PitchLFO", "LFOtoPitchSource"},
    {"Aux LFO", "Aux LFO", "AuxModLfoMix"},
    {"LFO->Filter", "Lfo Flt", "LFOtoFilter"},
    {"Filter LFO", "FiltLFO", "LFOtoFilterSource"},
    {"Sum Pitch Mods", "SumPitchM", "PitchModSum"},
    {"Aux Lfo Amount", "AxLfoAmt", "AuxModAmount"},
    {"Aux Envelope Amount", "AxEnvAmt", "AuxModEnvelope"},
    {"Aux Envelope Source", "AxEnvArc", "AuxModEnvSource"},
    {"Sum Aux Mods", "SumAuxM", "AuxModSum"},
    {"Controller->Aux", "MW Aux", "AuxModWheel"},
    {"Aux Controller", "Aux Cnt", "AuxController"},
    {"Aux Mod Dest", "AxModDst", "AuxModDestination"},
    {"Env->Pitch", "Env2 Ptch", "FiltEnvToPitch"},
    {"Pitch Env Source", "PtchESrc", "PitchEnvSource"},
    {"Chorus Rate", "Chr Rte", "ChorusRate"},
    {"Chorus Depth", "Chr Depth", "ChorusDepth"},
    {"Delay Left Mix", "DL Mix", "DelayMixLeft"},
    {"Delay Right Mix", "DR Mix", "DelayMixRight"},
    {"Delay Left Feedback", "DL Fbk", "DelayFeedbackLeft"},
    {"Delay Right Feedback", "DR Fbk", "DelayFeedbackRight"},
    {"Delay Left Length", "DL Len", "DelayLengthLeft"},
    {"Delay Right Length", "DR Len", "DelayLengthRight"},
    {"Delay Highpass Cutoff", "Del HP", "DelayHighpass"},
    {"Delay Lowpass Cutoff", "Del LP", "DelayLowpass"},
    {"Delay Units", "Del Unt", "DelayUnits"},
    {"Delay Gate", "Del Gte", "DelayDucking"},
    {"Delay Feedback Mode", "Del Fbk", "DelayFeedbackMode"},
    {"Unison Mode", "Unison", "UnisonMode"},
    {"Unison Detune", "UniDetune", "UnisonDetune"},
    {"Unison Spread", "UniSprd", "UnisonSpread"},
    {"Cntrl 1 Amount", "Ctl1Amnt", "Controller1Amount"},
    {"Cntrl 1 Source", "Ctl1Src", "Controller1Source"},
    {"Cntrl 1 Dest", "Ctl1Dest", "Controller1Dest"},
    {"Cntrl 2 Amount", "Ctl2Amnt", "Controller2Amount"},
    {"Cntrl 2 Source", "Ctl2Src", "Controller2Source"},
    {"Cntrl 2 Dest", "Ctl2Dest", "Controller2Dest"},
    {"Noise Type", "NoiseTyp", "NoiseType"},
    {"Glide Spread", "GldeSprd", "GlideSpread"},
    {"Pan Mode", "PanMode", "PanMode"},
    {"Pan Spread", "PanSprd", "PanSpread"},
    {nullptr, nullptr, nullptr},
};

const char* const FilterTypeNames[9] = {"Low Pass",  "Bnd Pass", "Hi Pass",  "LP 2 Pole", "BP 2 Pole",
                                        "HP 2 Pole", "LP // BP", "LP // HP", "BP // HP"};

namespace
{
const char* const envelopeSourceNames[] = {"Env 1", "Env 2"};
const char* const oscillatorWaveNames[] = {"Triangle", "Sawtooth",     "Square",      "Pulse",       "PWM",
                                           "Full Organ", "Harpsichord", "Strong Lead", "Double Pulse", "Gritty",
                                           "User Wave 1", "User Wave 2", "Audio Input"};
const char* const triggeringNames[] = {"Single", "Mult", "Rpt 1", "Rpt 2", "Rpt 1+2"};
const char* const functionNames[] = {"Mono", "Duo", "Poly 4", "Poly 8", "Poly 12", "Poly 16"};
const char* const arpeggioNames[] = {"Off", "Up", "Down", "Up/Down", "Random"};
const char* const arpeggioOctaveNames[] = {"Up", "Down", "Up/Down", "Random"};
const char* const offOnNames[] = {"Off", "On"};
const char* const arpeggioOrderNames[] = {"Pitch", "Play"};
const char* const tempoSourceNames[] = {"Internal", "External"};
const char* const ringModulationNames[] = {"Off", "Half", "Full"};
const char* const controllerNames[] = {"Mod Wheel", "Expression", "Aftertouch"};
const char* const glideTypeNames[] = {"Norm", "Auto", "Gliss", "Norm-Fixd", "Auto-Fixd", "Gliss-Fixd"};
const char* const lfoWaveNames[] = {"Triangle",   "Tri 3 step", "Tri 5 step", "Sawtooth",  "Saw 4 step", "Saw 8 step",
                                    "Square",     "Pattern 1",  "Pattern 2",  "Guitar",    "Filter Env", "Random"};
const char* const lfoSyncNames[] = {"Free",    "Free-RT",      "Lock",         "Lock-RT",     "Clock", "Clock-RT",
                                    "Midi",    "Midi-RT",      "Midi-RT 2 br", "Midi-RT 3 br", "Midi-RT 4 br"};
const char* const modSumNames[] = {"No Sum", "Sum Amount"};
const char* const auxDestinationNames[] = {"Off",      "Osc 2 Pitch", "PW 1",    "PW 2",     "PW 1 & 2",
                                           "Filter Sep", "Filter Q",  "Osc Mix", "Noise Mix"};
const char* const delayFeedbackNames[] = {"Direct", "Crossed"};
const char* const unisonNames[] = {"Off",      "Mono",     "Poly 2Vc", "Poly 3Vc", "Poly 4Vc",
                                   "Poly 5Vc", "Poly 6Vc", "Poly 7Vc", "Poly 8Vc"};
const char* const controlSourceNames[] = {"Mod Wheel", "Aftertouch", "Expression", "Velocity"};
const char* const controlDestinationNames[] = {"Drive",      "Filter Freq", "Filter Sep", "Filter Q",
                                               "Pitch Amnt", "Filter Amnt", "Aux Amount"};
const char* const noiseTypeNames[] = {"White", "Audio Input", "Pink"};
const char* const glideSpreadNames[] = {"Off", "Mild", "Wild"};

// Fine steps around zero, coarse towards the ends.
constexpr float lfoToPitchPoints[] = {-9.5f, -7.0f, -4.5f, -2.5f, -1.0f, 0.0f, 1.0f, 2.5f, 4.5f, 7.0f, 9.5f};
constexpr float kPercentPerSemitone = 100.0f / 7.0f;
constexpr float lfoToFilterPoints[] = {
    lfoToPitchPoints[0] * kPercentPerSemitone, lfoToPitchPoints[1] * kPercentPerSemitone,
    lfoToPitchPoints[2] * kPercentPerSemitone, lfoToPitchPoints[3] * kPercentPerSemitone,
    lfoToPitchPoints[4] * kPercentPerSemitone, lfoToPitchPoints[5] * kPercentPerSemitone,
    lfoToPitchPoints[6] * kPercentPerSemitone, lfoToPitchPoints[7] * kPercentPerSemitone,
    lfoToPitchPoints[8] * kPercentPerSemitone, lfoToPitchPoints[9] * kPercentPerSemitone,
    lfoToPitchPoints[10] * kPercentPerSemitone};

// By aux destination: the amount shows in the unit of what it modulates.
const ModalFloatParameter::Mode auxModes[] = {
    {-7.0f, 7.0f, "d2", "semitones"},   {-7.0f, 7.0f, "d2", "semitones"},  {-50.0f, 50.0f, "d2", "%"},
    {-50.0f, 50.0f, "d2", "%"},         {-50.0f, 50.0f, "d2", "%"},        {-24.0f, 24.0f, "d2", "semitones"},
    {-1.0f, 1.0f, "d2", "Q"},           {-100.0f, 100.0f, "d0", "%"},      {-100.0f, 100.0f, "d0", "%"},
};

// By controller destination; the last eight follow the aux destination when
// the controller drives the aux amount.
const ModalFloatParameter::Mode controllerModes[] = {
    {-100.0f, 100.0f, "d0", "%"},  {-100.0f, 100.0f, "d0", "%"}, {-24.0f, 24.0f, "d2", "semitones"},
    {-1.0f, 1.0f, "d2", "Q"},      {-7.0f, 7.0f, "d2", "semitones"}, {-100.0f, 100.0f, "d0", "%"},
    auxModes[0], auxModes[1], auxModes[2], auxModes[3], auxModes[4], auxModes[5], auxModes[6], auxModes[7],
};

template <std::size_t N>
constexpr int countOf(const char* const (&)[N])
{
    return static_cast<int>(N);
}

using Parameter = std::unique_ptr<ZentrovaParameter>;

template <std::size_t N>
Parameter choice(const ParameterNames& names, const char* const (&choices)[N], bool centred = false,
                 const char* label = "")
{
    return std::make_unique<StringParameter>(names, centred, label, choices, countOf(choices));
}

// The harmonic levels' names, made once for every parameter of the process.
struct HarmonicNames
{
    std::string displayName;
    std::string shortName;
    std::string key;
};

HarmonicNames makeHarmonicNames(int index)
{
    int wave = (index - Param::W1Fund) / kHarmonicCount;
    int h = (index - Param::W1Fund) % kHarmonicCount + 1;
    HarmonicNames names;
    names.displayName = wave == 0 ? "Wave 1 " : "Wave 2 ";
    names.shortName = wave == 0 ? "W1" : "W2";
    names.key = names.shortName;
    char number[8];
    std::snprintf(number, sizeof number, "%02d", h);
    if (h == 1)
    {
        names.displayName += "Fundamental";
        names.shortName += " Fund";
        names.key += "Fund";
    }
    else
    {
        static const char* const suffixes[] = {"th", "st", "nd", "rd"};
        int last = h % 10;
        bool teen = h >= 11 && h <= 13;
        names.displayName += std::to_string(h) + (teen || last > 3 ? suffixes[0] : suffixes[last]) + " Harmonic";
        names.shortName += std::string(" Hr ") + number;
        names.key += std::string("Hr") + number;
    }
    return names;
}

Parameter harmonic(int index)
{
    static const Lasting<std::vector<HarmonicNames>> table([] {
        std::vector<HarmonicNames> made;
        for (int i = Param::W1Fund; i < kParameterCount; ++i)
            made.push_back(makeHarmonicNames(i));
        return made;
    }());
    const HarmonicNames& held = (*table)[static_cast<std::size_t>(index - Param::W1Fund)];
    ParameterNames names{held.displayName.c_str(), held.shortName.c_str(), held.key.c_str()};
    return std::make_unique<IntParameter>(names, false, "", 0, 255, false);
}
}

std::unique_ptr<ZentrovaParameter> createParameterObject(int index)
{
    using namespace Param;
    if (index >= W1Fund && index < kParameterCount)
        return harmonic(index);
    if (index < 0 || index >= kNamedParameterCount)
        return nullptr;

    const ParameterNames& n = parameterNameTable[index];
    constexpr bool centred = true;
    constexpr bool normalised = true;
    switch (static_cast<Index>(index))
    {
    case FilterType: return choice(n, FilterTypeNames);
    case FilterQ: return std::make_unique<FloatParameter>(n, false, "Q", "d2", normalised, 0.0f, 1.0f);
    case FilterFreq:
        return std::make_unique<LogFloatParameter>(n, false, "Hz", "d0", normalised, 16.0f, 16000.0f, 0.0f);
    case FilterSep: return std::make_unique<FloatParameter>(n, centred, "Semitones", "d1", false, -24.0f, 24.0f);
    case FilterDrive: return std::make_unique<FloatParameter>(n, false, "%", "d0", normalised, 0.0f, 100.0f);
    case KbdPitchToFilter: return std::make_unique<FloatParameter>(n, false, "x", "d1", false, -2.0f, 2.0f);
    case EnvToFilter: return std::make_unique<FloatParameter>(n, centred, "%", "d0", false, -100.0f, 100.0f);
    case FilterEnvSource: return choice(n, envelopeSourceNames);
    case Volume: return std::make_unique<VolumeParameter>(n, false, false);
    case Osc1Waveform:
    case Osc2Waveform: return choice(n, oscillatorWaveNames);
    case Osc2Octave: return std::make_unique<IntParameter>(n, false, "Octaves", -2, 3, false);
    case Osc2Transpose: return std::make_unique<IntParameter>(n, false, "Semitones", -7, 7, false);
    case Osc2Detune: return std::make_unique<IntParameter>(n, centred, "Cents", -50, 50, false);
    case PulseWidth1:
    case PulseWidth2: return std::make_unique<IntParameter>(n, false, "%", 50, 99, false);
    case MasterOctave: return std::make_unique<IntParameter>(n, centred, "Octaves", -2, 2, false);
    case Triggering: return choice(n, triggeringNames);
    case Tempo:
        return std::make_unique<FloatIntParameter>(n, false, "bpm", "d0", false, 16.0f, 768.0f, 0.0f, "Bts/Bar", 1,
                                                   64);
    case GateTime: return std::make_unique<IntParameter>(n, false, "%", 1, 100, false);
    case Function: return choice(n, functionNames);
    case KbdVelToAttack:
    case KbdVelToRelease:
        return std::make_unique<LogFloatParameter>(n, false, "x", "d2", false, 0.25f, 4.0f, 0.0f);
    case KbdVelToDrive:
    case KbdVelToFilter:
        return std::make_unique<FloatParameter>(n, centred, "%", "d0", false, -100.0f, 100.0f);
    case AmpAttack:
        return std::make_unique<LogFloatParameter>(n, false, "Secs", "d4", false, 0.001f, 15.0f, 0.002f);
    case AmpDecay:
    case FilterAttack:
    case FilterDecay:
        return std::make_unique<LogFloatParameter>(n, false, "Secs", "d4", false, 0.001f, 30.0f, 0.002f);
    case AmpSustain: return std::make_unique<FloatParameter>(n, false, "%", "d1", normalised, 0.0f, 100.0f);
    case AmpRelease:
    case FilterRelease:
        return std::make_unique<LogFloatParameter>(n, false, "Secs", "d4", false, 0.001f, 60.0f, 0.002f);
    case FilterSustain: return std::make_unique<FloatParameter>(n, false, "%", "d0", false, 0.0f, 100.0f);
    case FilterDelay: return std::make_unique<FloatParameter>(n, false, "Secs", "d3", false, 0.0f, 2.0f);
    case Arpeggio: return choice(n, arpeggioNames);
    case ArpeggioOctDir: return choice(n, arpeggioOctaveNames);
    case ArpeggioOctM1:
    case ArpeggioOctP1:
    case ArpeggioOctP2:
    case KeyboardHold:
    case ChordMemory:
    case EffectActive: return choice(n, offOnNames);
    case ArpeggioOrder: return choice(n, arpeggioOrderNames);
    case TempoExternal: return choice(n, tempoSourceNames, false, "Source");
    case ChorusLevel:
    case DelayLevel: return std::make_unique<IntSwitchParameter>(n, false, "%", 0, 100, "Off", false);
    case ChorusMode: return std::make_unique<IntParameter>(n, false, "", 1, 4, false);
    case DelayTempo: return std::make_unique<IntSwitchParameter>(n, false, "bpm", 31, 192, "Midi", false);
    // The mixer gives oscillator 1 the value's share.
    case OscMix: return std::make_unique<MixParameter>(n, centred, "Osc1/Osc2", true);
    case NoiseMix: return std::make_unique<MixParameter>(n, centred, "Osc/Noise");
    case RingModulation: return choice(n, ringModulationNames, centred);
    case ModToPitch: return std::make_unique<FloatParameter>(n, centred, "semitones", "d2", false, -7.0f, 7.0f);
    case PitchController:
    case FilterController:
    case AuxController: return choice(n, controllerNames);
    case ModToFilter: return std::make_unique<FloatParameter>(n, centred, "%", "d0", false, -100.0f, 100.0f);
    case BendAmount: return std::make_unique<IntParameter>(n, false, "semitones", 0, 24, false);
    case GlideType: return choice(n, glideTypeNames);
    case GlideTime:
        return std::make_unique<LogFloatParameter>(n, false, "Secs", "d2", false, 0.004f, 20.0f, 0.1f);
    case LFO1Waveform:
    case LFO2Waveform: return choice(n, lfoWaveNames);
    case LFO1Rate:
    case LFO2Rate:
        return std::make_unique<FloatIntParameter>(n, false, "Hz", "d3", false, 0.03f, 30.0f, 0.0f, "Cycles/Bar", 1,
                                                   64);
    case LFO1Intro:
    case LFO2Intro: return std::make_unique<FloatParameter>(n, false, "Secs", "d2", false, 0.0f, 8.0f);
    case LFO1Sync:
    case LFO2Sync: return choice(n, lfoSyncNames);
    case LFOtoPitch:
        return std::make_unique<PolyFloatParameter>(n, centred, "Semitones", lfoToPitchPoints, 11, "d2", false);
    case LFOtoPitchSource:
    case AuxModLfoMix:
    case LFOtoFilterSource: return std::make_unique<LfoMixParameter>(n, centred, "LFO1/LFO2");
    case LFOtoFilter:
        return std::make_unique<PolyFloatParameter>(n, centred, "%", lfoToFilterPoints, 11, "d1", false);
    case PitchModSum:
    case AuxModSum: return choice(n, modSumNames);
    case AuxModAmount:
    case AuxModEnvelope:
    case AuxModWheel: return std::make_unique<ModalFloatParameter>(n, centred, auxModes, 9, false);
    case AuxModEnvSource:
    case PitchEnvSource: return choice(n, envelopeSourceNames);
    case AuxModDestination: return choice(n, auxDestinationNames);
    case FiltEnvToPitch:
        return std::make_unique<FloatParameter>(n, centred, "Semitones", "d2", false, -7.0f, 7.0f);
    case ChorusRate: return std::make_unique<FloatParameter>(n, false, "Hz", "d2", false, 0.2f, 2.0f);
    case ChorusDepth: return std::make_unique<FloatParameter>(n, false, "", "d2", false, 0.1f, 3.0f);
    case DelayMixLeft:
    case DelayMixRight: return std::make_unique<IntParameter>(n, centred, "%", 0, 100, normalised);
    case DelayFeedbackLeft:
    case DelayFeedbackRight: return std::make_unique<IntParameter>(n, false, "%", 0, 95, false);
    case DelayLengthLeft:
    case DelayLengthRight: return std::make_unique<IntParameter>(n, false, "units", 1, 32, false);
    case DelayHighpass:
        return std::make_unique<LogFloatParameter>(n, false, "Hz", "d0", false, 8.0f, 2000.0f, 0.0f);
    case DelayLowpass:
        return std::make_unique<LogFloatParameter>(n, false, "kHz", "d2", false, 1.0f, 20.0f, 0.0f);
    case DelayUnits: return std::make_unique<IntParameter>(n, false, "//Beat", 32, 4, false);
    case DelayDucking: return std::make_unique<IntParameter>(n, centred, "%", -100, 100, false);
    case DelayFeedbackMode: return choice(n, delayFeedbackNames);
    case UnisonMode: return choice(n, unisonNames);
    case UnisonDetune: return std::make_unique<FloatParameter>(n, false, "cents", "d0", false, 0.0f, 100.0f);
    case UnisonSpread: return std::make_unique<IntParameter>(n, centred, "", -100, 100, false);
    case Controller1Amount:
    case Controller2Amount:
        return std::make_unique<ModalFloatParameter>(n, centred, controllerModes, 14, false);
    case Controller1Source:
    case Controller2Source: return choice(n, controlSourceNames);
    case Controller1Dest:
    case Controller2Dest: return choice(n, controlDestinationNames);
    case NoiseType: return choice(n, noiseTypeNames);
    case GlideSpread: return choice(n, glideSpreadNames);
    case PanMode: return std::make_unique<IntParameter>(n, false, "", 1, 5, false);
    case PanSpread: return std::make_unique<FloatParameter>(n, false, "%", "d0", false, 0.0f, 100.0f);
    default: return nullptr;
    }
}
