#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "Source/ControlCue.h"
#include "Source/EffectsSection.h"
#include "Source/Flavour.h"
#include "Source/HostEvents.h"
#include "Source/RoutingTable.h"
#include "Source/SystemInfo.h"
#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/VstInterface.h"
#include "Source/VstTempoAndSync.h"
#include "Source/ZentrovaStateHandler.h"
#include "Source/ZentrovaStateOwner.h"
#include "patches/ChunkBuffer.h"

class Configuration;
class Voice;
class ZentrovaEditor;

// The main plug-in object: owns every part of one instance and answers the
// host.
class Zentrova : public VstInterface, public ZentrovaStateOwner
{
public:
    static constexpr VstInt32 kNumPrograms = 128;
    static constexpr VstInt32 kNumParameters = 155;
    static constexpr VstInt32 kEditBufferProgram = 127;
    static constexpr int kNumControlCues = 5;
    static constexpr int kNumGroupMasks = 6;
    static constexpr int kNumGroups = 16;

    // The control queues, by what they feed.
    enum ControlCueIndex
    {
        kAmpCue = 0,
        kVoiceParameterCue = 1,
        kKeyboardCue = 2,
        kNoteControlCue = 3,
        kEffectsCue = 4,
    };

    Zentrova(audioMasterCallback audioMaster, const Flavour& flavour);
    ~Zentrova() override;

    void suspend() override;
    void resume() override;
    void setSampleRate(float sampleRate) override;
    void setBlockSize(VstInt32 blockSize) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
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
    VstInt32 canDo(char* text) override;
    bool updateDisplay() override;

    // The same as processReplacing, adding to the outputs.
    virtual void processAccumulating(float** inputs, float** outputs, VstInt32 sampleFrames);
    // Audio thread: a MIDI program change at time in the block.
    virtual void onMidiProgramChange(int program, VstInt32 time);
    virtual void getParameterDisplayName(VstInt32 index, char* text);
    // A sample of the parameter's widest value text, for laying out its control.
    void getParameterAltLabel(VstInt32 index, char* text);
    virtual void reinitialise(VstInt32 blockSize, float sampleRate);
    virtual void selectProgram(int index, bool keepEditBuffer, bool load);
    // The edit buffer's source while program 127 is current.
    virtual int getCurrentProgramIndex();

    // The engine's side of the patch states.
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override;
    void setEditorParameter(long tag, float value) override;
    // The editor's wheels, 0..1.
    void setModWheelFromGui(float value);
    void setPitchBendFromGui(float value);
    // Sends the engine state's patch to the engine on a control-queue lane.
    void applyPendingProgram(int lane);
    ZentrovaStateHandler& getStateHandler() { return m_stateHandler; }

    // Fetches the patch library's lists again.
    void refreshPatchLists(const std::string& address, bool rescan);
    void refreshEditorParameters();
    void refreshEditorHarmonics();
    // Copies the configuration's controller map; tells the editor.
    void updateMidiControllerMap();
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

    // Null while the instance has no editor.
    ZentrovaEditor* getZentrovaEditor();
    KeyboardHandler& getKeyboardHandler() { return m_keyboardHandler; }
    Voice* getVoiceEngine() { return m_pVoice.get(); }
    ControlCue<VoiceEvent>* getControlCues() { return m_controlCues; }
    VstTempoAndSync* getTempo() { return m_pTempo.get(); }
    // Samples of the current control tick that lay before this block.
    std::int64_t getControlTickPhase() const { return m_controlTickPhase; }
    const Flavour& getFlavour() const { return m_flavour; }

protected:
    void createVoiceEngine();
    // The configuration tells this instance of changes only while it is
    // complete: switched on by the finished instance, off before it is
    // taken apart.
    void setConfigurationClientActive(bool active);

private:
    void processBlock(float** inputs, float** outputs, VstInt32 sampleFrames, int replace);
    void processInPieces(float** inputs, float** outputs, VstInt32 sampleFrames, int replace);
    void beginBlock();
    void translateMidiEvent(const VstMidiEvent& event, VstInt32 time);
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
    EffectsSection m_effectsSection;
    ZentrovaStateHandler m_stateHandler;
    KeyboardHandler m_keyboardHandler;
    std::unique_ptr<Voice> m_pVoice;
    ControlCue<VoiceEvent> m_controlCues[kNumControlCues];
    std::unique_ptr<VstTempoAndSync> m_pTempo;
    SystemInfo m_systemInfo;
    ChunkBuffer m_chunk;
    int m_editBufferSource = kEditBufferProgram;
    std::atomic<int> m_midiBank{0};
    HostEvents m_hostEvents;
    float* m_mixBuffer = nullptr;
    const RoutingTable m_routingTable;
    std::int64_t m_controlTickPhase = 0;
    bool m_eventsProcessed = false;
    bool m_transportRunning = false;
    std::int64_t m_groupMasks[kNumGroupMasks];
    float m_groupLevels[kNumGroups];
    std::atomic<std::int32_t> m_midiControllerMap[128];
    std::atomic<int> m_midiLearnTarget{-1};
    Configuration* m_pConfiguration = nullptr;
    std::uint64_t m_configurationClientId = 0;
};
