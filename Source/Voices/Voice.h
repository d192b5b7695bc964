#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "Source/Voices/AmpBank.h"
#include "Source/Voices/AuxModSettings.h"
#include "Source/Voices/NoteControl.h"
#include "Source/Voices/NoteSettings.h"
#include "Source/Voices/OscillatorSettings.h"
#include "Source/Voices/VoiceControlSettings.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/Voices/VoicePool.h"
#include "Source/Voices/VoiceState.h"
#include "Source/queues/ControlCue.h"
#include "dsp/AudioInput.h"
#include "dsp/EngineDimensions.h"
#include "dsp/FilterBank.h"
#include "dsp/Lfo.h"
#include "dsp/LfoParameters.h"
#include "dsp/ModEnvelopeParameters.h"
#include "dsp/OscillatorMixer.h"
#include "dsp/OscillatorsFloat.h"
#include "dsp/VoiceBuffers.h"

// The polyphonic engine of one plug-in instance: everything between the
// control queues and the stereo mix at twice the host rate. It works in
// ticks of 32 host samples (64 engine samples): per tick it applies the
// queued parameter and note events and advances the modulation, then it
// renders oscillators, mixer, filters and amplifiers for the sounding voices.
class Voice
{
public:
    static constexpr int kVoices = Engine::kVoices;
    static constexpr int kGroups = Engine::kGroups;
    static constexpr int kTickFrames = Engine::kTickFrames;
    static constexpr int kTickSamples = Engine::kTickSamples;

    // Without an audio input the "Audio Input" oscillator source is silent.
    explicit Voice(bool hasAudioInput = true);
    virtual ~Voice();

    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Making a voice engine writes nearly all of it: its pages are mapped
    // in one call.
    static void* operator new(std::size_t size);
    static void operator delete(void* p);

    void reset();
    // Neither change is for the audio thread: the block size allocates.
    // Not for the audio thread. The wave tables are built now, or with
    // buildWaves false at the next prepareWaves, so that a rate soon
    // replaced costs nothing.
    void setSampleRate(float hostRate, bool buildWaves = true);
    void prepareWaves();
    void setBlockSize(int frames);
    // Any thread but the audio thread, between block-size changes: gives
    // part `part` of `parts` of the voices' buffers their memory (up to a
    // bound for all parts), so that a first chord faults no pages.
    void prefaultBuffers(int part, int parts) const;
    // mode: the unison mode (0 off, 1 mono stack, 2..8 voices per group);
    // polyphony: the voices of a mono stack.
    void setVoiceMode(int mode, int polyphony);
    // Any thread (the configuration calls it); the audio thread takes the
    // new scale at its next block.
    void setHold2Scale(float scale);
    float getHold2Scale() const { return m_hold2Scale.load(std::memory_order_relaxed); }

    // Renders one host block of frames into mix: for host sample k the four
    // floats 4k..4k+3 are left and right of engine frames 2k and 2k + 1.
    // channelMask: the groups gated in this block; groupMasks and
    // groupLevels: the amplifiers' report, read at the start (the first mask
    // holds the idle groups) and refreshed at the end. Returns false when no
    // voice sounded: the mix is exact zero.
    virtual bool process(ControlCue<VoiceEvent>* cues, float** inputs, float* mix, int frames,
                         std::int64_t channelMask, std::int64_t* groupMasks, float* groupLevels);

    // After a block: no voice sounded in it, and nothing moves but the
    // phases that wake can advance in one step (no glide, bend, envelope,
    // wave rebuild or LFO bent onto the clock).
    bool isAtRest() const;
    // A block of frames with no events that the engine rests through: only
    // its ticks are counted.
    void rest(int frames);
    // Advances what moved on while the engine rested, as the ticks would
    // have; the next process carries on from there.
    void wake();

    const NoteControl& noteControl(int group) const { return m_noteControls[group]; }
    const VoiceState& voiceState(int voice) const { return m_voiceStates[voice]; }
    const AmpBank& ampBank() const { return m_ampBank; }
    const FilterBank& filterBank() const { return m_filterBank; }
    const OscillatorSettings& oscillatorSettings() const { return m_oscillatorSettings; }
    const VoiceControlSettings& controlSettings() const { return m_controlSettings; }
    const AuxModSettings& auxSettings() const { return m_auxSettings; }
    const ModEnvelopeParameters& envelopeParameters(int i) const { return m_envelopeParameters[i]; }
    const LfoParameters& lfoParameters(int i) const { return m_lfoParameters[i]; }
    const Lfo& globalLfo(int i) const { return m_globalLfos[i]; }
    const VoiceBuffers& voiceBuffers(int voice) const { return m_buffers[voice]; }
    WaveMipMap& waveMipMap() { return m_pOscillators->waveMipMap(); }
    std::int64_t carry() const { return m_carry; }
    int blockTicks() const { return m_blockTicks; }
    const std::uint64_t* renderMask() const { return m_renderMask; }
    const std::uint64_t* freeVoices() const { return m_freeVoices; }
    int voicesOfGroup(int group) const { return m_noteControls[group].voiceCount(); }
    std::int64_t bendRange() const { return m_bendRange; }

private:
    // The filter values that glide to their targets, one step per few ticks.
    enum FilterGlide
    {
        kGlideCutoff = 0,
        kGlideResonance = 1,
        kGlideSeparation = 2,
    };

    void processControlBlocks(std::int64_t idleGroups);
    bool due(const VoiceEvent& event, int tick) const;
    void processModEvents(int tick);
    void processNoteEvents(int tick);
    void applyControlEvent(const VoiceEvent& event, int tick);
    // These apply a parameter of theirs and answer true; false for any other.
    bool applyFilterParameter(std::int64_t code, std::int64_t value, float v, int tick);
    bool applyEnvelopeParameter(std::int64_t code, std::int64_t value, float v);
    void applyNoteEvent(const VoiceEvent& event);
    void applyHarmonicLevel(std::int64_t code, std::int64_t value);
    void applyPitchBend(std::int64_t value);
    void setFilterTarget(int which, std::int64_t target);
    std::int64_t filterValue(int which) const;
    void setFilterValue(int which, std::int64_t value);
    // Ends any glide at its target; the targets of the next block are taken
    // at once.
    void settleFilter();
    void filterGlideTick();
    void carryLeadIn(const std::uint64_t* rendered);
    void beginRest();
    void applyHold2Scale();

    std::uint64_t m_renderMask[2];
    std::uint64_t m_freeVoices[2];
    NoteControl m_noteControls[kGroups];
    VoiceState m_voiceStates[kVoices];
    VoicePool m_pool;
    std::unique_ptr<OscillatorsFloat> m_pOscillators;
    std::unique_ptr<OscillatorMixer> m_pMixer;
    OscillatorSettings m_oscillatorSettings;
    VoiceControlSettings m_controlSettings;
    ModEnvelopeParameters m_envelopeParameters[2];
    AuxModSettings m_auxSettings;
    FilterBank m_filterBank;
    LfoParameters m_lfoParameters[2];
    Lfo m_globalLfos[2];
    VoiceEvent m_controlEvent;
    VoiceEvent m_noteEvent;
    AmpBank m_ampBank;
    std::int64_t m_bends[kGroups];
    std::int64_t m_bendRange;
    std::int64_t m_filterTarget[3];
    std::int64_t m_filterStep[3];
    unsigned m_filterGlideActive;
    std::int64_t m_filterGlideCounter;
    // Set from a reset to the end of the next block: there is nothing to glide
    // from then, and the patch that block brings must sound from its first
    // note.
    bool m_filterSettling;
    std::unique_ptr<AudioInput> m_pAudioInput;
    NoteSettings m_noteSettings;
    float m_sampleRate;
    bool m_wavesStale;
    int m_blockSize;
    int m_tickCapacity;
    int m_blockTicks;
    std::int64_t m_carry;
    // Ticks rested through and not yet advanced.
    std::int64_t m_restTicks;
    // While resting, the distinct pulse-width phases of the voices in groups,
    // stepped tick by tick as the voices would step them (a sum of floats
    // has no shortcut); each such voice's place in the lists. The voices
    // share a few values, all of them while no voice changed its group.
    bool m_resting;
    float m_restPwmStep[2];
    float m_restPwmPhases[2][kVoices];
    int m_restPwmCount[2];
    std::uint8_t m_restPwmIndex[kVoices][2];
    // The last block rendered no voice: every lead-in is silent.
    bool m_renderedNone;
    // 1 when the block starts inside a tick already rendered: events stamped
    // with that tick apply at the first tick rendered now, the rest one tick
    // earlier than their number, so that every event lands on the tick that
    // holds it whatever the block size.
    int m_tickOffset;
    int m_voiceMode;
    int m_polyphony;
    ControlCue<VoiceEvent>* m_pControlCue;
    ControlCue<VoiceEvent>* m_pNoteCue;
    VoiceBuffers m_buffers[kVoices];
    std::atomic<float> m_hold2Scale;
    float m_hold2ScaleInForce;
};
