#include "Source/Zentrova.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <time.h>

#include "Source/AlignedMemory.h"
#include "Source/Alerts.h"
#include "Source/FloatIntParameter.h"
#include "Source/PatchTree.h"
#include "Source/StatePatchConverter.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Voices/Voice.h"
#include "editor/ZentrovaEditor.h"
#include "patches/Configuration.h"

namespace
{
constexpr char kVendor[] = "Vorlix";
constexpr VstInt32 kVendorVersion = 2;
constexpr VstInt32 kMaxInputs = 2;
constexpr VstInt32 kNumOutputs = 2;
constexpr int kFirstHarmonicParameter = 107;
constexpr std::int64_t kProgramNameNotification = 596;
// Tells the editor that the bank or program list changed.
constexpr long kListsChangedNotification = 600;
constexpr char kEmptyProgramName[] = "empty";
// Where a patch memory's bank address ends and its patch name begins.
constexpr char kMemorySeparator = '#';
// Control-queue lanes by producer: the audio thread's block start, host
// parameter calls, and the patch re-sent on resume.
constexpr int kBlockStartLane = 0;
constexpr int kHostParameterLane = 2;
constexpr int kResumeLane = 3;
// Editor tags that announce a newly applied program.
constexpr long kProgramAppliedNotifications[] = {597, 598};
// setParameter numbers that arm MIDI learn for a control tag, and disarm it.
constexpr VstInt32 kFirstMidiLearnTag = 381;
constexpr VstInt32 kLastMidiLearnTag = 570;
constexpr VstInt32 kMidiLearnOff = 571;
// A learned value at the very start of the block is flagged for the editor.
constexpr std::int64_t kLearnedAtBlockStart = 0x8000;
constexpr int kGuiLaneFromAudio = 1;
// The editor's keyboard and wheels produce on this control-queue lane.
constexpr int kGuiLane = 1;
// A 14-bit bend to the editor's 0..1 pitch wheel: the float 0x38000400.
constexpr float kBendToWheel = 3.0521303e-5f;

// The block size of a newly opened instance.
constexpr VstInt32 kOpeningBlockSize = 64;

// Samples per control tick.
constexpr std::int64_t kControlTickLength = 32;

const char* const kReceivedOrSent[] = {"receiveVstEvents", "receiveVstMidiEvent", "vVstEvents", "sendVstMidiEvent"};

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

Zentrova::Zentrova(audioMasterCallback audioMaster, const Flavour& flavour)
    : VstInterface(audioMaster, kNumPrograms, kNumParameters), m_flavour(flavour), m_stateHandler(this),
      m_hostEvents(this)
{
    for (std::atomic<std::int32_t>& parameter : m_midiControllerMap)
        parameter.store(-1, std::memory_order_relaxed);
    std::fill(std::begin(m_lastControllerEvent), std::end(m_lastControllerEvent), -1);
    std::fill(std::begin(m_groupLevels), std::end(m_groupLevels), 0.0f);
    std::fill(std::begin(m_groupMasks), std::end(m_groupMasks), 0);

    m_pTempo.reset(new VstTempoAndSync(this));
    m_keyboardHandler.setOwner(this);
    // The short names of these objects key the controller lines of the
    // configuration file.
    const ZentrovaParameter* parameters[Configuration::kNumControllableParameters];
    for (int index = 0; index < Configuration::kNumControllableParameters; ++index)
        parameters[index] = m_stateHandler.getCurrentState().getParameter(index);
    m_pConfiguration = Configuration::acquire(m_configurationClientId, this, m_flavour, parameters);

    try
    {
        if (hasHostCallback())
        {
            setNumInputs(m_flavour.numInputs);
            setNumOutputs(kNumOutputs);
            canProcessReplacing();
            isSynth(m_flavour.isSynth);
            setUniqueID(m_flavour.uniqueId);
            programsAreChunks();
        }

        refreshPatchLists(std::string(), false);
        recallPatchMemory(0, true);
        // A patch loaded by now is played from the start.
        if (m_stateHandler.isSwitchPending())
            m_stateHandler.toggleState();
        createVoiceEngine();
        // The engine and the buffers get their sizes now, so that a host that
        // processes before setting them finds working defaults: buffers of a
        // short block, which longer blocks are rendered in pieces of, so that
        // opening sizes nothing the host's own block size replaces at once.
        reinitialise(std::min(m_blockSize, kOpeningBlockSize), m_sampleRate);
        suspend();
        ProgramChangeWorker::attach(this);
    }
    catch (...)
    {
        // The destructor will not run: the configuration must not keep a
        // client that never came to be.
        Configuration::release(m_configurationClientId);
        alignedFree(m_mixBuffer);
        alignedFree(m_scratch);
        throw;
    }
}

Zentrova::~Zentrova()
{
    stopMidiProgramChanges();
    Configuration::release(m_configurationClientId);
    alignedFree(m_mixBuffer);
    m_mixBuffer = nullptr;
    alignedFree(m_scratch);
    m_scratch = nullptr;
    m_pVoice.reset();
    m_pTempo.reset();
}

ZentrovaEditor* Zentrova::getZentrovaEditor()
{
    // The only editor an instance is ever given is its ZentrovaEditor.
    return static_cast<ZentrovaEditor*>(m_editor);
}

void Zentrova::createVoiceEngine()
{
    m_eventsProcessed = false;
    updateMidiControllerMap();
    if (!m_pVoice)
        m_pVoice.reset(new Voice(this, m_flavour.numInputs > 0));
    m_pConfiguration->applyToPlugin(this, kKnobModeChanged | kDamperScaleChanged | kHold2ScaleChanged);
    m_pVoice->reset();
    m_controlTickPhase = 0;
    m_groupMasks[0] = -1;
    for (int i = 1; i < kNumGroupMasks; ++i)
        m_groupMasks[i] = 0;
}

void Zentrova::setConfigurationClientActive(bool active)
{
    m_pConfiguration->setClientActive(m_configurationClientId, active);
}

PatchTree& Zentrova::patchTree() const
{
    return *m_pConfiguration->getPatchTree();
}

void Zentrova::refreshPatchLists(const std::string& address, bool rescan)
{
    PatchTree& tree = patchTree();
    tree.rebuild(address, rescan);
    std::vector<BankInfo> banks;
    tree.collectAll(banks);
    m_programs.setBanks(std::move(banks));
    const BankInfo bank = m_programs.currentBank()->info;
    ProgramList::Patches patches;
    tree.collectPatches(patches, bank.address);
    m_programs.setCurrentBank(bank, std::move(patches));
}

void Zentrova::suspend() {}

void Zentrova::resume()
{
    ProgramChangeWorker::start();
    applyPendingProgram(kResumeLane);
    AudioEffectX::resume();
    m_keyboardHandler.reset();
    m_pTempo->reset();
    m_pVoice->reset();
    m_controlTickPhase = 0;
    m_transportRunning = false;
    m_effectsSection.resume();
}

void Zentrova::setSampleRate(float sampleRate)
{
    if (!(sampleRate > 0.0f))
        return;
    AudioEffect::setSampleRate(sampleRate);
    // The engine drops what it rendered ahead; the tick grid starts again.
    m_controlTickPhase = 0;
    // The engine keeps running at an unsupported rate, so that notes,
    // pedals and parameters stay as the host left them for when the rate
    // comes back.
    const bool supported = sampleRate <= kHighestSampleRate;
    const float engineRate = supported ? sampleRate : kHighestSampleRate;
    m_rateSupported.store(supported, std::memory_order_relaxed);
    m_pVoice->setSampleRate(engineRate);
    m_effectsSection.setSampleRate(engineRate);
    m_pTempo->setSampleRate(engineRate);
}

void Zentrova::setBlockSize(VstInt32 blockSize)
{
    if (blockSize <= 0)
        return;
    AudioEffect::setBlockSize(blockSize);
    alignedFree(m_mixBuffer);
    m_mixBuffer = nullptr;
    alignedFree(m_scratch);
    m_scratch = nullptr;
    try
    {
        m_mixBuffer = static_cast<float*>(alignedCalloc(16 * static_cast<std::size_t>(blockSize)));
        m_scratch = static_cast<float*>(alignedCalloc(4 * sizeof(float) * static_cast<std::size_t>(blockSize)));
    }
    catch (const std::bad_alloc&)
    {
        // processReplacing answers with silence while there is no buffer.
        alignedFree(m_mixBuffer);
        m_mixBuffer = nullptr;
    }
    m_controlTickPhase = 0;
    m_pVoice->setBlockSize(blockSize);
    m_effectsSection.setBlockSize(blockSize);
}

void Zentrova::reinitialise(VstInt32 blockSize, float sampleRate)
{
    setBlockSize(blockSize);
    setSampleRate(sampleRate);
}

void Zentrova::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processInPieces(inputs, outputs, sampleFrames, 1);
}

void Zentrova::processAccumulating(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processInPieces(inputs, outputs, sampleFrames, 0);
}

// The buffers hold one block of the announced size; a host that sends more
// frames gets them rendered as several blocks.
void Zentrova::processInPieces(float** inputs, float** outputs, VstInt32 sampleFrames, int replace)
{
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames <= 0)
        return;
    if (!m_mixBuffer)
    {
        if (replace)
        {
            std::fill(outputs[0], outputs[0] + sampleFrames, 0.0f);
            std::fill(outputs[1], outputs[1] + sampleFrames, 0.0f);
        }
        return;
    }
    const bool audible = m_rateSupported.load(std::memory_order_relaxed);
    const VstInt32 numInputs = inputs ? std::min(m_effect.numInputs, kMaxInputs) : 0;
    for (VstInt32 done = 0; done < sampleFrames;)
    {
        const VstInt32 frames = std::min(sampleFrames - done, m_blockSize);
        float* pieceInputs[kMaxInputs] = {nullptr, nullptr};
        for (VstInt32 i = 0; i < numInputs; ++i)
            pieceInputs[i] = inputs[i] ? inputs[i] + done : nullptr;
        float* pieceOutputs[kNumOutputs] = {outputs[0] + done, outputs[1] + done};
        if (audible)
        {
            processBlock(numInputs > 0 ? pieceInputs : nullptr, pieceOutputs, frames, replace);
        }
        else
        {
            float* unheard[kNumOutputs] = {m_scratch, m_scratch + m_blockSize};
            processBlock(numInputs > 0 ? pieceInputs : nullptr, unheard, frames, 1);
            if (replace)
            {
                std::fill(pieceOutputs[0], pieceOutputs[0] + frames, 0.0f);
                std::fill(pieceOutputs[1], pieceOutputs[1] + frames, 0.0f);
            }
        }
        done += frames;
    }
}

void Zentrova::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames <= 0)
        return;
    if (!m_mixBuffer)
    {
        std::fill(outputs[0], outputs[0] + sampleFrames, 0.0);
        std::fill(outputs[1], outputs[1] + sampleFrames, 0.0);
        return;
    }
    const VstInt32 numInputs = inputs ? std::min(m_effect.numInputs, kMaxInputs) : 0;
    float* const singleOutputs[kNumOutputs] = {m_scratch, m_scratch + m_blockSize};
    float* const singleInputs[kMaxInputs] = {m_scratch + 2 * m_blockSize, m_scratch + 3 * m_blockSize};
    for (VstInt32 done = 0; done < sampleFrames;)
    {
        const VstInt32 frames = std::min(sampleFrames - done, m_blockSize);
        float* pieceInputs[kMaxInputs] = {nullptr, nullptr};
        for (VstInt32 i = 0; i < numInputs; ++i)
        {
            if (!inputs[i])
                continue;
            std::copy(inputs[i] + done, inputs[i] + done + frames, singleInputs[i]);
            pieceInputs[i] = singleInputs[i];
        }
        float* pieceOutputs[kNumOutputs] = {singleOutputs[0], singleOutputs[1]};
        // At an unsupported rate this renders into the same buffers and then
        // silences them.
        processInPieces(numInputs > 0 ? pieceInputs : nullptr, pieceOutputs, frames, 1);
        for (int channel = 0; channel < kNumOutputs; ++channel)
            std::copy(singleOutputs[channel], singleOutputs[channel] + frames, outputs[channel] + done);
        done += frames;
    }
}

void Zentrova::processBlock(float** inputs, float** outputs, VstInt32 sampleFrames, int replace)
{
    if (!m_eventsProcessed)
        processEvents(nullptr);
    m_pTempo->processBlock(sampleFrames);
    const std::int64_t gatedGroups =
        m_keyboardHandler.processBlock(m_controlCues, m_groupMasks, m_groupLevels, getControlTickPhase());
    const bool sounding = m_pVoice->process(m_controlCues, inputs, m_mixBuffer, sampleFrames, gatedGroups,
                                            m_groupMasks, m_groupLevels);
    m_controlTickPhase.store((getControlTickPhase() + sampleFrames) % kControlTickLength, std::memory_order_relaxed);
    if (m_effectsSection.delayTempoFromHost())
        m_effectsSection.setTempo(static_cast<float>(m_pTempo->getTempo()));
    m_effectsSection.process(m_controlCues[kEffectsCue], m_mixBuffer, outputs[0], outputs[1], sampleFrames, replace,
                             !sounding);
    m_eventsProcessed = false;
    m_hostEvents.flush();
}

void Zentrova::beginBlock()
{
    m_eventsProcessed = true;
    for (ControlCue<VoiceEvent>& cue : m_controlCues)
        cue.beginRead();
    m_pTempo->beginBlock();
    if (m_stateHandler.isSwitchPending() && m_stateHandler.toggleState())
        applyPendingProgram(kBlockStartLane);
    const bool playing = m_pTempo->isTransportPlaying();
    if (m_transportRunning && !playing)
    {
        // Pedals held when the transport stopped would otherwise stay down.
        for (std::int64_t code : {EventCode::SustainPedal, EventCode::Sostenuto, EventCode::SoftPedal,
                                  EventCode::LegatoPedal, EventCode::Hold2Pedal})
            pushMidiCode(code, 0, 0);
    }
    m_transportRunning = playing;
    m_keyboardOverflow = false;
    if (m_hostDisplayPending.exchange(false, std::memory_order_acq_rel))
        AudioEffectX::updateDisplay();
}

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
            m_lastControllerEvent[slot] = -1;
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
    pushKeyboardEvent(kBlockStartLane, VoiceEvent(code, value, static_cast<std::int64_t>(time)));
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
    if (lane != kBlockStartLane)
    {
        cue.push(lane, event);
        return;
    }
    const bool release = isRelease(event);
    if (cue.pending(kBlockStartLane) < (release ? kReleaseRoom : kOpenRoom))
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
    cue.push(kBlockStartLane, VoiceEvent(EventCode::AllNotesOff, 0, time));
    for (std::int64_t code : {EventCode::SustainPedal, EventCode::Sostenuto, EventCode::SoftPedal,
                              EventCode::LegatoPedal, EventCode::Hold2Pedal})
        cue.push(kBlockStartLane, VoiceEvent(code, 0, time));
    if (m_programFrameOpen)
    {
        cue.push(kBlockStartLane, VoiceEvent(EventCode::ProgramLoad, 0, time));
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
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->postToGui(kGuiLaneFromAudio, EventCode::PitchBend,
                          std::max(0.0f, static_cast<float>(bend) * kBendToWheel + 0.5f));
    // The bend travels as an unsigned 16-bit word, so a downward bend cannot
    // borrow from the channel above it.
    setPseudoParameter(kBlockStartLane, EventCode::PitchBend, (bend & 0xFFFF) | (channel << 16), time);
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
    const bool deferred = lane != kBlockStartLane;
    if (mask & RoutingTable::kVoiceParameters)
    {
        if (index == Param::LFO1Sync || index == Param::LFO2Sync)
            m_pTempo->getLfo(index == Param::LFO1Sync ? 0 : 1)
                .setSyncMode(deferred, static_cast<std::uint32_t>(value));
        m_controlCues[kVoiceParameterCue].push(
            lane, VoiceEvent(index, value, (time + getControlTickPhase()) / kControlTickLength));
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
        kGuiLane, VoiceEvent(EventCode::midiCode(EventCode::kKindModWheel, 0), static_cast<std::int64_t>(value * 127.0f),
                             std::int64_t(0)));
}

void Zentrova::setPitchBendFromGui(float value)
{
    const auto bend = static_cast<std::int64_t>((value - 0.5f) * 32767.0f);
    setPseudoParameter(kGuiLane, EventCode::PitchBend, bend & 0xFFFF, 0);
}

void Zentrova::setEditorParameter(long tag, float value)
{
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->setParameter(static_cast<VstInt32>(tag), value);
}

bool Zentrova::engineReads(const ZentrovaState& state) const
{
    return m_keyboardHandler.holdsChordLists(state.m_patchData.chords);
}

void Zentrova::applyPendingProgram(int lane)
{
    // The handler takes the engine state's chord lists when the switch marker arrives.
    m_keyboardHandler.setChordLists(&m_stateHandler.getCurrentState().m_patchData);
    m_stateHandler.sendCurrentState(lane);
    for (VstInt32 index = 0; index < Configuration::kNumControllableParameters; ++index)
        parameterChanged(index);
    for (long tag : kProgramAppliedNotifications)
        setEditorParameter(tag, 0.0f);
}

ZentrovaParameter* Zentrova::editParameter(VstInt32 index)
{
    return isParameter(index) ? m_stateHandler.getEditState().getParameter(index) : nullptr;
}

// Texts of an index that is no parameter are empty.
void Zentrova::copyParameterText(VstInt32 index, char* text, void (ZentrovaParameter::*get)(char*) const)
{
    *text = 0;
    if (ZentrovaParameter* parameter = editParameter(index))
        (parameter->*get)(text);
}

void Zentrova::applyController(int controller, int value, VstInt32 time)
{
    if (m_midiLearnTarget.exchange(-1, std::memory_order_acq_rel) >= 0)
    {
        if (ZentrovaEditor* editor = getZentrovaEditor())
            editor->bindMidiLearn(controller);
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
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->postToGui(kGuiLaneFromAudio, parameter | (time == 0 ? kLearnedAtBlockStart : 0),
                          state.getParameter(parameter)->getQuantisedValue());
}

void Zentrova::setMidiBank(int bank)
{
    if (bank >= 0 && bank < Configuration::kMaxMidiBanks)
        m_midiBank.store(bank, std::memory_order_relaxed);
}

void Zentrova::setParameter(VstInt32 index, float value)
{
    if (index >= kFirstMidiLearnTag && index <= kLastMidiLearnTag)
        m_midiLearnTarget.store(index - kFirstMidiLearnTag, std::memory_order_release);
    else if (index == kMidiLearnOff)
        m_midiLearnTarget.store(-1, std::memory_order_release);
    if (!isParameter(index))
        return;
    m_stateHandler.getEditState().setParameterValue(index, value, kHostParameterLane);
    parameterChanged(index);
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->setParameter(index, value);
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

float Zentrova::getParameter(VstInt32 index)
{
    ZentrovaParameter* parameter = editParameter(index);
    return parameter ? parameter->getValue() : 0.0f;
}

void Zentrova::getParameterLabel(VstInt32 index, char* label)
{
    copyParameterText(index, label, &ZentrovaParameter::getLabel);
}

void Zentrova::getParameterDisplay(VstInt32 index, char* text)
{
    copyParameterText(index, text, &ZentrovaParameter::getDisplay);
}

void Zentrova::getParameterName(VstInt32 index, char* text)
{
    copyParameterText(index, text, &ZentrovaParameter::getName);
}

void Zentrova::getParameterDisplayName(VstInt32 index, char* text)
{
    copyParameterText(index, text, &ZentrovaParameter::getDisplayName);
}

void Zentrova::getParameterAltLabel(VstInt32 index, char* text)
{
    copyParameterText(index, text, &ZentrovaParameter::getAltLabel);
}

void Zentrova::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    if (program < kEditBufferProgram)
    {
        if (program != m_curProgram)
            selectProgram(program, false, true);
    }
    else if (m_curProgram == kEditBufferProgram && m_editBufferSource != kEditBufferProgram)
    {
        selectProgram(program, false, true);
    }
}

void Zentrova::selectProgram(int index, bool keepEditBuffer, bool load)
{
    if (chooseProgram(index, keepEditBuffer, load))
        updateDisplay();
}

bool Zentrova::chooseProgram(int index, bool keepEditBuffer, bool load)
{
    // A patch from outside the library stands alone until a bank is chosen.
    if (index < 0 || m_stateHandler.getEditState().m_notInLibrary)
        return false;
    int toLoad = index;
    if (!keepEditBuffer)
    {
        if (index > kEditBufferProgram)
            return false;
        m_curProgram = index;
        if (index == kEditBufferProgram)
            toLoad = m_editBufferSource;
        else
            m_editBufferSource = kEditBufferProgram;
    }
    else if (index >= kEditBufferProgram)
    {
        m_curProgram = kEditBufferProgram;
        m_editBufferSource = index;
    }
    else
    {
        m_curProgram = index;
        m_editBufferSource = kEditBufferProgram;
    }
    if (!load)
        return false;
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    if (toLoad >= 0 && toLoad < static_cast<int>(bank->patches.size()) &&
        loadPatch(bank->patches[static_cast<std::size_t>(toLoad)]->address, toLoad))
        return true;
    m_stateHandler.setDefaultPatch();
    m_curProgram = 0;
    m_editBufferSource = kEditBufferProgram;
    return true;
}

bool Zentrova::loadPatch(const std::string& address, int program)
{
    const PatchInfoPointer patch = patchTree().getPatchInfo(address);
    return patch && m_stateHandler.loadPatchFile(*patch, program);
}

int Zentrova::getCurrentProgramIndex()
{
    return m_curProgram == kEditBufferProgram ? m_editBufferSource.load() : m_curProgram.load();
}

void Zentrova::stepProgram(int delta)
{
    const auto size = static_cast<std::int64_t>(m_programs.currentBank()->patches.size());
    std::int64_t next = static_cast<std::int64_t>(getCurrentProgramIndex()) + delta;
    // Wrapped into the list whatever the step and wherever the edit buffer
    // pointed before the list changed.
    next = size > 0 ? ((next % size) + size) % size : 0;
    selectProgram(static_cast<int>(next), true, true);
}

int Zentrova::findProgramByAddress(const std::string& address) const
{
    if (address.empty())
        return 0;
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    for (std::size_t index = 0; index < bank->patches.size(); ++index)
        if (bank->patches[index]->address == address)
            return static_cast<int>(index);
    return 0;
}

void Zentrova::listLoadedPatchOnly()
{
    ProgramList::Patches alone{std::make_shared<const PatchInfo>(m_stateHandler.getEditState().m_patchInfo)};
    m_programs.setCurrentBank(m_programs.currentBank()->info, std::move(alone));
    setEditorParameter(kListsChangedNotification, 0.0f);
}

bool Zentrova::switchToBank(const std::string& address)
{
    const std::shared_ptr<const std::vector<BankInfo>> banks = m_programs.banks();
    const auto found = std::find_if(banks->begin(), banks->end(),
                                    [&address](const BankInfo& bank) { return bank.address == address; });
    if (found == banks->end())
        return false;
    ProgramList::Patches patches;
    patchTree().collectPatches(patches, address);
    m_stateHandler.getEditState().m_notInLibrary = false;
    m_programs.setCurrentBank(*found, std::move(patches));
    return true;
}

ProgramList::Patches Zentrova::selectBank(const std::string& address, bool loadFirst)
{
    if (switchToBank(address))
    {
        if (loadFirst)
            selectProgram(0, true, true);
        setEditorParameter(kListsChangedNotification, 0.0f);
    }
    return m_programs.currentBank()->patches;
}

void Zentrova::selectBank(const std::string& address)
{
    selectBank(address, false);
}

BankInfo Zentrova::getCurrentBank() const
{
    return m_programs.currentBank()->info;
}

ProgramList::Patches Zentrova::getCurrentBankPatches() const
{
    return m_programs.currentBank()->patches;
}

std::vector<BankInfo> Zentrova::getBankList() const
{
    return *m_programs.banks();
}

PatchInfo Zentrova::getCurrentPatchInfo()
{
    return m_stateHandler.getEditState().m_patchInfo;
}

std::string Zentrova::getBankFolderPath(const std::string& address)
{
    const PatchTreeNode::Pointer node = patchTree().findNode(address);
    if (!node || !node->isBranch())
        return std::string();
    return static_cast<const PatchTreeBranch&>(*node).firstFolderPath();
}

std::vector<PatchInfoPointer> Zentrova::collectPatches(const std::string& address)
{
    std::vector<PatchInfoPointer> patches;
    patchTree().collectPatches(patches, address);
    return patches;
}

void Zentrova::convertPatchesAt(const std::string& address)
{
    StatePatchConverter converter(this);
    try
    {
        patchTree().convertAt(address, static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags()),
                              &converter);
    }
    catch (const std::exception& error)
    {
        showAlert("Patch Conversion Error", error.what());
    }
    // The listed records name the files as they were before.
    refreshPatchLists(std::string(), false);
}

std::string Zentrova::recallPatchMemory(int memory, bool select)
{
    const std::string text = m_pConfiguration->getPatchMemory(memory);
    const std::size_t separator = text.find(kMemorySeparator);
    std::string bankAddress = text;
    std::string patchAddress;
    if (separator == 0)
    {
        bankAddress.clear();
        patchAddress = text.substr(1);
    }
    else if (separator != std::string::npos)
    {
        bankAddress = text.substr(0, separator) + "/";
        patchAddress = text;
        patchAddress[separator] = '/';
    }
    if (select)
    {
        selectBank(bankAddress, false);
        selectProgram(findProgramByAddress(patchAddress), true, true);
    }
    return bankAddress;
}

void Zentrova::storePatchMemory(int memory, bool bankOnly)
{
    const std::string bankAddress = m_programs.currentBank()->info.address;
    std::string text = m_stateHandler.getEditState().m_patchInfo.address;
    if (bankOnly || text.empty())
    {
        text = bankAddress;
    }
    else if (bankAddress.empty())
    {
        text.insert(text.begin(), kMemorySeparator);
    }
    else if (text.size() > bankAddress.size() && text.compare(0, bankAddress.size(), bankAddress) == 0)
    {
        text[bankAddress.size() - 1] = kMemorySeparator;
    }
    else
    {
        // A patch from another bank is remembered with its own bank.
        const std::size_t slash = text.rfind('/');
        if (slash == std::string::npos)
            text.insert(text.begin(), kMemorySeparator);
        else
            text[slash] = kMemorySeparator;
    }
    m_pConfiguration->setPatchMemory(memory, text);
}

bool Zentrova::setPatchMemory(int memory, const std::string& text)
{
    return m_pConfiguration->setPatchMemory(memory, text);
}

MidiProgramEntry Zentrova::getMidiProgramEntry(int program)
{
    MidiProgramEntry entry;
    entry.path = m_pConfiguration->getMidiBankPath(getMidiBank(), program);
    const std::size_t slash = entry.path.rfind('/');
    if (const PatchInfoPointer patch = patchTree().getPatchInfo(entry.path))
    {
        entry.name = patch->name;
        entry.present = true;
    }
    else if (slash != std::string::npos)
    {
        entry.name = entry.path.substr(slash + 1);
    }
    else
    {
        entry.present = true;
    }
    return entry;
}

void Zentrova::setMidiProgramPath(int program, const std::string& path)
{
    m_pConfiguration->setMidiBankPath(getMidiBank(), program, path);
}

void Zentrova::onMidiProgramChange(int program, VstInt32)
{
    if (program < 0 || program >= Configuration::kNumMidiPrograms)
        return;
    m_midiProgramRequest.store(getMidiBank() << 8 | program, std::memory_order_release);
    // A host that processes without ever resuming the instance gets the
    // worker started here, once.
    if (!ProgramChangeWorker::wake())
        ProgramChangeWorker::start();
}

void Zentrova::stopMidiProgramChanges()
{
    ProgramChangeWorker::detach(this);
}

void Zentrova::waitForMidiProgramChange()
{
    ProgramChangeWorker::waitUntilServed(this);
}

bool Zentrova::hasProgramChangeRequest() const
{
    return m_midiProgramRequest.load(std::memory_order_acquire) >= 0;
}

void Zentrova::serveProgramChangeRequest()
{
    const int request = m_midiProgramRequest.exchange(-1, std::memory_order_acq_rel);
    if (request < 0)
        return;
    try
    {
        changeMidiProgram(request >> 8, request & 0xFF);
    }
    catch (...)
    {
        // Nothing may end the worker: the program stays as it was.
    }
}

void Zentrova::changeMidiProgram(int bank, int program)
{
    const std::string path = m_pConfiguration->getMidiBankPath(bank, program);
    if (path.empty())
        return;
    const PatchTreeNode::Pointer node = patchTree().findNode(path);
    if (!node)
        return;
    const std::size_t slash = path.rfind('/');
    const std::string name =
        node->isLeaf() ? node->getName() : slash != std::string::npos ? path.substr(slash + 1) : std::string();
    if (name.empty())
        return;
    const std::shared_ptr<PatchTreeBranch> parent = node->getParent();
    selectBank(parent ? parent->getAddress() : std::string(), false);
    if (!chooseProgram(findProgramByAddress(path), true, true))
        return;
    // The host hears of it from the audio thread: this thread never calls
    // the host, so that an instance closing (which waits for it) cannot wait
    // on a host that waits for the close.
    refreshEditorDisplay();
    m_hostDisplayPending.store(true, std::memory_order_release);
}

void Zentrova::savePatchAs(const std::string& folderPath, const std::string& name, std::uint32_t formats,
                           bool refresh, bool replace)
{
    PatchTree& tree = patchTree();
    ZentrovaState& state = m_stateHandler.getEditState();
    std::string oldAddress = state.m_patchInfo.address;
    int unwritten = 0;
    if (const PatchTreeNode::Pointer node = tree.findNodeByFilePath(folderPath))
    {
        unwritten = state.savePatch(tree.folderForNode(node, true), name);
        // Saved under its old name into its own bank, the patch's files are
        // the ones just written.
        const std::shared_ptr<PatchTreeBranch> bank =
            node->isBranch() ? std::static_pointer_cast<PatchTreeBranch>(node) : node->getParent();
        if (bank && bank->getAddress() + name == oldAddress)
            oldAddress.clear();
    }
    else
    {
        // A folder outside the library takes the formats asked for, even
        // those not configured for the library.
        if (formats == 0)
            formats = static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags());
        unwritten = state.savePatch({BankFolder{folderPath, formats}}, name, formats);
    }
    try
    {
        // The old patch goes only once its replacement is safely on disk.
        if (replace && unwritten == 0 && !oldAddress.empty())
            tree.deletePatchLocked(oldAddress);
    }
    catch (const std::exception& error)
    {
        showAlert("Patch Delete Error", error.what());
    }
    // Only a rescan finds the new files (and loses the replaced ones).
    if (refresh)
        refreshPatchLists(std::string(), true);
}

void Zentrova::saveSnapshot()
{
    PatchTree& tree = patchTree();
    if (!tree.hasTree())
        return;
    std::string address = m_pConfiguration->getSnapshotFolder(m_pConfiguration->isEffect());
    std::string folder;
    if (const PatchTreeNode::Pointer node = tree.findNode(address))
    {
        if (!node->isBranch())
            return;
        folder = static_cast<const PatchTreeBranch&>(*node).firstFolderPath();
    }
    else
    {
        // The nearest bank above that exists, and the missing rest of the
        // address as folders below it.
        std::string missing;
        PatchTreeNode::Pointer found;
        while (!found)
        {
            const std::size_t slash = address.rfind('/');
            if (slash == std::string::npos)
                return;
            missing = address.substr(slash) + missing;
            address.erase(slash);
            found = tree.findNode(address);
        }
        if (!found->isBranch())
            return;
        folder = static_cast<const PatchTreeBranch&>(*found).firstFolderPath();
        if (folder.empty())
            return;
        folder += missing;
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    if (folder.empty())
        return;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    savePatchAs(folder, snapshotName(local, local.tm_sec + static_cast<double>(now.tv_nsec) * 1e-9), 0, true, false);
}

std::string Zentrova::snapshotName(const std::tm& localTime, double seconds)
{
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d@%02d-%02d-%02.0f", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, seconds);
    return name;
}

std::string Zentrova::getCurrentBankAddress() const
{
    return m_programs.currentBank()->info.address;
}

bool Zentrova::findLibraryPatch(const Uuid& uuid, PatchInfo& info)
{
    const std::shared_ptr<PatchTreeLeaf> leaf = patchTree().findLeafByUuid(uuid);
    if (!leaf)
        return false;
    info = *leaf->getPatchInfo();
    return true;
}

int Zentrova::showLibraryPatch(const PatchInfo& info)
{
    const PatchTreeNode::Pointer node = patchTree().findNode(info.address);
    const std::shared_ptr<PatchTreeBranch> bank = node ? node->getParent() : nullptr;
    selectBank(bank ? bank->getAddress() : std::string(), false);
    const int index = findProgramByAddress(info.address);
    selectProgram(index, true, false);
    return index;
}

ZentrovaStateOwner::PatchFileSettings Zentrova::getPatchFileSettings() const
{
    return PatchFileSettings{static_cast<std::uint32_t>(m_pConfiguration->getPatchFormatFlags()),
                             m_pConfiguration->isEffect(), m_pConfiguration->getDeleteOriginal()};
}

void Zentrova::setProgramName(char* name)
{
    m_stateHandler.setEditPatchName(std::string(name, strnlen(name, kVstMaxProgNameLen - 1)).c_str());
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->setParameter(static_cast<VstInt32>(kProgramNameNotification), static_cast<float>(m_curProgram));
}

void Zentrova::getProgramName(char* name)
{
    copyHostName(name, m_stateHandler.editPatchName(), kVstMaxProgNameLen);
}

bool Zentrova::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    if (index < 0)
        return false;
    const std::shared_ptr<const ProgramList::Bank> bank = m_programs.currentBank();
    const auto count = static_cast<VstInt32>(bank->patches.size());
    const int patch = index == kEditBufferProgram ? m_editBufferSource.load() : index;
    if (index >= count || patch < 0 || patch >= count)
    {
        if (index >= kNumPrograms)
            return false;
        copyHostString(text, kEmptyProgramName, kVstMaxProgNameLen);
        return true;
    }
    copyHostName(text, bank->patches[static_cast<std::size_t>(patch)]->shownName(), kVstMaxProgNameLen);
    return true;
}

VstInt32 Zentrova::getChunk(void** data, bool isPreset)
{
    *data = nullptr;
    constexpr auto kLargestAnswer = static_cast<std::uint64_t>(std::numeric_limits<VstInt32>::max());
    if (!m_stateHandler.writeChunkXml(m_chunk, isPreset) || m_chunk.size > kLargestAnswer)
        return 0;
    *data = m_chunk.data;
    return static_cast<VstInt32>(m_chunk.size);
}

VstInt32 Zentrova::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    if (!data || byteSize <= 0)
        return 0;
    ChunkBuffer chunk;
    chunk.attach(data, static_cast<std::uint64_t>(byteSize));
    bool read = false;
    try
    {
        read = m_stateHandler.readChunkXml(chunk, isPreset);
    }
    catch (const std::exception&)
    {
        // Out of memory on a huge chunk: the edit state stays as it was.
    }
    // The bytes stay the host's.
    chunk.detach();
    if (!read)
        return 0;
    if (m_stateHandler.getEditState().m_notInLibrary)
        listLoadedPatchOnly();
    updateDisplay();
    return 1;
}

bool Zentrova::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= std::min(m_flavour.numInputs, kMaxInputs))
        return false;
    if (index == 0)
    {
        copyHostString(properties->label, "Input Left", kVstMaxLabelLen);
        properties->flags = kVstPinIsActive | kVstPinIsStereo;
    }
    else
    {
        copyHostString(properties->label, "Input Right", kVstMaxLabelLen);
        properties->flags = kVstPinIsActive;
    }
    return true;
}

bool Zentrova::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= kNumOutputs)
        return false;
    std::snprintf(properties->label, kVstMaxLabelLen, "Zentrova %1d Out", static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool Zentrova::getEffectName(char* name)
{
    copyHostString(name, m_flavour.effectName, kVstMaxEffectNameLen);
    return true;
}

bool Zentrova::getVendorString(char* text)
{
    copyHostString(text, kVendor, kVstMaxVendorStrLen);
    return true;
}

bool Zentrova::getProductString(char* text)
{
    copyHostString(text, m_flavour.productString, kVstMaxProductStrLen);
    return true;
}

VstInt32 Zentrova::getVendorVersion()
{
    return kVendorVersion;
}

VstIntPtr Zentrova::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    ZentrovaEditor* editor = getZentrovaEditor();
    if (index == fourCharCode("stCA") && value == fourCharCode("Whee"))
        return editor && editor->onWheel(opt) ? 1 : 0;
    if (index == fourCharCode("Vrlx"))
    {
        if (value == fourCharCode("gCtl"))
            return -1;
        if (value == fourCharCode("Draw") && editor)
            editor->draw(static_cast<ERect*>(ptr));
    }
    return 0;
}

VstInt32 Zentrova::canDo(char* text)
{
    for (const char* capability : kReceivedOrSent)
        if (std::strcmp(text, capability) == 0)
            return 1;
    return -1;
}

bool Zentrova::updateDisplay()
{
    refreshEditorDisplay();
    return AudioEffectX::updateDisplay();
}

void Zentrova::refreshEditorDisplay()
{
    if (ZentrovaEditor* editor = getZentrovaEditor())
        for (VstInt32 i = 0; i < kNumParameters; ++i)
            editor->setParameter(i, getParameter(i));
}

void Zentrova::refreshEditorParameters()
{
    if (ZentrovaEditor* editor = getZentrovaEditor())
        for (VstInt32 i = 0; i < kFirstHarmonicParameter; ++i)
            editor->setParameter(i, getParameter(i));
}

void Zentrova::refreshEditorHarmonics()
{
    if (ZentrovaEditor* editor = getZentrovaEditor())
        for (VstInt32 i = kFirstHarmonicParameter; i < kNumParameters; ++i)
            editor->setParameter(i, getParameter(i));
}

void Zentrova::updateMidiControllerMap()
{
    std::int32_t map[Configuration::kNumMidiControllers];
    m_pConfiguration->getMidiControllerMap(map);
    for (int controller = 0; controller < Configuration::kNumMidiControllers; ++controller)
        m_midiControllerMap[controller].store(map[controller], std::memory_order_relaxed);
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->midiMapChanged();
}
