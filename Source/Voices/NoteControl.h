#pragma once

#include "Source/Voices/GroupModulation.h"

#include <cstdint>
#include <memory>

class ModEnvelope;
class Voice;
class VoiceEvent;
class VoiceState;
struct NoteSettings;
struct VoicePool;

// One voice group, the unit the keyboard handler addresses: its stack of
// unison voices, its note, velocity and controllers, its two modulation
// envelopes, the bend and the LFO intros. It applies the note-control
// events addressed to it and, every tick, updates its voices.
class NoteControl
{
public:
    static constexpr int kMaxVoices = 16;

    // The five controller slots, 0..2600 each.
    enum Controller
    {
        kModWheel = 0,
        kExpression = 1,
        kPressureSum = 2,
        kKeyPressure = 3,
        kChannelPressure = 4,
    };

    NoteControl();
    virtual ~NoteControl();

    NoteControl(const NoteControl&) = delete;
    NoteControl& operator=(const NoteControl&) = delete;

    // index 0..15; the engine's settings, its voice allocator and its map of
    // free voices (128 bits).
    void setup(int index, const NoteSettings* settings, Voice* allocator, std::uint64_t* freeVoices);

    void processEvent(const VoiceEvent& event);
    void tick(int t, bool quick);
    // An idle group's quick ticks, all at once: what moves while the engine
    // rests (the LFO phases and intro ramps) comes out as the ticks would
    // leave it. The engine moves the pulse-width phases itself.
    void skip(std::int64_t ticks);
    // Nothing but what skip advances moves: no bend, glide or envelope.
    bool isAtRest() const;

    // Takes voices from the end of the pool until the group holds n.
    void setVoiceCount(int n, VoicePool& pool);
    // Hands voices back to the pool until the group holds n.
    void returnVoices(int n, VoicePool& pool);
    VoiceState* takeVoice();
    void addVoice(VoiceState* voice);

    void setBendTarget(std::int64_t value);
    void reset();
    // The pan-mode part of a gate-on's pan (the voices add their unison part).
    float nextPanOffset();
    // Voice i's pan (-1..1): its unison place plus the pan-mode offset.
    float voicePan(int i, float offset) const;

    int index() const { return m_index; }
    int voiceCount() const { return m_voiceCount; }
    VoiceState& voice(int i) const { return *m_voices[i]; }
    int note() const { return m_note; }
    int secondNote() const { return m_secondNote; }
    int velocity() const { return m_velocity; }
    bool gate() const { return m_gate; }
    std::int64_t controller(Controller which) const { return m_controllers[which]; }
    std::int64_t bend() const { return m_bend; }
    const ModEnvelope& envelope(int i) const { return *m_envelopes[i]; }
    std::int64_t introFade(int lfo) const { return m_introFade[lfo]; }
    const GroupModulation& modulation() const { return m_modulation; }
    bool newPhrase() const { return m_newPhrase; }
    // The group's voices, 128 bits.
    const std::uint64_t* voiceMask() const { return m_voiceMask; }

private:
    bool addressed(std::int64_t value) const;
    void setController(Controller which, std::int64_t value);
    void gateOn();
    void noteStart(std::int64_t value);
    void computeUnisonPositions();
    void updateModulation();

    int m_index;
    std::uint64_t* m_pFreeVoices;
    VoiceState* m_voices[kMaxVoices];
    std::uint64_t m_voiceMask[2];
    int m_voiceCount;
    bool m_voicesChanged;
    const NoteSettings* m_pSettings;
    Voice* m_pAllocator;
    std::unique_ptr<ModEnvelope> m_envelopes[2];
    bool m_newPhrase;
    int m_note;
    int m_secondNote;
    int m_velocity;
    float m_velocityAmount[2];
    std::int64_t m_bend;
    std::int64_t m_bendTarget;
    bool m_bendMoving;
    bool m_gate;
    std::int64_t m_controllers[5];
    std::int64_t m_introDelay[2];
    std::int64_t m_introFade[2];
    GroupModulation m_modulation;
};
