#pragma once

#include "Source/vst/AudioEffect.h"

// The extended plug-in base: answers opcodes 25-79 and wraps the host
// callbacks the plug-in uses.
class AudioEffectX : public AudioEffect
{
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~AudioEffectX() override;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Asks the host for MIDI: always for an instrument, otherwise when the
    // object itself says it receives MIDI events.
    void resume() override;

    virtual VstInt32 processEvents(VstEvents* events);
    virtual bool canParameterBeAutomated(VstInt32 index);
    virtual bool string2parameter(VstInt32 index, char* text);
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    virtual VstPlugCategory getPlugCategory();
    virtual bool setBypass(bool onOff);
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(char* text);
    virtual VstInt32 getVstVersion();
    virtual VstInt32 getTailSize();
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel, void* program);
    virtual bool updateDisplay();

    void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }

    VstTimeInfo* getTimeInfo(VstInt32 filter);
    // A VstProcessLevels value; 0 from a host that does not say.
    VstInt32 getCurrentProcessLevel();
    bool sendVstEventsToHost(VstEvents* events);
    bool canHostDo(char* text);
    bool sizeWindow(VstInt32 width, VstInt32 height);
    bool beginEdit(VstInt32 index);
    bool endEdit(VstInt32 index);
};
