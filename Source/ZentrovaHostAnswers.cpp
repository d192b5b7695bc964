#include "Source/Zentrova.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "Source/editorport/EditorTags.h"
#include "Source/vst/AEffEditor.h"

namespace
{
constexpr char kVendor[] = "Vorlix";
constexpr VstInt32 kVendorVersion = 2;

// "vVstEvents" is a misspelling some hosts may have learnt to ask for.
const char* const kReceivedOrSent[] = {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "vVstEvents",
                                       "sendVstMidiEvent"};
} // namespace

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

void Zentrova::setParameter(VstInt32 index, float value)
{
    if (index >= EditorTag::kFirstMidiLearn && index <= EditorTag::kLastMidiLearn)
        m_midiLearnTarget.store(index - EditorTag::kFirstMidiLearn, std::memory_order_release);
    else if (index == EditorTag::kMidiLearnOff)
        m_midiLearnTarget.store(-1, std::memory_order_release);
    if (!isParameter(index))
        return;
    m_stateHandler.getEditState().setParameterValue(index, value, ControlLane::kHostParameter);
    parameterChanged(index);
    if (EditorPort* editor = m_pEditorPort)
        editor->setParameter(index, value);
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
    if (index == fourCharCode("stCA") && value == fourCharCode("Whee"))
        return m_editor && m_editor->onWheel(opt) ? 1 : 0;
    if (index == fourCharCode("Vrlx"))
    {
        if (value == fourCharCode("gCtl"))
            return -1;
        if (value == fourCharCode("Draw") && m_pEditorPort)
            m_pEditorPort->draw(static_cast<ERect*>(ptr));
    }
    return 0;
}

VstPlugCategory Zentrova::getPlugCategory()
{
    return m_flavour.isSynth ? kPlugCategSynth : kPlugCategEffect;
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
    if (EditorPort* editor = m_pEditorPort)
        for (VstInt32 i = 0; i < kNumParameters; ++i)
            editor->setParameter(i, getParameter(i));
}

void Zentrova::refreshEditorParameters()
{
    if (EditorPort* editor = m_pEditorPort)
        for (VstInt32 i = 0; i < Param::W1Fund; ++i)
            editor->setParameter(i, getParameter(i));
}

void Zentrova::refreshEditorHarmonics()
{
    if (EditorPort* editor = m_pEditorPort)
        for (VstInt32 i = Param::W1Fund; i < kNumParameters; ++i)
            editor->setParameter(i, getParameter(i));
}
