#pragma once

#include <atomic>

#include <cstdint>

#include "Source/Voices/Arpeggiator.h"
#include "Source/Voices/ChannelLists.h"
#include "Source/Voices/KeyboardDescriptor.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/queues/ControlCue.h"
#include "dsp/EngineDimensions.h"

class EditorPort;
struct ChordLists;

// Turns the keyboard queue's MIDI notes, pedals, clock gates and keyboard
// parameters into events for the voice groups, once per host block: note
// starts, gates and controller levels for the note controls (tick-timed)
// and envelope gates for the amplifier bank (sample-timed). It keeps the
// held notes of the 16 MIDI channels, the pedals, the keyboard mode, the
// voice groups' notes, keyboard hold, chord memory and the arpeggiator.
// Audio thread only.
class KeyboardHandler
{
public:
    static constexpr int kNumChannels = 16;
    static constexpr int kNumGroups = Engine::kGroups;
    static constexpr int kNumNotes = 128;
    // The amplifier bank reports one mask per envelope stage; the handler
    // adds the groups it gave a note in this block.
    static constexpr int kNumStageMasks = Engine::kStageMasks;
    static constexpr int kTakenMask = Engine::kTakenMask;
    static constexpr int kNumGroupMasks = Engine::kGroupMasks;

    enum KeyboardMode
    {
        kPoly = 0,
        kMono = 1,
        kDuo = 2,
    };

    KeyboardHandler();

    KeyboardHandler(const KeyboardHandler&) = delete;
    KeyboardHandler& operator=(const KeyboardHandler&) = delete;

    // cues: the main object's five control queues; groupMasks: the six group
    // masks, the stage masks as the amplifier bank reported them in the
    // previous block; levels: one amplifier level per group; blockOffset:
    // samples of the current control tick that lay before this block.
    // Returns the mask of the groups whose amplifiers were gated.
    std::int64_t processBlock(ControlCue<VoiceEvent>* cues, std::int64_t* groupMasks, const float* levels,
                              std::int64_t blockOffset);
    void reset();
    // The soft pedal's velocity factor, 0..1; stored as scale x 256, rounded.
    void setDamperScale(float scale);
    void setEditor(EditorPort* editor) { m_pEditor = editor; }
    // The engine state's patch, whose 16 chord lists the handler copies when
    // the program-switched event (595) arrives. It plays its copies and
    // writes what it learns back into the patch, under the patch's chord
    // lock, as soon as it can take it. The patch must stay valid while the
    // handler holds it.
    void setChordLists(ChordLists* patch) { m_pOfferedPatch.store(patch, std::memory_order_release); }
    // Any thread: whether the handler still writes into these lists. Once
    // it has taken others, it never touches these again.
    bool holdsChordLists(const KeyboardDescriptor* lists) const
    {
        return m_chordListsHeld.load(std::memory_order_acquire) == lists;
    }

    int getDamperScale() const { return m_damperScale.load(std::memory_order_relaxed); }
    int getKeyboardMode() const { return m_keyboardMode; }
    // No note, pedal or arpeggio is held: a block without events would
    // change nothing here.
    bool isAtRest() const;
    int getPolyphony() const { return m_polyphony; }
    // The keys down (or kept by a pedal) and the keys the arpeggiator, hold
    // and chord memory work on.
    const KeyboardDescriptor& getKeyList(int channel) const { return m_keyList[channel]; }
    const KeyboardDescriptor& getSoundList(int channel) const { return m_soundList[channel]; }

private:
    // Group argument of the gate operations meaning every active group.
    static constexpr int kActiveGroups = Engine::kGroups;

    enum Voices
    {
        kFirstVoice = 1,
        kSecondVoice = 2,
        kBothVoices = 3,
    };

    // Room for what one event may post: an all-notes-off of a full
    // keyboard in duo mode makes some 400 events.
    static constexpr std::uint32_t kPostsPerEvent = 1024;
    bool roomToPost() const;
    void gateOffIdleGroups();
    void handleEvent(const VoiceEvent& event);
    void handleCode(std::int64_t code, std::int64_t value);
    void postController(std::int64_t kind, int channel, std::int64_t value);
    void keyPressure(int channel, int note, std::int64_t value);
    void applyKeyPressure(int channel, int note, int pressure);

    // A note event with chord memory applied: a key may stand for a chord.
    void noteEvent(int channel, int note, int velocity);
    // A note event of one key; velocity <= 0 releases it.
    void playNote(int channel, int note, int velocity);
    void noteOn(int channel, int note, int velocity);
    void noteOff(int channel, int note, int velocity);
    // The note-on of the keyboard mode.
    void soundNote(int channel, int note, int velocity, int key);
    void replacePhrase(int channel);
    void polyNoteOn(int note, int velocity);
    void polyNoteOff(int note, int velocity);
    void monoNoteOn(int channel, int note, int velocity, int key);
    void monoNoteOff(int channel, int note, int velocity);
    void duoNoteOn(int channel, int key, int velocity);
    void duoNoteOff(int channel, int key, int velocity, bool wasHeld);
    void retrigger(int group, int velocity);
    int pickGroup() const;

    void setVoiceFunction(std::int64_t value);
    void setArpeggio(std::int64_t value);
    void setOrder(std::int64_t value);
    void setHold(bool on);
    void setSustain(bool down);
    void setSostenuto(bool down);
    void allNotesOff();
    void releaseHeld(int channel);
    void clockGateOn();
    void clockGateOff();

    void startArpeggio(int channel, int key, int velocity);
    void stopArpeggio(int channel, int velocity);
    void arpeggiatorStep(int channel);
    void releasePlayedNote(int channel, int velocity);

    void setChordMemory(bool on);
    void chordOff();
    // Writes the copies into the held patch if its lock is free, or, with
    // wait, once it is (the host holds it only for a copy).
    void publishChords(bool wait);
    void takeOfferedChords();
    bool isChordMember(int channel, int key) const;
    void playChord(int channel, int key, int velocity);
    void releaseChord(int channel, int velocity);

    // Posting to the queues.
    void post(int cue, std::int64_t code, std::int64_t value, std::int64_t time);
    std::int64_t tick() const { return (m_time + m_blockOffset) >> Engine::kTickShift; }
    std::int64_t maskOf(int group) const;
    void gateOnNotes(int group, int velocity, bool restart);
    void gateOnAmp(int group, int velocity, bool restart);
    void gateOffNotes(int group, int velocity);
    void gateOffAmp(int group, int velocity);
    void newPhrase(int group);
    void noteStart(int group, int voices, int note, int velocity, int pressure, int key);
    void releaseGroup(int group, int voices);
    // Releases both voices with gate-offs on both queues.
    void silenceGroup(int group, int velocity);
    void silenceNote(int note, int velocity);
    // Silences every sounding group from first on but keep (-1 for none).
    void silenceGroups(int first, int keep);
    bool sounds(int group) const { return m_firstNote[group] >= 0 || m_secondNote[group] >= 0; }
    void showKey(int note, bool down);

    EditorPort* m_pEditor = nullptr;

    // The block being processed.
    ControlCue<VoiceEvent>* m_pCues = nullptr;
    std::int64_t* m_pGroupMasks = nullptr;
    const float* m_pLevels = nullptr;
    std::int64_t m_blockOffset = 0;
    std::int64_t m_time = 0;
    std::int64_t m_gatedGroups = 0;
    // A post found its queue full: the engine's gates may not match the
    // handler's groups until the next block sets them right.
    bool m_postsLost = false;

    ChannelLists m_keyList;
    ChannelLists m_soundList;

    int m_keyboardMode = kMono;
    int m_function = 0;
    std::int64_t m_unisonMode = 0;
    int m_polyphony = 2;

    int m_firstNote[kNumGroups];
    int m_firstKey[kNumGroups];
    int m_secondNote[kNumGroups];
    int m_secondKey[kNumGroups];
    int m_lastNote[kNumGroups];
    int m_noteGroup[kNumNotes];
    std::int64_t m_activeGroups = 0;

    // Release velocity of a key let go while the sustain pedal was down.
    std::uint8_t m_sustainMap[kNumChannels][kNumNotes];
    // kCaptured for a key the sostenuto pedal holds, plus kReleased once it
    // was let go.
    std::uint8_t m_sostenutoMap[kNumChannels][kNumNotes];
    bool m_sustain = false;
    bool m_sostenuto = false;
    int m_legato = 0;
    int m_softScale = 256;
    // Set from the configuration on any thread.
    std::atomic<int> m_damperScale{128};

    int m_env1Trigger = 0;
    int m_env2Trigger = 0;

    Arpeggiator m_arpeggiator;
    bool m_hold = false;

    bool m_chordMemory = false;
    int m_chordRoot[kNumChannels];
    int m_chordTransposition[kNumChannels];
    int m_chordOrder[kNumChannels];
    bool m_programLoading = false;
    // The copies played, or null while the handler holds no patch.
    KeyboardDescriptor* m_pChordLists = nullptr;
    KeyboardDescriptor m_chordLists[kNumChannels];
    ChordLists* m_pChordPatch = nullptr;
    // The copies differ from the patch's lists.
    bool m_chordsUnpublished = false;
    // Offered from the host thread when processing resumes.
    std::atomic<ChordLists*> m_pOfferedPatch{nullptr};
    // The held patch's chord lists, published for the threads that would
    // write the state they belong to.
    std::atomic<const KeyboardDescriptor*> m_chordListsHeld{nullptr};
};
