#pragma once

#include "Source/Voices/VoiceEvent.h"
#include "Source/queues/ControlCue.h"
#include "dsp/Amp.h"
#include "dsp/AmpSettings.h"
#include "dsp/EngineDimensions.h"

#include <cstdint>

class NoteControl;
struct VoiceBuffers;

// The last stage of the engine: one amplifier per voice over the voice's
// filtered signal into the stereo mix at twice the host rate. Its events
// (gates and envelope settings) apply at their exact sample; after each
// block it reports, per voice group, the highest envelope stage and the
// group's level, from which the keyboard handler picks groups for new notes.
class AmpBank
{
public:
    static constexpr int kVoices = Engine::kVoices;
    static constexpr int kGroups = Engine::kGroups;
    static constexpr int kStageMasks = Engine::kGroupMasks;

    AmpBank();
    virtual ~AmpBank();

    AmpBank(const AmpBank&) = delete;
    AmpBank& operator=(const AmpBank&) = delete;

    // Renders `frames` host samples into mix (four floats per host sample:
    // left and right of two engine samples). activeMask (128 bits) names the
    // voices to render and receives the voices still sounding; stageMasks
    // receives the groups by highest stage and levels each group's level.
    // The voices' input starts inputOffset engine samples before their
    // buffers.
    void process(ControlCue<VoiceEvent>& cue, float* mix, int frames, std::uint64_t* activeMask,
                 std::int64_t* stageMasks, float* levels, std::int64_t inputOffset);

    void setSampleRate(float hostRate);
    void setHold2Scale(float scale) { m_settings.hold2Scale = scale; }
    // The voices' filter outputs.
    void setInputs(const VoiceBuffers* records);
    // The 16 voice groups whose voice lists the gate events address.
    void setGroups(NoteControl* groups) { m_pGroups = groups; }
    void reset();
    // Silences one voice at once (a voice that left its group).
    void resetVoice(int voice) { m_amps[voice].reset(); }

    const Amp& amp(int voice) const { return m_amps[voice]; }
    const AmpSettings& settings() const { return m_settings; }
    std::int64_t voiceFunction() const { return m_function; }
    std::int64_t unisonMode() const { return m_unisonMode; }

private:
    void apply(const VoiceEvent& event);
    // Applies the events due at or before time and reads on.
    void applyEventsUpTo(std::int64_t time);
    void applyChanges();
    template <typename Action>
    void forEachAddressedVoice(std::int64_t value, Action action);

    std::int64_t m_function;
    std::int64_t m_unisonMode;
    AmpSettings m_settings;
    Amp m_amps[kVoices];
    // Left unwritten until a voice plays: idle voices' pages stay untouched.
    Amp::Tables m_tables[kVoices];
    ControlCue<VoiceEvent>* m_pCue;
    VoiceEvent m_event;
    bool m_attackChanged;
    bool m_decayChanged;
    bool m_releaseChanged;
    bool m_sustainChanged;
    const float* m_inputs[kVoices];
    NoteControl* m_pGroups;
};
