#include "Source/Voices/KeyboardHandler.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "Source/Voices/ChordLists.h"
#include "Source/Voices/EventCodes.h"
#include "Source/editorport/EditorPort.h"
#include "Source/editorport/EditorTags.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/queues/QueueLanes.h"

using Note = KeyboardDescriptor::Note;

namespace
{
constexpr int kAmpCue = ControlQueue::kAmp;
constexpr int kKeyboardCue = ControlQueue::kKeyboard;
constexpr int kNoteCue = ControlQueue::kNoteControl;

// Every group bit above the low 16 value bits.
constexpr std::int64_t kAllGroupsMask = ~std::int64_t{0xFFFF};
// Velocity of gates the handler closes or opens on its own.
constexpr int kDefaultVelocity = 64;
constexpr int kNoSoftening = 256;

constexpr std::uint8_t kCaptured = 64;
constexpr std::uint8_t kReleased = 128;

// Amplifier and note-control trigger modes for each Triggering value: 0
// single, 1 multiple, 2 from the clock.
constexpr int kTriggerModes[][2] = {{0, 0}, {1, 1}, {2, 1}, {1, 2}, {2, 2}};
constexpr int kClockTrigger = 2;

constexpr int kNumFunctions = 6;
constexpr int kPolyphonyOfFunction[kNumFunctions] = {1, 1, 4, 8, 12, 16};
// Voices per group of the mono function, by the stored function.
constexpr int kMonoVoicesOfFunction[kNumFunctions] = {1, 2, 4, 8, 12, 16};

// Parameter codes the handler reads.
enum ParameterCode : std::int64_t
{
    kTriggering = Param::Triggering,
    kFunction = Param::Function,
    kArpeggio = Param::Arpeggio,
    kArpeggioOctDir = Param::ArpeggioOctDir,
    kArpeggioOctM1 = Param::ArpeggioOctM1,
    kArpeggioOctP1 = Param::ArpeggioOctP1,
    kArpeggioOctP2 = Param::ArpeggioOctP2,
    kArpeggioOrder = Param::ArpeggioOrder,
    kKeyboardHold = Param::KeyboardHold,
    kChordMemory = Param::ChordMemory,
    kUnisonMode = Param::UnisonMode,
};

int clampVelocity(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -127, 127));
}

int byteOf(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, 127));
}

std::int64_t groupBit(int group)
{
    return std::int64_t{1} << group;
}

// The notes of a list in its order; the list may change while they are used.
int collectNotes(const KeyboardDescriptor& list, Note (&notes)[KeyboardHandler::kNumNotes])
{
    int count = 0;
    bool more = list.getFirst(notes[0]);
    while (more && count < KeyboardHandler::kNumNotes)
    {
        const int note = notes[count].note;
        ++count;
        if (count == KeyboardHandler::kNumNotes)
            break;
        more = list.getNext(note, notes[count]);
    }
    return count;
}
} // namespace

KeyboardHandler::KeyboardHandler()
{
    std::fill(std::begin(m_firstNote), std::end(m_firstNote), -1);
    std::fill(std::begin(m_secondNote), std::end(m_secondNote), -1);
    reset();
}

void KeyboardHandler::reset()
{
    for (int group = 0; group < kNumGroups; ++group)
        releaseGroup(group, kBothVoices);
    std::fill(std::begin(m_noteGroup), std::end(m_noteGroup), -1);
    std::fill(std::begin(m_firstKey), std::end(m_firstKey), -1);
    std::fill(std::begin(m_secondKey), std::end(m_secondKey), -1);
    std::fill(std::begin(m_lastNote), std::end(m_lastNote), -1);
    m_activeGroups = 0;
    m_keyList.clear();
    m_soundList.clear();
    for (int channel = 0; channel < kNumChannels; ++channel)
    {
        m_chordRoot[channel] = -1;
        m_chordTransposition[channel] = 0;
        m_chordOrder[channel] = KeyboardDescriptor::kPlayOrder;
    }
    std::fill(&m_sustainMap[0][0], &m_sustainMap[0][0] + kNumChannels * kNumNotes, 0);
    std::fill(&m_sostenutoMap[0][0], &m_sostenutoMap[0][0] + kNumChannels * kNumNotes, 0);
    m_sustain = false;
    m_sostenuto = false;
    m_legato = 0;
    m_softScale = kNoSoftening;
    m_polyphony = 2;
    m_arpeggiator.reset();
    m_gatedGroups = 0;
}

void KeyboardHandler::setDamperScale(float scale)
{
    if (std::isnan(scale))
        return;
    scale = std::clamp(scale, 0.0f, 1.0f);
    m_damperScale.store(static_cast<int>(scale * 256.0f + 0.5f), std::memory_order_relaxed);
}

std::int64_t KeyboardHandler::processBlock(ControlCue<VoiceEvent>* cues, std::int64_t* groupMasks,
                                           const float* levels, std::int64_t blockOffset)
{
    if (!cues || !groupMasks || !levels)
        return 0;
    m_pCues = cues;
    m_pGroupMasks = groupMasks;
    m_pLevels = levels;
    m_blockOffset = blockOffset;
    // Groups that went idle while they still had a note are not free.
    groupMasks[kTakenMask] |= m_activeGroups & groupMasks[0];
    groupMasks[0] &= ~m_activeGroups;
    m_gatedGroups = 0;
    publishChords(false);
    if (m_postsLost)
        gateOffIdleGroups();
    ControlCue<VoiceEvent>& input = cues[kKeyboardCue];
    // What a flood of keyboard events sets off would not fit into one block:
    // the rest of the input waits for the next block rather than be lost.
    while (roomToPost())
    {
        const VoiceEvent event = input.pop();
        if (event.time < 0)
            break;
        m_time = event.time;
        handleEvent(event);
    }
    return m_gatedGroups;
}

bool KeyboardHandler::isAtRest() const
{
    return m_activeGroups == 0 && !m_arpeggiator.isOn() && !m_postsLost && !m_chordsUnpublished && !m_sustain &&
           !m_sostenuto && m_legato == 0 && m_softScale == kNoSoftening;
}

bool KeyboardHandler::roomToPost() const
{
    constexpr std::uint32_t kMostWaiting = ControlCue<VoiceEvent>::kLaneCapacity - kPostsPerEvent;
    return m_pCues[kNoteCue].pending(ControlLane::kBlockStart) <= kMostWaiting &&
           m_pCues[kAmpCue].pending(ControlLane::kBlockStart) <= kMostWaiting;
}

// Gates the engine lost track of: every group without a note is gated off
// again, so that none keeps sounding.
void KeyboardHandler::gateOffIdleGroups()
{
    m_postsLost = false;
    m_time = 0;
    for (int group = 0; group < kNumGroups; ++group)
        if (!(m_activeGroups & groupBit(group)))
        {
            gateOffAmp(group, kDefaultVelocity);
            gateOffNotes(group, kDefaultVelocity);
        }
}

void KeyboardHandler::handleEvent(const VoiceEvent& event)
{
    if (event.code < 0)
        return;
    const std::int64_t kind = EventCode::kindOf(event.code);
    if (kind == 0)
    {
        handleCode(event.code, event.value);
        return;
    }
    const int channel = static_cast<int>(EventCode::channelOf(event.code));
    const int note = static_cast<int>(EventCode::noteOf(event.code));
    if (channel >= kNumChannels)
        return;
    switch (kind)
    {
    case EventCode::kKindNote:
    {
        if (note >= kNumNotes)
            return;
        const int value = clampVelocity(event.value);
        int velocity = (m_softScale * value) >> 8;
        // Softening never makes a note-on a note-off.
        if (value > 0)
            velocity = std::max(velocity, 1);
        noteEvent(channel, note, velocity);
        break;
    }
    case EventCode::kKindChannelPressure:
    case EventCode::kKindModWheel:
    case EventCode::kKindExpression:
        postController(kind, channel, event.value);
        break;
    case EventCode::kKindKeyPressure:
        if (note < kNumNotes)
            keyPressure(channel, note, event.value);
        break;
    default:
        break;
    }
}

void KeyboardHandler::handleCode(std::int64_t code, std::int64_t value)
{
    switch (code)
    {
    case kTriggering:
        if (value >= 0 && value < static_cast<std::int64_t>(std::size(kTriggerModes)))
        {
            m_env1Trigger = kTriggerModes[value][0];
            m_env2Trigger = kTriggerModes[value][1];
        }
        break;
    case kFunction:
        setVoiceFunction(value);
        break;
    case kUnisonMode:
        m_unisonMode = value;
        setVoiceFunction(m_function);
        break;
    case kArpeggio:
        setArpeggio(value);
        break;
    case kArpeggioOctDir:
        m_arpeggiator.setOctaveDirection(static_cast<int>(std::clamp<std::int64_t>(value, 0, 3)) + 1);
        break;
    case kArpeggioOctM1:
        m_arpeggiator.setOctaveEnabled(-1, value != 0);
        break;
    case kArpeggioOctP1:
        m_arpeggiator.setOctaveEnabled(1, value != 0);
        break;
    case kArpeggioOctP2:
        m_arpeggiator.setOctaveEnabled(2, value != 0);
        break;
    case kArpeggioOrder:
        setOrder(value);
        break;
    case kKeyboardHold:
        setHold(value == 1);
        break;
    case kChordMemory:
        setChordMemory(value == 1);
        break;
    case EventCode::AllNotesOff:
        allNotesOff();
        break;
    case EventCode::ClockGateOn:
        clockGateOn();
        break;
    case EventCode::ClockGateOff:
        clockGateOff();
        break;
    case EventCode::SustainPedal:
        setSustain(value != 0);
        break;
    case EventCode::PortamentoSwitch:
        post(kNoteCue, code, value, tick());
        break;
    case EventCode::Sostenuto:
        setSostenuto(value != 0);
        break;
    case EventCode::SoftPedal:
        m_softScale = value != 0 ? m_damperScale.load(std::memory_order_relaxed) : kNoSoftening;
        break;
    case EventCode::LegatoPedal:
        m_legato = value != 0 ? 1 : 0;
        break;
    case EventCode::Hold2Pedal:
        post(kAmpCue, code, value, m_time);
        post(kNoteCue, code, value, tick());
        break;
    case EventCode::ProgramLoad:
        m_programLoading = value != 0;
        if (m_programLoading)
            chordOff();
        break;
    case EventCode::ProgramSwitched:
        takeOfferedChords();
        break;
    default:
        break;
    }
}

void KeyboardHandler::postController(std::int64_t kind, int channel, std::int64_t value)
{
    const std::int64_t code = kind == EventCode::kKindChannelPressure ? EventCode::ChannelPressure
                              : kind == EventCode::kKindModWheel       ? EventCode::ModWheel
                                                                       : EventCode::Expression;
    const int level = byteOf(value);
    const std::int64_t mask = m_keyboardMode == kPoly ? kAllGroupsMask : groupBit(EventCode::kGroupMaskShift + channel);
    post(kNoteCue, code, level | mask, tick());
    if (code == EventCode::ModWheel && m_pEditor && (m_keyboardMode == kPoly || channel == 0))
        m_pEditor->postToGui(EditorLane::kAudio, EditorTag::kModWheel, static_cast<float>(level) / 127.0f);
}

void KeyboardHandler::keyPressure(int channel, int note, std::int64_t value)
{
    const int pressure = byteOf(value);
    if (m_chordMemory && m_pChordLists && m_chordRoot[channel] == note)
    {
        const KeyboardDescriptor& chord = m_pChordLists[channel];
        Note first;
        if (chord.getFirst(first))
        {
            m_chordTransposition[channel] = note - first.note;
            Note notes[kNumNotes];
            const int count = collectNotes(chord, notes);
            for (int i = 0; i < count; ++i)
            {
                const int played = notes[i].note + m_chordTransposition[channel];
                if (played >= 0 && played < kNumNotes)
                    applyKeyPressure(channel, played, byteOf(pressure + notes[i].pressure));
            }
            return;
        }
    }
    applyKeyPressure(channel, note, pressure);
}

void KeyboardHandler::applyKeyPressure(int channel, int note, int pressure)
{
    m_keyList[channel].setPressure(note, pressure);
    m_soundList[channel].setPressure(note, pressure);
    const int group = m_keyboardMode == kPoly ? m_noteGroup[note] : channel;
    if (group >= 0 && m_firstNote[group] == note)
        post(kNoteCue, EventCode::KeyPressure, groupBit(group) << EventCode::kGroupMaskShift | pressure, tick());
}

// --- Notes ------------------------------------------------------------------

void KeyboardHandler::noteEvent(int channel, int note, int velocity)
{
    if (m_chordMemory && m_pChordLists && !m_pChordLists[channel].isEmpty())
    {
        const int root = m_chordRoot[channel];
        if (velocity > 0)
        {
            if (root < 0 || note == root)
            {
                playChord(channel, note, velocity);
                return;
            }
            if (isChordMember(channel, note))
                return;
        }
        else if (root >= 0)
        {
            if (note == root)
            {
                releaseChord(channel, velocity);
                return;
            }
            if (isChordMember(channel, note))
                return;
        }
    }
    playNote(channel, note, velocity);
}

void KeyboardHandler::playNote(int channel, int note, int velocity)
{
    if (velocity > 0)
        noteOn(channel, note, velocity);
    else
        noteOff(channel, note, velocity);
}

void KeyboardHandler::noteOn(int channel, int note, int velocity)
{
    std::uint8_t& captured = m_sostenutoMap[channel][note];
    if (m_sostenuto && captured)
    {
        // The pedal still holds the note: the key is simply down again.
        captured &= ~kReleased;
        return;
    }
    // A key struck again is no longer waiting for the sustain pedal.
    m_sustainMap[channel][note] = 0;
    if (m_keyList[channel].isEmpty() && m_hold)
        replacePhrase(channel);
    m_soundList[channel].addNote(note, velocity, 0);
    m_keyList[channel].addNote(note, velocity, 0);
    if (m_arpeggiator.isOn())
    {
        if (m_arpeggiator.isIdle(channel))
            startArpeggio(channel, note, velocity);
        return;
    }
    soundNote(channel, note, velocity, note);
}

void KeyboardHandler::soundNote(int channel, int note, int velocity, int key)
{
    switch (m_keyboardMode)
    {
    case kPoly:
        polyNoteOn(note, velocity);
        break;
    case kDuo:
        duoNoteOn(channel, note, velocity);
        break;
    default:
        monoNoteOn(channel, note, velocity, key);
        break;
    }
}

void KeyboardHandler::noteOff(int channel, int note, int velocity)
{
    KeyboardDescriptor& keys = m_keyList[channel];
    const bool wasHeld = keys.contains(note);
    if (velocity == 0)
    {
        const int stored = keys.velocityOf(note);
        velocity = -(stored > 0 ? stored : kDefaultVelocity);
    }
    if (wasHeld)
    {
        if (m_sustain)
        {
            m_sustainMap[channel][note] = static_cast<std::uint8_t>(std::clamp(-velocity, 1, 127));
            return;
        }
        if (m_sostenuto && m_sostenutoMap[channel][note])
        {
            m_sostenutoMap[channel][note] |= kReleased;
            return;
        }
    }
    keys.removeNote(note);
    if (!m_hold && m_soundList[channel].contains(note))
    {
        m_soundList[channel].removeNote(note);
        if (m_soundList[channel].isEmpty() && m_arpeggiator.isOn())
            stopArpeggio(channel, velocity);
    }
    switch (m_keyboardMode)
    {
    case kPoly:
        if (m_noteGroup[note] < 0)
            break;
        if (m_arpeggiator.isOn() && note == m_arpeggiator.getSource(channel))
            m_arpeggiator.setFirstStep(channel);
        else
            polyNoteOff(note, velocity);
        break;
    case kDuo:
        duoNoteOff(channel, note, velocity, wasHeld);
        break;
    default:
        monoNoteOff(channel, note, velocity);
        break;
    }
}

void KeyboardHandler::replacePhrase(int channel)
{
    if (!m_arpeggiator.isOn())
    {
        if (m_keyboardMode == kPoly)
            silenceGroups(0, -1);
        else if (sounds(channel))
        {
            silenceGroup(channel, kDefaultVelocity);
        }
    }
    m_arpeggiator.stop(channel);
    m_soundList[channel].clear();
    m_arpeggiator.setNewPhrase(channel);
}

void KeyboardHandler::polyNoteOn(int note, int velocity)
{
    int group = m_noteGroup[note];
    if (group >= 0 && group < m_polyphony)
    {
        noteStart(group, kFirstVoice, note, velocity, 0, note);
        if (m_env1Trigger < kClockTrigger)
            gateOnAmp(group, velocity, false);
        if (m_env2Trigger < kClockTrigger)
            gateOnNotes(group, velocity, false);
        return;
    }
    if (group >= 0 && sounds(group))
        silenceGroup(group, kDefaultVelocity);
    group = pickGroup();
    noteStart(group, kFirstVoice, note, velocity, 0, note);
    if (m_env1Trigger < kClockTrigger)
        gateOnAmp(group, velocity, m_env1Trigger == 1);
    if (m_env2Trigger < kClockTrigger)
        gateOnNotes(group, velocity, m_env2Trigger == 1);
}

void KeyboardHandler::polyNoteOff(int note, int velocity)
{
    const int group = m_noteGroup[note];
    if (group < 0 || (m_hold && !m_arpeggiator.isOn()))
        return;
    releaseGroup(group, kFirstVoice);
    gateOffAmp(group, -velocity);
    gateOffNotes(group, -velocity);
}

int KeyboardHandler::pickGroup() const
{
    const std::int64_t usable = (std::int64_t{1} << m_polyphony) - 1;
    // Idle groups first, then releasing, sustaining and decaying ones; a
    // group still in its attack is never taken.
    for (int stage = 0; stage < 4; ++stage)
    {
        const std::int64_t candidates = m_pGroupMasks[stage] & usable;
        int best = -1;
        float bestLevel = 10000.0f;
        bool freeSeen = false;
        for (int group = 0; group < m_polyphony; ++group)
        {
            if (!((candidates >> group) & 1))
                continue;
            const float level = m_pLevels[group];
            const bool free = m_firstKey[group] < 0;
            if (free && !freeSeen)
            {
                best = group;
                bestLevel = level;
                freeSeen = true;
            }
            else if (free == freeSeen && level < bestLevel)
            {
                best = group;
                bestLevel = level;
            }
        }
        if (best >= 0)
            return best;
    }
    return 0;
}

void KeyboardHandler::retrigger(int group, int velocity)
{
    if ((m_env1Trigger ^ m_legato) == 1)
        gateOnAmp(group, velocity, false);
    if ((m_env2Trigger ^ m_legato) == 1)
        gateOnNotes(group, velocity, false);
}

void KeyboardHandler::monoNoteOn(int channel, int note, int velocity, int key)
{
    if (m_firstNote[channel] >= 0)
    {
        retrigger(channel, velocity);
    }
    else
    {
        newPhrase(channel);
        if (m_env1Trigger < kClockTrigger)
            gateOnAmp(channel, velocity, false);
        if (m_env2Trigger < kClockTrigger)
            gateOnNotes(channel, velocity, false);
    }
    noteStart(channel, kFirstVoice, note, velocity, 0, key);
}

void KeyboardHandler::monoNoteOff(int channel, int note, int velocity)
{
    const KeyboardDescriptor& keys = m_keyList[channel];
    if (note != m_firstNote[channel] || m_arpeggiator.isOn() || keys.isEmpty())
    {
        if (keys.isEmpty() && !m_hold && sounds(channel))
        {
            gateOffAmp(channel, -velocity);
            releaseGroup(channel, kFirstVoice);
            gateOffNotes(channel, -velocity);
        }
        return;
    }
    // Back to the oldest key still held.
    Note fallback;
    keys.getFirst(fallback);
    retrigger(channel, fallback.velocity);
    noteStart(channel, kFirstVoice, fallback.note, fallback.velocity, fallback.pressure, fallback.note);
}

void KeyboardHandler::duoNoteOn(int channel, int key, int velocity)
{
    if (m_firstNote[channel] >= 0)
    {
        retrigger(channel, velocity);
        if (!m_arpeggiator.isOn())
            noteStart(channel, kSecondVoice, key, velocity, 0, key);
        return;
    }
    newPhrase(channel);
    if (m_env1Trigger < kClockTrigger)
        gateOnAmp(channel, velocity, false);
    if (m_env2Trigger < kClockTrigger)
        gateOnNotes(channel, velocity, false);
    noteStart(channel, kFirstVoice, key, velocity, 0, key);
    if (m_keyList[channel].getCount() == 1)
        noteStart(channel, kSecondVoice, key, velocity, 0, key);
}

void KeyboardHandler::duoNoteOff(int channel, int key, int velocity, bool wasHeld)
{
    const bool first = m_firstNote[channel] == key;
    const bool second = m_secondNote[channel] == key;
    const int released = first && second ? kBothVoices : first ? kFirstVoice : kSecondVoice;
    const int other = released == kBothVoices ? key : released == kFirstVoice ? m_secondNote[channel]
                                                                              : m_firstNote[channel];
    const KeyboardDescriptor& keys = m_keyList[channel];
    if (keys.isEmpty())
    {
        if (!m_hold && sounds(channel))
        {
            gateOffAmp(channel, -velocity);
            releaseGroup(channel, kBothVoices);
            gateOffNotes(channel, -velocity);
        }
        return;
    }
    if (m_hold || !wasHeld || m_arpeggiator.isOn())
        return;
    releaseGroup(channel, released);
    // The oldest key the other voice does not play; the other voice's own
    // when no other key is left.
    Note replacement;
    keys.getFirstExcept(other, replacement);
    retrigger(channel, replacement.velocity);
    noteStart(channel, released, replacement.note, replacement.velocity, replacement.pressure, replacement.note);
}

// --- Parameters and pedals --------------------------------------------------

void KeyboardHandler::setVoiceFunction(std::int64_t value)
{
    m_function = static_cast<int>(std::clamp<std::int64_t>(value, 0, kNumFunctions - 1));
    const int function = m_unisonMode == 1 ? 0 : m_function;
    const int mode = function == 0 ? kMono : function == 1 ? kDuo : kPoly;
    const int polyphony = kPolyphonyOfFunction[function];
    const int oldMode = m_keyboardMode;

    if (oldMode == kDuo)
        for (int group = 0; group < kNumGroups; ++group)
            if (m_secondNote[group] >= 0)
                releaseGroup(group, kSecondVoice);
    if (mode == kPoly)
        silenceGroups(m_arpeggiator.isOn() && oldMode != kPoly ? 0 : polyphony, -1);
    else if (oldMode == kPoly)
        silenceGroups(0, -1); // poly groups follow no channel: nothing else would release them
    m_keyboardMode = mode;
    m_polyphony = polyphony;

    const std::int64_t unison = m_unisonMode << 8;
    std::int64_t voices = polyphony;
    if (mode == kDuo)
        voices = 0;
    else if (mode == kMono)
        voices = kMonoVoicesOfFunction[m_function];
    post(kNoteCue, EventCode::DuoMode, mode == kDuo ? 1 : 0, tick());
    post(kNoteCue, EventCode::VoiceAllocation, unison + voices, tick());
    for (int channel = 0; channel < kNumChannels; ++channel)
        m_arpeggiator.setFirstStep(channel);
}

void KeyboardHandler::setArpeggio(std::int64_t value)
{
    const int mode = static_cast<int>(std::clamp<std::int64_t>(value, Arpeggiator::kOff, Arpeggiator::kRandom));
    if (mode == Arpeggiator::kOff && m_arpeggiator.isOn() && m_keyboardMode == kPoly)
    {
        // Played notes are no keys: no note-off would reach them.
        for (int channel = 0; channel < kNumChannels; ++channel)
            releasePlayedNote(channel, kDefaultVelocity);
    }
    m_arpeggiator.setMode(mode);
}

void KeyboardHandler::setOrder(std::int64_t value)
{
    const int order = value == 0 ? KeyboardDescriptor::kPitchOrder : KeyboardDescriptor::kPlayOrder;
    m_soundList.setOrder(order);
    if (!m_programLoading && m_pChordLists)
    {
        for (int channel = 0; channel < kNumChannels; ++channel)
            m_pChordLists[channel].setOrder(order);
        m_chordsUnpublished = true;
        publishChords(false);
    }
}

void KeyboardHandler::setHold(bool on)
{
    const bool ended = m_hold && !on;
    m_hold = on;
    if (ended)
        for (int channel = 0; channel < kNumChannels; ++channel)
            releaseHeld(channel);
}

void KeyboardHandler::setSustain(bool down)
{
    m_sustain = down;
    if (down)
        return;
    for (int channel = 0; channel < kNumChannels; ++channel)
        for (int note = 0; note < kNumNotes; ++note)
        {
            const int velocity = m_sustainMap[channel][note];
            if (velocity == 0)
                continue;
            m_sustainMap[channel][note] = 0;
            playNote(channel, note, -velocity);
        }
}

void KeyboardHandler::setSostenuto(bool down)
{
    if (down == m_sostenuto)
        return;
    m_sostenuto = down;
    if (down)
    {
        for (int channel = 0; channel < kNumChannels; ++channel)
        {
            Note notes[kNumNotes];
            const int count = collectNotes(m_keyList[channel], notes);
            for (int i = 0; i < count; ++i)
                m_sostenutoMap[channel][notes[i].note] = kCaptured;
        }
        return;
    }
    // Every mark goes: one left behind would swallow the key's next strike.
    for (int channel = 0; channel < kNumChannels; ++channel)
        for (int note = 0; note < kNumNotes; ++note)
        {
            const std::uint8_t entry = m_sostenutoMap[channel][note];
            m_sostenutoMap[channel][note] = 0;
            if (entry & kReleased)
                playNote(channel, note, -(entry & 127));
        }
}

void KeyboardHandler::allNotesOff()
{
    // Everything goes, also what the pedals keep.
    const bool sustain = m_sustain;
    const bool sostenuto = m_sostenuto;
    m_sustain = m_sostenuto = false;
    std::fill(&m_sustainMap[0][0], &m_sustainMap[0][0] + kNumChannels * kNumNotes, 0);
    std::fill(&m_sostenutoMap[0][0], &m_sostenutoMap[0][0] + kNumChannels * kNumNotes, 0);
    for (int channel = 0; channel < kNumChannels; ++channel)
    {
        Note notes[kNumNotes];
        const int count = collectNotes(m_keyList[channel], notes);
        for (int i = 0; i < count; ++i)
            playNote(channel, notes[i].note, -kDefaultVelocity);
        m_chordRoot[channel] = -1;
    }
    const bool hold = m_hold;
    m_hold = false;
    for (int channel = 0; channel < kNumChannels; ++channel)
        releaseHeld(channel);
    m_hold = hold;
    m_sustain = sustain;
    m_sostenuto = sostenuto;
}

void KeyboardHandler::releaseHeld(int channel)
{
    const bool arpeggio = m_arpeggiator.isOn();
    if (arpeggio && m_keyboardMode == kPoly)
        releasePlayedNote(channel, kDefaultVelocity);
    KeyboardDescriptor& sound = m_soundList[channel];
    Note note;
    for (int i = 0; i < kNumNotes && sound.getFirst(note); ++i)
    {
        if (m_keyboardMode == kPoly)
        {
            if (!arpeggio)
                silenceNote(note.note, kDefaultVelocity);
        }
        else if (sounds(channel))
        {
            silenceGroup(channel, kDefaultVelocity);
        }
        sound.removeNote(note.note);
    }
    if (arpeggio)
        m_arpeggiator.stop(channel);
}

void KeyboardHandler::clockGateOn()
{
    if (m_arpeggiator.isOn())
        for (int channel = 0; channel < kNumChannels; ++channel)
            arpeggiatorStep(channel);
    if (m_activeGroups == 0)
        return;
    if (m_env1Trigger == kClockTrigger)
        gateOnAmp(kActiveGroups, kDefaultVelocity, false);
    if (m_env2Trigger == kClockTrigger)
        gateOnNotes(kActiveGroups, kDefaultVelocity, false);
}

void KeyboardHandler::clockGateOff()
{
    if (m_activeGroups == 0)
        return;
    if (m_env1Trigger == kClockTrigger)
        gateOffAmp(kActiveGroups, kDefaultVelocity);
    if (m_env2Trigger == kClockTrigger)
        gateOffNotes(kActiveGroups, kDefaultVelocity);
}

// --- Arpeggiator ------------------------------------------------------------

void KeyboardHandler::startArpeggio(int channel, int key, int velocity)
{
    const int played = m_arpeggiator.start(channel, key);
    soundNote(channel, played, velocity, key);
    if (m_keyboardMode == kPoly)
        silenceGroups(0, m_noteGroup[played]);
}

void KeyboardHandler::silenceGroups(int first, int keep)
{
    for (int group = first; group < kNumGroups; ++group)
        if (group != keep && sounds(group))
            silenceGroup(group, kDefaultVelocity);
}

void KeyboardHandler::stopArpeggio(int channel, int velocity)
{
    if (m_keyboardMode == kPoly)
        releasePlayedNote(channel, -velocity);
    else if (sounds(channel))
        silenceGroup(channel, -velocity);
    m_arpeggiator.stop(channel);
}

void KeyboardHandler::releasePlayedNote(int channel, int velocity)
{
    const int played = m_arpeggiator.getPlayed(channel);
    if (played >= 0)
        silenceNote(played, velocity);
}

void KeyboardHandler::arpeggiatorStep(int channel)
{
    Arpeggiator::Step step;
    if (!m_arpeggiator.step(channel, m_soundList[channel], step) || !step.changed)
        return;
    const int velocity = std::max(step.note.velocity, 1);
    const int pressure = step.note.pressure;
    const int played = step.played;
    const int key = step.note.note;
    switch (m_keyboardMode)
    {
    case kPoly:
    {
        const int previous = step.previousPlayed;
        const int previousGroup = previous >= 0 ? m_noteGroup[previous] : -1;
        if (!step.firstStep)
        {
            if (previous >= 0)
                polyNoteOff(previous, -kDefaultVelocity);
            polyNoteOn(played, velocity);
            break;
        }
        // A new phrase takes over the group of the note still sounding.
        if (previousGroup >= 0 && m_firstNote[previousGroup] == previous)
            noteStart(previousGroup, kFirstVoice, played, velocity, pressure, key);
        else
            polyNoteOn(played, velocity);
        silenceGroups(0, m_noteGroup[played]);
        break;
    }
    case kDuo:
        noteStart(channel, step.newPhrase ? kBothVoices : kSecondVoice, played, velocity, pressure, key);
        break;
    default:
        noteStart(channel, kFirstVoice, played, velocity, pressure, key);
        break;
    }
    if (m_keyboardMode != kPoly && (step.firstStep || (m_keyboardMode == kDuo && step.newPhrase)))
    {
        if (m_env1Trigger < kClockTrigger)
            gateOnAmp(channel, velocity, false);
        if (m_env2Trigger < kClockTrigger)
            gateOnNotes(channel, velocity, false);
    }
}

// --- Chord memory -----------------------------------------------------------

void KeyboardHandler::setChordMemory(bool on)
{
    if (!on)
    {
        chordOff();
        return;
    }
    if (m_programLoading)
    {
        m_chordMemory = true;
        allNotesOff();
        return;
    }
    if (m_chordMemory)
        return;
    m_chordMemory = true;
    const bool hold = m_hold;
    if (m_pChordLists)
        for (int channel = 0; channel < kNumChannels; ++channel)
        {
            if (m_soundList[channel].isEmpty())
                continue;
            KeyboardDescriptor& chord = m_pChordLists[channel];
            chord.copyFrom(m_soundList[channel]);
            Note first;
            if (!hold && chord.getFirst(first))
            {
                m_chordRoot[channel] = first.note;
                m_chordTransposition[channel] = 0;
                m_chordOrder[channel] = chord.getOrder();
            }
            m_chordsUnpublished = true;
        }
    publishChords(false);
    if (hold)
        setHold(false);
}

void KeyboardHandler::publishChords(bool wait)
{
    if (!m_chordsUnpublished || !m_pChordPatch)
        return;
    SpinLock& lock = m_pChordPatch->chordsLock;
    if (!lock.tryLock())
    {
        if (!wait)
            return;
        lock.lock();
    }
    std::copy(std::begin(m_chordLists), std::end(m_chordLists), std::begin(m_pChordPatch->chords));
    lock.unlock();
    m_chordsUnpublished = false;
}

void KeyboardHandler::takeOfferedChords()
{
    // What was learned belongs to the patch it was learned in.
    publishChords(true);
    m_chordsUnpublished = false;
    m_pChordPatch = m_pOfferedPatch.load(std::memory_order_acquire);
    m_pChordLists = nullptr;
    if (m_pChordPatch)
    {
        // A host thread may be writing the patch's chords; it holds the
        // lock only for that copy.
        std::lock_guard<SpinLock> guard(m_pChordPatch->chordsLock);
        std::copy(std::begin(m_pChordPatch->chords), std::end(m_pChordPatch->chords), std::begin(m_chordLists));
        m_pChordLists = m_chordLists;
    }
    m_chordListsHeld.store(m_pChordPatch ? m_pChordPatch->chords : nullptr, std::memory_order_release);
}

void KeyboardHandler::chordOff()
{
    for (int channel = 0; channel < kNumChannels; ++channel)
    {
        if (m_chordRoot[channel] >= 0 && m_pChordLists)
            releaseChord(channel, -kDefaultVelocity);
        m_chordRoot[channel] = -1;
    }
    m_chordMemory = false;
}

bool KeyboardHandler::isChordMember(int channel, int key) const
{
    return m_pChordLists[channel].contains(key - m_chordTransposition[channel]);
}

void KeyboardHandler::playChord(int channel, int key, int velocity)
{
    KeyboardDescriptor& chord = m_pChordLists[channel];
    Note first;
    if (!chord.getFirst(first))
        return;
    const int transposition = key - first.note;
    m_chordTransposition[channel] = transposition;
    m_chordRoot[channel] = key;
    m_chordOrder[channel] = chord.getOrder();
    Note notes[kNumNotes];
    const int count = collectNotes(chord, notes);
    for (int i = 0; i < count; ++i)
    {
        const int note = notes[i].note + transposition;
        // A chord note scaled to nothing still sounds, softly.
        const int scaled = std::clamp((velocity * notes[i].velocity) >> 6, 1, 127);
        if (note >= 0 && note < kNumNotes)
            playNote(channel, note, scaled);
    }
}

void KeyboardHandler::releaseChord(int channel, int velocity)
{
    KeyboardDescriptor& chord = m_pChordLists[channel];
    const int order = chord.getOrder();
    chord.setOrder(m_chordOrder[channel]);
    Note notes[kNumNotes];
    const int count = collectNotes(chord, notes);
    chord.setOrder(order);
    const int transposition = m_chordTransposition[channel];
    m_chordRoot[channel] = -1;
    for (int i = 0; i < count; ++i)
    {
        const int note = notes[i].note + transposition;
        if (note >= 0 && note < kNumNotes)
            playNote(channel, note, clampVelocity((velocity * notes[i].velocity) >> 6));
    }
}

// --- Posting ----------------------------------------------------------------

void KeyboardHandler::post(int cue, std::int64_t code, std::int64_t value, std::int64_t time)
{
    if (m_pCues && !m_pCues[cue].push(ControlLane::kBlockStart, VoiceEvent(code, value, time)))
        m_postsLost = true;
}

std::int64_t KeyboardHandler::maskOf(int group) const
{
    return group == kActiveGroups ? m_activeGroups : groupBit(group);
}

void KeyboardHandler::gateOnNotes(int group, int velocity, bool restart)
{
    const std::int64_t mask = maskOf(group) << EventCode::kGroupMaskShift;
    if (restart)
        post(kNoteCue, EventCode::EnvelopeRestart, mask, tick());
    post(kNoteCue, EventCode::GateOn, mask | byteOf(velocity), tick());
}

void KeyboardHandler::gateOnAmp(int group, int velocity, bool restart)
{
    const std::int64_t mask = maskOf(group);
    if (restart)
        post(kAmpCue, EventCode::EnvelopeRestart, mask << EventCode::kGroupMaskShift, m_time);
    post(kAmpCue, EventCode::GateOn, mask << EventCode::kGroupMaskShift | byteOf(velocity), m_time);
    m_gatedGroups |= mask;
}

void KeyboardHandler::gateOffNotes(int group, int velocity)
{
    post(kNoteCue, EventCode::GateOff, maskOf(group) << EventCode::kGroupMaskShift | byteOf(velocity), tick());
}

void KeyboardHandler::gateOffAmp(int group, int velocity)
{
    post(kAmpCue, EventCode::GateOff, maskOf(group) << EventCode::kGroupMaskShift | byteOf(velocity), m_time);
}

void KeyboardHandler::newPhrase(int group)
{
    post(kNoteCue, EventCode::NewPhrase, group, tick());
}

void KeyboardHandler::noteStart(int group, int voices, int note, int velocity, int pressure, int key)
{
    const std::int64_t mask = groupBit(group) << EventCode::kGroupMaskShift;
    const std::int64_t noteValue = mask + note + (static_cast<std::int64_t>(byteOf(velocity)) << 8);
    if ((voices & kFirstVoice) || m_firstNote[group] < 0)
    {
        const int previous = m_lastNote[group];
        if (previous >= 0 && m_noteGroup[previous] == group)
            m_noteGroup[previous] = -1;
        m_noteGroup[note] = group;
        m_activeGroups |= groupBit(group);
        if (m_pGroupMasks)
        {
            m_pGroupMasks[kTakenMask] |= groupBit(group);
            for (int stage = 0; stage < kNumStageMasks; ++stage)
                m_pGroupMasks[stage] &= ~groupBit(group);
        }
        m_lastNote[group] = note;
        if (m_firstNote[group] >= 0)
            showKey(m_firstNote[group], false);
        showKey(note, true);
        m_firstNote[group] = note;
        m_firstKey[group] = key;
        post(kNoteCue, EventCode::NoteStart, noteValue, tick());
        post(kNoteCue, EventCode::KeyPressure, mask | byteOf(pressure), tick());
    }
    if (voices & kSecondVoice)
    {
        post(kNoteCue, EventCode::DuoNoteChange, noteValue, tick());
        if (m_secondNote[group] >= 0)
            showKey(m_secondNote[group], false);
        showKey(note, true);
        m_secondNote[group] = note;
        m_secondKey[group] = key;
    }
}

void KeyboardHandler::releaseGroup(int group, int voices)
{
    if ((voices & kFirstVoice) && m_firstNote[group] >= 0)
    {
        showKey(m_firstNote[group], false);
        m_firstNote[group] = -1;
        m_firstKey[group] = -1;
    }
    if ((voices & kSecondVoice) && m_secondNote[group] >= 0)
    {
        showKey(m_secondNote[group], false);
        m_secondNote[group] = -1;
        m_secondKey[group] = -1;
    }
    if (!sounds(group))
        m_activeGroups &= ~groupBit(group);
}

void KeyboardHandler::silenceGroup(int group, int velocity)
{
    gateOffAmp(group, velocity);
    releaseGroup(group, kBothVoices);
    gateOffNotes(group, velocity);
}

void KeyboardHandler::silenceNote(int note, int velocity)
{
    const int group = m_noteGroup[note];
    if (group >= 0 && m_firstNote[group] == note)
        silenceGroup(group, velocity);
}

void KeyboardHandler::showKey(int note, bool down)
{
    if (m_pEditor)
        m_pEditor->postToGui(EditorLane::kAudio, EditorTag::kFirstKeyLight + note, down ? 1.0f : 0.0f);
}
