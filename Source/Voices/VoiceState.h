#pragma once

#include "dsp/Lfo.h"

#include <cstdint>

struct AuxModSettings;
class NoteControl;
struct GroupModulation;
struct MixerGains;
class OscillatorSettings;
struct NoteSettings;
struct VoiceBuffers;
class VoiceControlSettings;

// One voice: its glide, its two LFO phases, its place in the unison stack,
// and the per-tick values it writes for the oscillators, the mixer and the
// filter.
class VoiceState
{
public:
    // Added to the oscillator pitches: half of the oscillators' pitch
    // resolution (1/32 semitone), so that their truncation rounds instead and
    // detunings up and down come out alike.
    static constexpr std::int32_t kPitchRounding = 1 << 10;

    VoiceState();
    ~VoiceState();

    VoiceState(const VoiceState&) = delete;
    VoiceState& operator=(const VoiceState&) = delete;

    // Index 0..127; binds the two LFOs to the shared settings, following the
    // global LFOs in the clocked modes.
    void init(int index, const NoteSettings* settings);
    void setBuffers(VoiceBuffers* buffers) { m_pBuffers = buffers; }

    int index() const { return m_index; }
    NoteControl* group() const { return m_pGroup; }
    void setGroup(NoteControl* group) { m_pGroup = group; }

    // Joining a group: its place in the glide spread.
    void setGlideSpreadIndex(int index) { m_glideSpreadIndex = index; }
    void setUnisonPosition(float position) { m_unisonPosition = position; }
    float unisonPosition() const { return m_unisonPosition; }
    // Starts at the same pitch as another voice of the group.
    void copyGlide(const VoiceState& other);

    void restartLfos();
    // Moves the glide one tick toward the note.
    void glideTick(int note, bool newPhrase, const VoiceControlSettings& control);
    // A full tick writes the voice's streams at tick t; a quick tick (group
    // idle) only advances the LFO and pulse-width phases.
    void tick(int t, bool quick, const GroupModulation& group);
    // The LFOs' share of quick ticks of an engine at rest, all at once.
    void skip(std::int64_t ticks);
    // The pulse-width LFO phases, which the engine moves on while it rests.
    float pwmPhase(int i) const { return m_pwmPhase[i]; }
    void setPwmPhase(int i, float phase) { m_pwmPhase[i] = phase; }
    // The glide has arrived at the note and nothing moves.
    bool glideSettled(int note) const
    {
        const std::int64_t target = static_cast<std::int64_t>(note) << 16;
        return m_glideTarget == target && m_glidePitch == target;
    }
    bool canSkip() const { return m_lfo[0].canSkip() && m_lfo[1].canSkip(); }
    // In a block without a whole tick the filter still reads the first word
    // when a voice starts: give it the last word computed.
    void repeatFilterWord();

    // The mixer gains for a mix and noise mix (0..100 each), an input level
    // and a ring modulation setting; the same for all voices of a group
    // while the auxiliary modulation leaves the mix alone.
    // What each pulse-width LFO moves per tick; the same for every voice.
    static float pwmPhaseStep(const OscillatorSettings& oscillators, int i);
    static MixerGains mixerGains(float mix, float noise, float level, std::int64_t ringModulation);
    static bool mixerGainsShared(const AuxModSettings& aux);

    // The unison part of the pan: spread (-1..1) times the position; a
    // negative spread puts the outer voices at fixed sides.
    float spreadPan(float spread) const;

    std::int64_t glidePitch() const { return m_glidePitch; }
    std::int64_t glideOutput() const { return m_glideOutput; }
    int glideSpreadIndex() const { return m_glideSpreadIndex; }
    std::int8_t lfoOutput(int lfo) const { return m_lfoOutput[lfo]; }
    std::int64_t auxSum() const { return m_auxSum; }
    const Lfo& lfo(int i) const { return m_lfo[i]; }
    std::uint32_t lastFilterWord() const { return m_lastFilterWord; }

private:
    void writeOutputs(int t, const GroupModulation& group);

    // Ordered to leave no padding: the engine holds one per voice.
    Lfo m_lfo[2];
    NoteControl* m_pGroup;
    const NoteSettings* m_pSettings;
    int m_index;
    std::int8_t m_lfoOutput[2];
    std::uint8_t m_randomByte[2];
    std::int64_t m_auxSum;
    float m_pwmPhase[2];
    std::int64_t m_glidePitch;
    std::int64_t m_glideTarget;
    std::int64_t m_glideStep;
    float m_intervalFactor;
    std::uint32_t m_lastFilterWord;
    std::int64_t m_glideOutput;
    float m_unisonPosition;
    int m_glideSpreadIndex;
    VoiceBuffers* m_pBuffers;
};
