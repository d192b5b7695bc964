#include "Source/vst/AudioEffectX.h"

#include "Source/vst/AEffEditor.h"

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams)
{
}

AudioEffectX::~AudioEffectX() = default;

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (opcode < effProcessEvents)
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);

    switch (opcode)
    {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed:
        return ptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetInputProperties:
        return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return ptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return ptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return ptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getTailSize();
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
        if (m_editor)
        {
            VstKeyCode keyCode{index, static_cast<unsigned char>(value), static_cast<unsigned char>(opt)};
            return (opcode == effEditKeyDown ? m_editor->onKeyDown(keyCode) : m_editor->onKeyUp(keyCode)) ? 1 : 0;
        }
        return 0;
    case effSetEditKnobMode:
        return m_editor ? (m_editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0) : 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    default:
        return 0;
    }
}

void AudioEffectX::resume()
{
    static char receiveMidi[] = "receiveVstMidiEvent";
    if ((m_effect.flags & effFlagsIsSynth) || canDo(receiveMidi) == 1)
        callHost(audioMasterWantMidi, 0, 1);
}

VstInt32 AudioEffectX::processEvents(VstEvents*)
{
    return 0;
}

bool AudioEffectX::canParameterBeAutomated(VstInt32)
{
    return true;
}

bool AudioEffectX::string2parameter(VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*)
{
    return false;
}

bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

VstPlugCategory AudioEffectX::getPlugCategory()
{
    return (m_effect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::setBypass(bool)
{
    return false;
}

bool AudioEffectX::getEffectName(char*)
{
    return false;
}

bool AudioEffectX::getVendorString(char*)
{
    return false;
}

bool AudioEffectX::getProductString(char*)
{
    return false;
}

VstInt32 AudioEffectX::getVendorVersion()
{
    return 0;
}

VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

VstInt32 AudioEffectX::canDo(char*)
{
    return 0;
}

VstInt32 AudioEffectX::getVstVersion()
{
    return 2400;
}

VstInt32 AudioEffectX::getTailSize()
{
    return 0;
}

VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32, void*)
{
    return -1;
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel()
{
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

bool AudioEffectX::canHostDo(char* text)
{
    return callHost(audioMasterCanDo, 0, 0, text) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}
