#pragma once

// How many parameters there are and where each one sits: the indices the
// engine, the patch state and the editor share, apart from the factory of
// the parameter objects.

// Parameters 0-106 have names and may be driven by MIDI controllers; the
// levels of the two user waves' 24 harmonics follow them.
constexpr int kNamedParameterCount = 107;
constexpr int kHarmonicCount = 24;
constexpr int kParameterCount = kNamedParameterCount + 2 * kHarmonicCount;

// Parameter indices by patch key. The 48 harmonic levels follow from
// W1Fund: W1Fund + 24 w + k is harmonic k + 1 of user wave w + 1.
namespace Param
{
enum Index : int
{
    FilterType, FilterQ, FilterFreq, FilterSep, FilterDrive, KbdPitchToFilter, EnvToFilter, FilterEnvSource,
    Volume, Osc1Waveform, Osc2Waveform, Osc2Octave, Osc2Transpose, Osc2Detune, PulseWidth1, PulseWidth2,
    MasterOctave, Triggering, Tempo, GateTime, Function, KbdVelToAttack, KbdVelToRelease, KbdVelToDrive,
    KbdVelToFilter, AmpAttack, AmpDecay, AmpSustain, AmpRelease, FilterAttack, FilterDecay, FilterSustain,
    FilterRelease, FilterDelay, Arpeggio, ArpeggioOctDir, ArpeggioOctM1, ArpeggioOctP1, ArpeggioOctP2,
    ArpeggioOrder, KeyboardHold, ChordMemory, TempoExternal, ChorusLevel, ChorusMode, DelayLevel, DelayTempo,
    EffectActive, OscMix, NoiseMix, RingModulation, ModToPitch, PitchController, ModToFilter, FilterController,
    BendAmount, GlideType, GlideTime, LFO1Waveform, LFO1Rate, LFO1Intro, LFO1Sync, LFO2Waveform, LFO2Rate,
    LFO2Intro, LFO2Sync, LFOtoPitch, LFOtoPitchSource, AuxModLfoMix, LFOtoFilter, LFOtoFilterSource,
    PitchModSum, AuxModAmount, AuxModEnvelope, AuxModEnvSource, AuxModSum, AuxModWheel, AuxController,
    AuxModDestination, FiltEnvToPitch, PitchEnvSource, ChorusRate, ChorusDepth, DelayMixLeft, DelayMixRight,
    DelayFeedbackLeft, DelayFeedbackRight, DelayLengthLeft, DelayLengthRight, DelayHighpass, DelayLowpass,
    DelayUnits, DelayDucking, DelayFeedbackMode, UnisonMode, UnisonDetune, UnisonSpread, Controller1Amount,
    Controller1Source, Controller1Dest, Controller2Amount, Controller2Source, Controller2Dest, NoiseType,
    GlideSpread, PanMode, PanSpread,
    W1Fund,
    W2Fund = W1Fund + kHarmonicCount,
};
}
