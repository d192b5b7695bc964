#include "Source/Zentrova.h"

#include <algorithm>

#include "Source/Voices/EventCodes.h"
#include "Source/editorport/EditorTags.h"
#include "Source/parameters/FloatIntParameter.h"
#include "patches/Configuration.h"

namespace
{
// A 14-bit bend to the editor's 0..1 pitch wheel: the float 0x38000400.
constexpr float kBendToWheel = 3.0521303e-5f;

enum MidiStatus : int
{
    kNoteOff = 0x80,
    kNoteOn = 0x90,
    kPolyPressure = 0xA0,
    kControlChange = 0xB0,
    kProgramChange = 0xC0,
    kChannelPressure = 0xD0,
    kPitchBend = 0xE0,
};

enum MidiController : int
{
    kBankSelect = 0,
    kModWheel = 1,
    kExpression = 11,
    kBankSelectLow = 32,
    kFirstPedal = 64,
    kLastPedal = 69,
    kFirstChannelMode = 120,
    kAllNotesOff = 123,
};
} // namespace

VstInt32 Zentrova::processEvents(VstEvents* events)
{
    if (!m_eventsProcessed)
        beginBlock();
    if (!events)
        return 1;
    // The list runs on past the two entries the record declares.
    VstEvent* const* list = events->events;
    const auto midiAt = [list](VstInt32 i) -> const VstMidiEvent* {
        const VstEvent* event = list[i];
        return event && event->type == kVstMidiType ? reinterpret_cast<const VstMidiEvent*>(event) : nullptr;
    };
    const bool learning = getMidiLearnTarget() >= 0;
    for (VstInt32 i = 0; i < events->numEvents; ++i)
        if (const VstMidiEvent* event = midiAt(i))
        {
            const int slot = coalescingSlot(*event, learning);
            if (slot >= 0)
                m_lastControllerEvent[slot] = i;
        }
    for (VstInt32 i = 0; i < events->numEvents; ++i)
    {
        const VstMidiEvent* event = midiAt(i);
        if (!event)
            continue;
        const int slot = coalescingSlot(*event, learning);
        if (slot >= 0)
        {
            if (m_lastControllerEvent[slot] != i)
                continue;
        }
        // Events stamped before the block (as some hosts send them) are taken
        // as its first sample, events beyond it as its last.
        const VstInt32 time = std::clamp(event->deltaFrames, 0, std::max(m_blockSize - 1, 0));
        m_pTempo->advance(time);
        translateMidiEvent(*event, time);
    }
    return 1;
}

int Zentrova::coalescingSlot(const VstMidiEvent& event, bool learning)
{
    constexpr int kChannelSlots = 16 * 128;
    constexpr int kControllerSlots = kChannelSlots + 4 * 16;
    const int status = static_cast<unsigned char>(event.midiData[0]);
    const int channel = status & 0x0F;
    const int data1 = event.midiData[1] & 0x7F;
    switch (status & 0xF0)
    {
    case kPolyPressure:
        return channel * 128 + data1;
    case kChannelPressure:
        return kChannelSlots + channel;
    case kPitchBend:
        return kChannelSlots + 16 + channel;
    case kControlChange:
        if (data1 == kModWheel)
            return kChannelSlots + 32 + channel;
        if (data1 == kExpression)
            return kChannelSlots + 48 + channel;
        if (learning || data1 == kBankSelect || data1 == kBankSelectLow || data1 >= kFirstChannelMode ||
            (data1 >= kFirstPedal && data1 <= kLastPedal))
            return -1;
        return kControllerSlots + data1;
    default:
        return -1;
    }
}

void Zentrova::pushMidiCode(std::int64_t code, std::int64_t value, VstInt32 time)
{
    pushKeyboardEvent(ControlLane::kBlockStart, VoiceEvent(code, value, static_cast<std::int64_t>(time)));
}

namespace
{
// What the keyboard handler must never miss: it ends a note, a pedal, a
// clock gate or the framing of a program.
bool isRelease(const VoiceEvent& event)
{
    if (EventCode::kindOf(event.code) == EventCode::kKindNote)
        return event.value <= 0;
    switch (event.code)
    {
    case EventCode::AllNotesOff:
    case EventCode::ClockGateOff:
    case EventCode::ProgramLoad:
    case EventCode::ProgramSwitched:
        return true;
    case EventCode::SustainPedal:
    case EventCode::PortamentoSwitch:
    case EventCode::Sostenuto:
    case EventCode::SoftPedal:
    case EventCode::LegatoPedal:
    case EventCode::Hold2Pedal:
        return event.value == 0;
    default:
        return false;
    }
}

constexpr std::uint32_t kKeyboardLaneCapacity = ControlCue<VoiceEvent>::kLaneCapacity;
// The all-notes-off, the five pedals and the end of a program frame.
constexpr std::uint32_t kEverythingReleased = 8;
// Half the lane is kept for releases. Whatever else a block brings (new
// notes, pedals pressed) stops at the other half, which also bounds what the
// keyboard handler makes of them.
constexpr std::uint32_t kOpenRoom = kKeyboardLaneCapacity / 2;
constexpr std::uint32_t kReleaseRoom = kKeyboardLaneCapacity - kEverythingReleased;
} // namespace

void Zentrova::pushKeyboardEvent(int lane, const VoiceEvent& event)
{
    ControlCue<VoiceEvent>& cue = m_controlCues[kKeyboardCue];
    if (lane != ControlLane::kBlockStart)
    {
        cue.push(lane, event);
        return;
    }
    const bool release = isRelease(event);
    if (cue.pending(ControlLane::kBlockStart) < (release ? kReleaseRoom : kOpenRoom))
    {
        if (event.code == EventCode::ProgramLoad)
            m_programFrameOpen = event.value != 0;
        cue.push(lane, event);
        return;
    }
    if (release && !m_keyboardOverflow)
        releaseEverything(event.time);
}

void Zentrova::releaseEverything(std::int64_t time)
{
    m_keyboardOverflow = true;
    ControlCue<VoiceEvent>& cue = m_controlCues[kKeyboardCue];
    cue.push(ControlLane::kBlockStart, VoiceEvent(EventCode::AllNotesOff, 0, time));
    for (std::int64_t code : {EventCode::SustainPedal, EventCode::Sostenuto, EventCode::SoftPedal,
                              EventCode::LegatoPedal, EventCode::Hold2Pedal})
        cue.push(ControlLane::kBlockStart, VoiceEvent(code, 0, time));
    if (m_programFrameOpen)
    {
        cue.push(ControlLane::kBlockStart, VoiceEvent(EventCode::ProgramLoad, 0, time));
        m_programFrameOpen = false;
    }
}

void Zentrova::translateMidiEvent(const VstMidiEvent& event, VstInt32 time)
{
    const int status = static_cast<unsigned char>(event.midiData[0]);
    const int channel = status & 0x0F;
    const int data1 = event.midiData[1] & 0x7F;
    const int data2 = event.midiData[2] & 0x7F;
    switch (status & 0xF0)
    {
    case kNoteOn:
        pushMidiCode(EventCode::midiCode(EventCode::kKindNote, channel, data1), data2 ? data2 : -64, time);
        break;
    case kNoteOff:
        pushMidiCode(EventCode::midiCode(EventCode::kKindNote, channel, data1), -data2, time);
        break;
    case kPolyPressure:
        pushMidiCode(EventCode::midiCode(EventCode::kKindKeyPressure, channel, data1), data2, time);
        break;
    case kChannelPressure:
        pushMidiCode(EventCode::midiCode(EventCode::kKindChannelPressure, channel), data1, time);
        break;
    case kProgramChange:
        onMidiProgramChange(static_cast<signed char>(event.midiData[1]), time);
        break;
    case kPitchBend:
        applyPitchBend(channel, data1, data2, time);
        break;
    case kControlChange:
        if (data1 >= kFirstPedal && data1 <= kLastPedal)
            pushMidiCode(EventCode::kPedalControllerOffset + data1, data2 >= 64 ? 1 : 0, time);
        else if (data1 == kModWheel)
            pushMidiCode(EventCode::midiCode(EventCode::kKindModWheel, channel), data2, time);
        else if (data1 == kExpression)
            pushMidiCode(EventCode::midiCode(EventCode::kKindExpression, channel), data2, time);
        else if (data1 == kBankSelect)
            setMidiBank(static_cast<signed char>(event.midiData[2]));
        else if (data1 == kAllNotesOff)
            pushMidiCode(EventCode::AllNotesOff, 0, time);
        else if (data1 != kBankSelectLow && data1 < kFirstChannelMode)
            applyController(data1, data2, time);
        break;
    default:
        break;
    }
}

void Zentrova::applyPitchBend(int channel, int data1, int data2, VstInt32 time)
{
    const std::int64_t bend = (data2 << 8) + 2 * data1 - 16384;
    if (EditorPort* editor = m_pEditorPort)
        editor->postToGui(EditorLane::kAudio, EditorTag::kPitchBend,
                          std::max(0.0f, static_cast<float>(bend) * kBendToWheel + 0.5f));
    // The bend travels as an unsigned 16-bit word, so a downward bend cannot
    // borrow from the channel above it.
    setPseudoParameter(ControlLane::kBlockStart, EventCode::PitchBend, (bend & 0xFFFF) | (channel << 16), time);
}

void Zentrova::setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time)
{
    const std::uint32_t mask = m_routingTable.mask(index);
    if (mask == 0)
        return;
    if (mask & RoutingTable::kAmpBank)
        m_controlCues[kAmpCue].push(lane, VoiceEvent(index, value, time));
    if (mask & RoutingTable::kEffects)
        m_controlCues[kEffectsCue].push(lane, VoiceEvent(index, value, time));
    if (mask & RoutingTable::kKeyboard)
    {
        if (index == EventCode::ScreenKeyboardNote)
            // Note in the second byte, velocity in the first (negative releases).
            pushKeyboardEvent(lane, VoiceEvent(EventCode::midiCode(EventCode::kKindNote, 0, (value >> 8) & 0xFF),
                                               static_cast<std::int64_t>(static_cast<signed char>(value & 0xFF)),
                                               time));
        else
            pushKeyboardEvent(lane, VoiceEvent(index, value, time));
    }
    // Changes from outside the block start wait for the next one.
    const bool deferred = lane != ControlLane::kBlockStart;
    if (mask & RoutingTable::kVoiceParameters)
    {
        if (index == Param::LFO1Sync || index == Param::LFO2Sync)
            m_pTempo->getLfo(index == Param::LFO1Sync ? 0 : 1)
                .setSyncMode(deferred, static_cast<std::uint32_t>(value));
        m_controlCues[kVoiceParameterCue].push(
            lane, VoiceEvent(index, value, (time + getControlTickPhase()) / Engine::kTickFrames));
    }
    if (mask & RoutingTable::kTempo)
        routeToClock(deferred, index, value);
}

void Zentrova::routeToClock(bool deferred, long index, EngineValue value)
{
    SyncableClock& clock = m_pTempo->getClock();
    if (index == Param::GateTime)
    {
        clock.setGateTime(deferred, static_cast<float>(value) * 0.01f);
        return;
    }
    if (index == Param::TempoExternal)
        clock.setMode(deferred, static_cast<std::uint32_t>(value));
    const bool internal = (deferred ? clock.getPendingMode() : clock.getMode()) == SyncableClock::kInternal;
    std::int64_t ticks;
    if (index == Param::TempoExternal)
    {
        // The tempo's own value, in the unit the new mode reads it in. The
        // audio thread takes it from the state it plays: the edit state may
        // be one that another thread is reading a chunk into.
        ZentrovaState& state = deferred ? m_stateHandler.getEditState() : m_stateHandler.getCurrentState();
        auto* tempo = static_cast<FloatIntParameter*>(state.getParameter(Param::Tempo));
        ticks = internal ? static_cast<std::int64_t>(tempo->getFloat()) : tempo->getInt();
    }
    else
    {
        ticks = internal ? static_cast<std::int64_t>(engineValueAsFloat(value)) : value;
    }
    clock.setTicks(deferred, ticks);
}

void Zentrova::setModWheelFromGui(float value)
{
    m_controlCues[kKeyboardCue].push(
        ControlLane::kEditor, VoiceEvent(EventCode::midiCode(EventCode::kKindModWheel, 0), static_cast<std::int64_t>(value * 127.0f),
                             std::int64_t(0)));
}

void Zentrova::setPitchBendFromGui(float value)
{
    const auto bend = static_cast<std::int64_t>((value - 0.5f) * 32767.0f);
    setPseudoParameter(ControlLane::kEditor, EventCode::PitchBend, bend & 0xFFFF, 0);
}

void Zentrova::applyController(int controller, int value, VstInt32 time)
{
    if (m_midiLearnTarget.exchange(-1, std::memory_order_acq_rel) >= 0)
    {
        // The controller only names what to bind; its value moves nothing.
        if (EditorPort* editor = m_pEditorPort)
            editor->bindMidiLearn(controller);
        return;
    }
    const std::int32_t parameter = m_midiControllerMap[controller].load(std::memory_order_relaxed);
    if (parameter >= 0)
        setLearnedParameter(parameter, value, time);
}

void Zentrova::setLearnedParameter(int parameter, int controllerValue, VstInt32 time)
{
    if (parameter < 0 || parameter >= Configuration::kNumControllableParameters)
        return;
    ZentrovaState& state = m_stateHandler.getEditState();
    state.setParameterViaMidi(parameter, controllerValue, time);
    if (EditorPort* editor = m_pEditorPort)
        editor->postToGui(EditorLane::kAudio, parameter | (time == 0 ? EditorTag::kLearnedAtBlockStart : 0),
                          state.getParameter(parameter)->getQuantisedValue());
}

void Zentrova::setMidiBank(int bank)
{
    if (bank >= 0 && bank < Configuration::kMaxMidiBanks)
        m_midiBank.store(bank, std::memory_order_relaxed);
}

void Zentrova::parameterChanged(VstInt32 index)
{
    if (index < 0 || index >= Configuration::kNumControllableParameters)
        return;
    const int controller = m_pConfiguration->getMidiController(index);
    ZentrovaState& state = m_stateHandler.getEditState();
    // A chunk read but not yet played: the host hears of it when it is.
    if (controller < 0 || &state != &m_stateHandler.getCurrentState())
        return;
    m_hostEvents.queueMidi(kControlChange, static_cast<unsigned char>(controller),
                           static_cast<unsigned char>(state.getMidiValue(index)));
}

void Zentrova::updateMidiControllerMap()
{
    std::int32_t map[Configuration::kNumMidiControllers];
    m_pConfiguration->getMidiControllerMap(map);
    for (int controller = 0; controller < Configuration::kNumMidiControllers; ++controller)
        m_midiControllerMap[controller].store(map[controller], std::memory_order_relaxed);
    if (EditorPort* editor = m_pEditorPort)
        editor->midiMapChanged();
}
