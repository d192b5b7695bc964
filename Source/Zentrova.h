#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "Source/Flavour.h"
#include "Source/HostEvents.h"
#include "Source/MidiProgramEntry.h"
#include "Source/ProgramChangeWorker.h"
#include "Source/ProgramList.h"
#include "Source/RoutingTable.h"
#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/editorport/EditorPort.h"
#include "Source/effects/EffectsSection.h"
#include "Source/parameters/ParameterIndices.h"
#include "Source/queues/ControlCue.h"
#include "Source/queues/QueueLanes.h"
#include "Source/state/ZentrovaStateHandler.h"
#include "Source/state/ZentrovaStateOwner.h"
#include "Source/tempo/TempoAndSyncOwner.h"
#include "Source/tempo/VstTempoAndSync.h"
#include "Source/vst/VstInterface.h"
#include "dsp/EngineDimensions.h"
#include "patches/ChunkBuffer.h"
#include "patches/ConfigurationClient.h"
#include "simd/SystemInfo.h"

class Configuration;
class PatchTree;
class Voice;

// The main plug-in object: owns every part of one instance and answers the
// host. It reaches its editor only through the editor's port. Its source
// is cut along its seams: Zentrova.cpp builds the instance and renders the
// audio, ZentrovaMidi.cpp takes MIDI and routes values to the engine,
// ZentrovaPrograms.cpp keeps the programs and the patch library, and
// ZentrovaHostAnswers.cpp answers the host's other questions.
class Zentrova : public VstInterface,
                 public ZentrovaStateOwner,
                 public TempoAndSyncOwner,
                 public ConfigurationClient,
                 public ProgramChangeWorker::Client
{
public:
    static constexpr VstInt32 kNumPrograms = 128;
    static constexpr VstInt32 kNumParameters = kParameterCount;
    static constexpr VstInt32 kEditBufferProgram = 127;
    static constexpr int kNumControlCues = ControlQueue::kCount;
    static constexpr int kNumGroupMasks = Engine::kGroupMasks;
    static constexpr int kNumGroups = Engine::kGroups;
    static constexpr VstInt32 kMaxInputs = 2;
    static constexpr VstInt32 kNumOutputs = 2;
    // Above this host rate the echo's memory would grow without a bound: the
    // engine runs as at this rate and the outputs stay silent.
    static constexpr float kHighestSampleRate = 768000.0f;

    // The control queues, by what they feed.
    enum ControlCueIndex
    {
        kAmpCue = ControlQueue::kAmp,
        kVoiceParameterCue = ControlQueue::kVoiceParameters,
        kKeyboardCue = ControlQueue::kKeyboard,
        kNoteControlCue = ControlQueue::kNoteControl,
        kEffectsCue = ControlQueue::kEffects,
    };

    Zentrova(audioMasterCallback audioMaster, const Flavour& flavour);
    ~Zentrova() override;

    void suspend() override;
    void resume() override;
    void setSampleRate(float sampleRate) override;
    void setBlockSize(VstInt32 blockSize) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // Renders through the single-precision path.
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    VstPlugCategory getPlugCategory() override;
    VstInt32 canDo(char* text) override;
    bool updateDisplay() override;

    // The same as processReplacing, adding to the outputs.
    virtual void processAccumulating(float** inputs, float** outputs, VstInt32 sampleFrames);
    // Audio thread: plays the patch the MIDI bank table gives the program
    // of the current MIDI bank. The audio thread only leaves the request:
    // the program change worker loads the patch, and the engine switches to
    // it at a later block start. A later program change replaces a request
    // not yet taken.
    virtual void onMidiProgramChange(int program, VstInt32 time);
    // Lets the program change worker serve this instance, which it calls
    // into whole: whoever builds the instance calls this once it is complete.
    void startMidiProgramChanges();
    // Host threads: waits until the worker has served what this instance
    // asked of it: the MIDI program change asked for last, the echo's memory,
    // the voices' buffers.
    void waitForWorker();
    // Moves through the current bank's programs, wrapping at its ends.
    virtual void stepProgram(int delta);
    virtual void getParameterDisplayName(VstInt32 index, char* text);
    // A sample of the parameter's widest value text, for laying out its control.
    void getParameterAltLabel(VstInt32 index, char* text);
    virtual void reinitialise(VstInt32 blockSize, float sampleRate);
    // Converts the library's patches at the address to the configured formats.
    virtual void convertPatchesAt(const std::string& address);
    // Selects a patch of the current bank by its list index: 0-126 as that
    // program, later ones as the edit buffer (program 127). With load it is
    // loaded; when it cannot be, program 0 with the default patch.
    virtual void selectProgram(int index, bool keepEditBuffer, bool load);
    // The edit buffer's source while program 127 is current.
    virtual int getCurrentProgramIndex();
    // Loads the library patch at the tree address as the program's patch;
    // false when there is none or its file is unusable.
    bool loadPatch(const std::string& address, int program);
    // The list index of the first listed patch at the tree address; 0 when
    // the address is empty or names none.
    int findProgramByAddress(const std::string& address) const;

    // Banks: makes the bank at address current (an address that names no
    // bank changes nothing) and answers its patches.
    ProgramList::Patches selectBank(const std::string& address, bool loadFirst);
    void selectBank(const std::string& address) override;
    BankInfo getCurrentBank() const;
    ProgramList::Patches getCurrentBankPatches() const;
    std::vector<BankInfo> getBankList() const;
    PatchInfo getCurrentPatchInfo();
    // The first folder of the bank at address; empty when there is none.
    std::string getBankFolderPath(const std::string& address);
    // The formats and issues of the library node at address, as "(+AU)(-VST)"
    // and the like; empty when there is no such node.
    std::string getNodeFlagsText(const std::string& address);
    std::vector<PatchInfoPointer> collectPatches(const std::string& address);

    // Patch memories 0-7: a bank, or a bank and one of its patches.
    // recallPatchMemory answers the memory's bank address; with select it
    // selects that bank and loads the patch (program 0 when it is gone).
    std::string recallPatchMemory(int memory, bool select);
    void storePatchMemory(int memory, bool bankOnly);
    bool setPatchMemory(int memory, const std::string& text);

    // The MIDI bank table's program of the current MIDI bank.
    MidiProgramEntry getMidiProgramEntry(int program);
    void setMidiProgramPath(int program, const std::string& path);

    // Saves the edit state's patch as name in formats into that disk
    // folder alone; with formats 0, into every folder of the bank that the
    // folder backs in their formats, or the configured formats when no bank
    // does. replace removes
    // the patch's previous files; refresh brings the lists up to date.
    void savePatchAs(const std::string& folderPath, const std::string& name, std::uint32_t formats, bool refresh,
                     bool replace);
    // Saves the patch into the snapshot bank under the present date and time.
    void saveSnapshot();
    // "2012-03-03@09-05-08": a snapshot's name; seconds with their fraction.
    static std::string snapshotName(const std::tm& localTime, double seconds);

    // The engine's side of the patch states and the clock.
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override;
    void setEditorParameter(long tag, float value) override;
    bool engineReads(const ZentrovaState& state) const override;
    // The editor's wheels, 0..1.
    void setModWheelFromGui(float value);
    void setPitchBendFromGui(float value);
    // Sends the engine state's patch to the engine on a control-queue lane.
    void applyPendingProgram(int lane);
    ZentrovaStateHandler& getStateHandler() { return m_stateHandler; }

    // Fetches the patch library's lists again, rescanning its folders first
    // with rescan.
    void refreshPatchLists(const std::string& address, bool rescan);
    void refreshEditorParameters();
    void refreshEditorHarmonics();
    // Copies the configuration's controller map; tells the editor.
    void updateMidiControllerMap();
    // Applies the configuration's changed settings to this instance.
    void configurationChanged(unsigned mask) override;
    // Bank select reaches banks 0-127; other numbers are ignored.
    void setMidiBank(int bank);
    int getMidiBank() const { return m_midiBank.load(std::memory_order_relaxed); }
    // Audio thread: the value of a controller mapped to parameter, at time
    // in the block.
    void setLearnedParameter(int parameter, int controllerValue, VstInt32 time);
    // Sends the controller mapped to a changed parameter 0-106 to the host.
    void parameterChanged(VstInt32 index);
    // The parameter whose controller MIDI learn waits for, or -1.
    int getMidiLearnTarget() const { return m_midiLearnTarget.load(std::memory_order_relaxed); }
    Configuration* getConfiguration() { return m_pConfiguration; }

    // The patch library as a patch state needs it.
    std::string getCurrentBankAddress() const override;
    bool findLibraryPatch(const Uuid& uuid, PatchInfo& info) override;
    int showLibraryPatch(const PatchInfo& info) override;
    PatchFileSettings getPatchFileSettings() const override;

    // Null while the instance has no editor.
    EditorPort* getEditorPort() const { return m_pEditorPort; }
    KeyboardHandler& getKeyboardHandler() { return m_keyboardHandler; }
    Voice* getVoiceEngine() { return m_pVoice.get(); }
    const EffectsSection& getEffectsSection() const { return m_effectsSection; }
    ControlCue<VoiceEvent>* getControlCues() { return m_controlCues; }
    VstTempoAndSync* getTempo() { return m_pTempo.get(); }
    // Samples of the current control tick that lay before this block.
    std::int64_t getControlTickPhase() const { return m_controlTickPhase.load(std::memory_order_relaxed); }
    const Flavour& getFlavour() const { return m_flavour; }
    // Once nothing sounds, is held or moves, the engine rests: a block with
    // no events then costs next to nothing and is exact zero, and the first
    // event wakes it as if it had played on. Off keeps every block worked
    // through, for comparisons.
    void setRestAllowed(bool allowed) { m_restAllowed.store(allowed, std::memory_order_relaxed); }
    bool isResting() const { return m_engineResting; }

protected:
    // The editor the instance was given; also the keyboard handler's.
    void setEditorPort(EditorPort* editor);
    void createVoiceEngine();
    // The configuration tells this instance of changes only while it is
    // complete: switched on by the finished instance, off before it is
    // taken apart.
    void setConfigurationClientActive(bool active);
    // Waits for a MIDI program change being made for this instance; none is
    // made after it.
    void stopMidiProgramChanges();

private:
    PatchTree& patchTree() const;
    // False when no bank has the address.
    bool switchToBank(const std::string& address);
    // The worker's side of a MIDI program change.
    bool hasProgramChangeRequest() const override;
    void serveProgramChangeRequest() override;
    // The worker's side of the echo's memory and the voices' buffers.
    bool hasMemoryRequest() const override;
    void serveMemoryRequest() override;
    void changeMidiProgram(int bank, int program);
    // selectProgram but for telling the editor and the host; true when the
    // edit state took a patch.
    bool chooseProgram(int index, bool keepEditBuffer, bool load);
    void refreshEditorDisplay();
    // Audio thread: the keyboard queue's block-start lane holds a block's
    // MIDI. Releases (note-offs, all-notes-off, pedals let go, the program
    // frame) keep room that nothing else may take; a release that still
    // finds no room sends all notes off and every pedal up instead.
    void pushKeyboardEvent(int lane, const VoiceEvent& event);
    void releaseEverything(std::int64_t time);
    // The program list shows the edit state's patch alone: a patch the
    // library does not hold.
    void listLoadedPatchOnly();
    void processBlock(float** inputs, float** outputs, VstInt32 sampleFrames, int replace);
    void processInPieces(float** inputs, float** outputs, VstInt32 sampleFrames, int replace);
    // Resting: whether this block leaves the engine at rest, the block
    // rested through, and the wake that catches up on the blocks rested.
    bool restContinues(float** inputs, VstInt32 sampleFrames) const;
    bool mayRest(float** inputs, VstInt32 sampleFrames, bool sounding) const;
    void restBlock(float** outputs, VstInt32 sampleFrames, int replace);
    void wakeUp();
    void catchUpTempo();
    static bool inputsSilent(float** inputs, VstInt32 sampleFrames);
    void beginBlock();
    void translateMidiEvent(const VstMidiEvent& event, VstInt32 time);
    // Controllers whose last value in a list of MIDI events is all that
    // counts, so that a flood of them cannot crowd notes out of a block:
    // polyphonic pressure per channel and note; channel pressure, pitch
    // bend, mod wheel and expression per channel; the controllers the map
    // sends to parameters, which know no channel.
    static constexpr int kCoalescingSlots = 16 * 128 + 4 * 16 + 128;
    // The event's slot, or -1 for an event that is never coalesced. While
    // MIDI learn waits, the first controller must reach it as sent.
    static int coalescingSlot(const VstMidiEvent& event, bool learning);
    void pushMidiCode(std::int64_t code, std::int64_t value, VstInt32 time);
    void applyPitchBend(int channel, int data1, int data2, VstInt32 time);
    // Tempo, gate time and clock source reach the tempo object's clock.
    void routeToClock(bool deferred, long index, EngineValue value);
    // A controller the engine does not take itself: MIDI learn, then the
    // parameter the controller map gives it.
    void applyController(int controller, int value, VstInt32 time);
    static bool isParameter(VstInt32 index) { return index >= 0 && index < kNumParameters; }
    // The edit state's object of a host parameter index; null for any other index.
    ZentrovaParameter* editParameter(VstInt32 index);
    void copyParameterText(VstInt32 index, char* text, void (ZentrovaParameter::*get)(char*) const);

    const Flavour& m_flavour;
    // Set before the state handler, which shows its first values.
    EditorPort* m_pEditorPort = nullptr;
    EffectsSection m_effectsSection;
    ZentrovaStateHandler m_stateHandler;
    KeyboardHandler m_keyboardHandler;
    std::unique_ptr<Voice> m_pVoice;
    ControlCue<VoiceEvent> m_controlCues[kNumControlCues];
    std::unique_ptr<VstTempoAndSync> m_pTempo;
    SystemInfo m_systemInfo;
    ChunkBuffer m_chunk;
    std::atomic<int> m_editBufferSource{kEditBufferProgram};
    std::atomic<int> m_midiBank{0};
    ProgramList m_programs;
    // A MIDI program change the worker is to make, as MIDI bank << 8 |
    // program; -1 when none.
    std::atomic<int> m_midiProgramRequest{-1};
    // The worker made a program change the host has not yet been told of.
    std::atomic<bool> m_hostDisplayPending{false};
    HostEvents m_hostEvents;
    float* m_mixBuffer = nullptr;
    // Four channels of a block: the double-precision path's inputs and
    // outputs, and the outputs rendered at an unsupported rate.
    float* m_scratch = nullptr;
    std::atomic<bool> m_rateSupported{true};
    // Per list of MIDI events: the place of each controller's last event;
    // see coalescingSlot. A list sets the slot of each of its controllers
    // before it reads one, so the slots are never cleared, and their pages
    // take memory only once MIDI controllers come.
    std::int32_t m_lastControllerEvent[kCoalescingSlots];
    // The constructor's default rate builds no wave tables: the host's
    // own rate would replace them at once.
    bool m_opening = true;
    // The worker is to give the voices' buffers their memory, once this
    // many samples have been processed since resuming (0: not asked).
    static constexpr int kSamplesBeforeVoicePages = 2048;
    std::atomic<int> m_samplesBeforeVoicePages{0};
    // Parts of the voices' buffers the worker is still to give memory to,
    // one part per turn, so that the echo's memory does not wait behind
    // them all.
    static constexpr int kVoicePageParts = 8;
    std::atomic<int> m_voicePagePartsLeft{0};
    // Audio thread: the block's releases did not all fit and everything was
    // released; a program frame on the keyboard lane is open.
    bool m_keyboardOverflow = false;
    bool m_programFrameOpen = false;
    const RoutingTable m_routingTable;
    // Read by parameter changes on any thread.
    std::atomic<std::int64_t> m_controlTickPhase{0};
    bool m_eventsProcessed = false;
    bool m_engineResting = false;
    std::atomic<bool> m_restAllowed{true};
    // Host samples rested through that the tempo object has not caught up on.
    std::int64_t m_restFrames = 0;
    bool m_transportRunning = false;
    std::int64_t m_groupMasks[kNumGroupMasks];
    float m_groupLevels[kNumGroups];
    std::atomic<std::int32_t> m_midiControllerMap[128];
    std::atomic<int> m_midiLearnTarget{-1};
    Configuration* m_pConfiguration = nullptr;
    std::uint64_t m_configurationClientId = 0;
};
