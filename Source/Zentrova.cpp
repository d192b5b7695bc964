#include "Source/Zentrova.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Source/Voices/EventCodes.h"
#include "Source/Voices/Voice.h"
#include "Source/patchtree/PatchTree.h"
#include "dsp/AlignedMemory.h"
#include "patches/Configuration.h"

namespace
{
// The block size of a newly opened instance.
constexpr VstInt32 kOpeningBlockSize = 64;
} // namespace

Zentrova::Zentrova(audioMasterCallback audioMaster, const Flavour& flavour)
    : VstInterface(audioMaster, kNumPrograms, kNumParameters), m_flavour(flavour), m_stateHandler(this),
      m_hostEvents(this)
{
    for (std::atomic<std::int32_t>& parameter : m_midiControllerMap)
        parameter.store(-1, std::memory_order_relaxed);
    std::fill(std::begin(m_groupLevels), std::end(m_groupLevels), 0.0f);
    std::fill(std::begin(m_groupMasks), std::end(m_groupMasks), 0);

    m_pTempo.reset(new VstTempoAndSync(this, this));
    // The short names of these objects key the controller lines of the
    // configuration file.
    const ZentrovaParameter* parameters[Configuration::kNumControllableParameters];
    for (int index = 0; index < Configuration::kNumControllableParameters; ++index)
        parameters[index] = m_stateHandler.getCurrentState().getParameter(index);
    m_pConfiguration = Configuration::acquire(m_configurationClientId, this, !m_flavour.isSynth, parameters);

    try
    {
        if (hasHostCallback())
        {
            setNumInputs(m_flavour.numInputs);
            setNumOutputs(kNumOutputs);
            canProcessReplacing();
            isSynth(m_flavour.isSynth);
            setInitialDelay(m_flavour.initialDelay);
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
        m_opening = false;
        suspend();
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

void Zentrova::setEditorPort(EditorPort* editor)
{
    m_pEditorPort = editor;
    m_keyboardHandler.setEditor(editor);
}

void Zentrova::createVoiceEngine()
{
    m_eventsProcessed = false;
    updateMidiControllerMap();
    if (!m_pVoice)
        m_pVoice.reset(new Voice(m_flavour.numInputs > 0));
    configurationChanged(kKnobModeChanged | kDamperScaleChanged | kHold2ScaleChanged);
    m_pVoice->reset();
    m_controlTickPhase = 0;
    m_groupMasks[0] = -1;
    for (int i = 1; i < kNumGroupMasks; ++i)
        m_groupMasks[i] = 0;
}

void Zentrova::configurationChanged(unsigned mask)
{
    if (mask & kMidiControllerMapChanged)
        updateMidiControllerMap();
    if ((mask & kKnobModeChanged) && m_pEditorPort)
        m_pEditorPort->knobModeChanged(m_pConfiguration->getKnobMode());
    if (mask & kDamperScaleChanged)
        m_keyboardHandler.setDamperScale(m_pConfiguration->getDamperScale());
    if ((mask & kHold2ScaleChanged) && m_pVoice)
        m_pVoice->setHold2Scale(m_pConfiguration->getHold2Scale());
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
    wakeUp();
    ProgramChangeWorker::start();
    applyPendingProgram(ControlLane::kResume);
    AudioEffectX::resume();
    m_keyboardHandler.reset();
    m_pTempo->reset();
    m_pVoice->reset();
    m_pVoice->prepareWaves();
    m_controlTickPhase = 0;
    m_transportRunning = false;
    // The patch's events reach the echo only with the first block: its
    // memory is sized for them now, off the audio thread.
    const ZentrovaState& state = m_stateHandler.getCurrentState();
    const auto value = [&state](int index) { return state.getParameter(index)->getEngineValue(); };
    m_effectsSection.prepareEcho(value(Param::DelayTempo), value(Param::DelayUnits), value(Param::DelayLengthLeft),
                                 value(Param::DelayLengthRight));
    m_effectsSection.resume();
    // Opening leaves the voices' buffers without memory. The worker gives
    // them theirs once the instance has played a little, so that a host
    // opening many instances is not slowed by it, and the audio thread need
    // not take them at the first chord.
    m_samplesBeforeVoicePages.store(kSamplesBeforeVoicePages, std::memory_order_relaxed);
}

bool Zentrova::hasMemoryRequest() const
{
    return m_effectsSection.hasMemoryRequest() || m_voicePagePartsLeft.load(std::memory_order_acquire) > 0;
}

void Zentrova::serveMemoryRequest()
{
    m_effectsSection.serveMemory();
    int left = m_voicePagePartsLeft.load(std::memory_order_acquire);
    if (left > 0 && m_voicePagePartsLeft.compare_exchange_strong(left, left - 1, std::memory_order_acq_rel))
        m_pVoice->prefaultBuffers(kVoicePageParts - left, kVoicePageParts);
}

void Zentrova::setSampleRate(float sampleRate)
{
    if (!(sampleRate > 0.0f))
        return;
    AudioEffect::setSampleRate(sampleRate);
    wakeUp();
    // The engine drops what it rendered ahead; the tick grid starts again.
    m_controlTickPhase = 0;
    // The engine keeps running at an unsupported rate, so that notes,
    // pedals and parameters stay as the host left them for when the rate
    // comes back.
    const bool supported = sampleRate <= kHighestSampleRate;
    const float engineRate = supported ? sampleRate : kHighestSampleRate;
    m_rateSupported.store(supported, std::memory_order_relaxed);
    m_pVoice->setSampleRate(engineRate, !m_opening);
    // The rate an instance opens at is a default the host replaces.
    m_effectsSection.setSampleRate(engineRate, !m_opening);
    m_pTempo->setSampleRate(engineRate);
}

void Zentrova::setBlockSize(VstInt32 blockSize)
{
    if (blockSize <= 0)
        return;
    AudioEffect::setBlockSize(blockSize);
    wakeUp();
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
    // The worker must not be giving memory to buffers about to be freed.
    m_voicePagePartsLeft.store(0, std::memory_order_release);
    m_samplesBeforeVoicePages.store(0, std::memory_order_relaxed);
    if (!m_opening)
        ProgramChangeWorker::waitUntilServed(this);
    m_pVoice->setBlockSize(blockSize);
    m_effectsSection.setBlockSize(blockSize);
    // A host that sets only the block size plays at the default rate.
    if (!m_opening)
        m_pVoice->prepareWaves();
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
    const int beforeVoicePages = m_samplesBeforeVoicePages.load(std::memory_order_relaxed);
    if (beforeVoicePages > 0)
    {
        const int left = std::max(beforeVoicePages - sampleFrames, 0);
        m_samplesBeforeVoicePages.store(left, std::memory_order_relaxed);
        if (left == 0)
        {
            m_voicePagePartsLeft.store(kVoicePageParts, std::memory_order_release);
            ProgramChangeWorker::wake();
        }
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
    // Offline, as while a host exports, what the worker was asked for
    // during the block is there before the next one, so that renders of
    // the same calls are the same; in real time the block never waits.
    if (getCurrentProcessLevel() == kVstProcessLevelOffline)
        waitForWorker();
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
    if (m_engineResting)
    {
        if (restContinues(inputs, sampleFrames))
        {
            restBlock(outputs, sampleFrames, replace);
            return;
        }
        wakeUp();
    }
    if (!m_eventsProcessed)
        processEvents(nullptr);
    m_pTempo->processBlock(sampleFrames);
    const std::int64_t gatedGroups =
        m_keyboardHandler.processBlock(m_controlCues, m_groupMasks, m_groupLevels, getControlTickPhase());
    const bool sounding = m_pVoice->process(m_controlCues, inputs, m_mixBuffer, sampleFrames, gatedGroups,
                                            m_groupMasks, m_groupLevels);
    m_controlTickPhase.store((getControlTickPhase() + sampleFrames) % Engine::kTickFrames, std::memory_order_relaxed);
    if (m_effectsSection.delayTempoFromHost())
        m_effectsSection.setTempo(static_cast<float>(m_pTempo->getTempo()));
    m_effectsSection.process(m_controlCues[kEffectsCue], m_mixBuffer, outputs[0], outputs[1], sampleFrames, replace,
                             !sounding);
    m_eventsProcessed = false;
    m_hostEvents.flush();
    m_engineResting = mayRest(inputs, sampleFrames, sounding);
}

bool Zentrova::inputsSilent(float** inputs, VstInt32 sampleFrames)
{
    if (!inputs)
        return true;
    for (VstInt32 i = 0; i < kMaxInputs; ++i)
    {
        if (!inputs[i])
            continue;
        // Either zero, by its bits with the sign left out.
        std::uint32_t bits = 0;
        for (VstInt32 k = 0; k < sampleFrames; ++k)
        {
            std::uint32_t sample;
            std::memcpy(&sample, &inputs[i][k], sizeof sample);
            bits |= sample;
        }
        if ((bits & 0x7FFFFFFFu) != 0)
            return false;
    }
    return true;
}

bool Zentrova::mayRest(float** inputs, VstInt32 sampleFrames, bool sounding) const
{
    return !sounding && m_restAllowed.load(std::memory_order_relaxed) && m_effectsSection.isResting() &&
           m_keyboardHandler.isAtRest() && m_pVoice->isAtRest() && inputsSilent(inputs, sampleFrames);
}

// Whatever the engine would have to take in this block wakes it: MIDI, a
// queued value or program, a setting waiting for the clock, MIDI for the
// host, or sound at the input.
bool Zentrova::restContinues(float** inputs, VstInt32 sampleFrames) const
{
    if (m_eventsProcessed || !m_restAllowed.load(std::memory_order_relaxed) || m_stateHandler.isSwitchPending() ||
        m_hostDisplayPending.load(std::memory_order_relaxed) || m_hostEvents.hasQueued() ||
        m_pTempo->hasPendingSettings())
        return false;
    for (const ControlCue<VoiceEvent>& cue : m_controlCues)
        for (int lane = 0; lane < kQueueLanes; ++lane)
            if (cue.pending(lane) != 0)
                return false;
    return inputsSilent(inputs, sampleFrames);
}

// The host's time is not asked for: the wake reads it. The host still gets
// its (empty) list of MIDI every block.
void Zentrova::restBlock(float** outputs, VstInt32 sampleFrames, int replace)
{
    m_pVoice->rest(sampleFrames);
    m_controlTickPhase.store((getControlTickPhase() + sampleFrames) % Engine::kTickFrames, std::memory_order_relaxed);
    m_restFrames += sampleFrames;
    // The section rests as well; its chorus sweep moves on.
    m_effectsSection.process(m_controlCues[kEffectsCue], m_mixBuffer, outputs[0], outputs[1], sampleFrames, replace,
                             true);
    m_hostEvents.flush();
}

void Zentrova::wakeUp()
{
    m_engineResting = false;
    if (m_pVoice)
        m_pVoice->wake();
    catchUpTempo();
}

void Zentrova::catchUpTempo()
{
    if (m_pTempo)
        m_pTempo->skip(m_restFrames);
    m_restFrames = 0;
}

void Zentrova::beginBlock()
{
    m_eventsProcessed = true;
    for (ControlCue<VoiceEvent>& cue : m_controlCues)
        cue.beginRead();
    // MIDI may arrive before the block wakes the engine.
    catchUpTempo();
    m_pTempo->beginBlock();
    if (m_stateHandler.isSwitchPending() && m_stateHandler.toggleState())
        applyPendingProgram(ControlLane::kBlockStart);
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

void Zentrova::setEditorParameter(long tag, float value)
{
    if (EditorPort* editor = m_pEditorPort)
        editor->setParameter(static_cast<VstInt32>(tag), value);
}

bool Zentrova::engineReads(const ZentrovaState& state) const
{
    return m_keyboardHandler.holdsChordLists(state.m_patchData.chords);
}
