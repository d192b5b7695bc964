#include "Source/vst/AudioEffect.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Source/vst/AEffEditor.h"

namespace
{
AudioEffect* objectOf(AEffect* effect)
{
    return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

// No exception may cross into the host: every entry catches them all and
// answers as a plug-in that did nothing would.
template <typename Result, typename Call>
Result guarded(AEffect* effect, Result fallback, Call call)
{
    AudioEffect* object = objectOf(effect);
    if (!object)
        return fallback;
    try
    {
        return call(*object);
    }
    catch (...)
    {
        return fallback;
    }
}

VstIntPtr dispatchEffectClass(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt)
{
    if (opcode == effClose)
    {
        AudioEffect* object = objectOf(effect);
        if (!object)
            return 0;
        guarded(effect, VstIntPtr(0), [&](AudioEffect& o) { return o.dispatcher(opcode, index, value, ptr, opt); });
        delete object;
        return 1;
    }
    return guarded(effect, VstIntPtr(0), [&](AudioEffect& o) { return o.dispatcher(opcode, index, value, ptr, opt); });
}

float getParameterClass(AEffect* effect, VstInt32 index)
{
    return guarded(effect, 0.0f, [&](AudioEffect& o) { return o.getParameter(index); });
}

void setParameterClass(AEffect* effect, VstInt32 index, float value)
{
    guarded(effect, false, [&](AudioEffect& o) {
        o.setParameter(index, value);
        return true;
    });
}

void processClass(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    guarded(effect, false, [&](AudioEffect& o) {
        o.process(inputs, outputs, sampleFrames);
        return true;
    });
}

void processClassReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    guarded(effect, false, [&](AudioEffect& o) {
        o.processReplacing(inputs, outputs, sampleFrames);
        return true;
    });
}

void processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 sampleFrames)
{
    guarded(effect, false, [&](AudioEffect& o) {
        o.processDoubleReplacing(inputs, outputs, sampleFrames);
        return true;
    });
}
// The length of the well-formed UTF-8 sequence at text[at] (overlong forms,
// surrogates and code points beyond U+10FFFF are not), or 0; code receives
// its code point.
std::size_t utf8SequenceAt(const std::string& text, std::size_t at, std::uint32_t& code)
{
    const auto byteAt = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(at);
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80)
    {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0)
    {
        length = 2;
        code = lead & 0x1Fu;
        smallest = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        length = 3;
        code = lead & 0x0Fu;
        smallest = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        length = 4;
        code = lead & 0x07u;
        smallest = 0x10000;
    }
    else
    {
        return 0;
    }
    if (length > text.size() - at)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
    {
        if ((byteAt(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byteAt(at + i) & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isControlCharacter(std::uint32_t code)
{
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}
} // namespace

void copyHostName(char* destination, const std::string& name, VstInt32 size)
{
    if (!destination || size <= 0)
        return;
    const auto room = static_cast<std::size_t>(size - 1);
    std::size_t used = 0;
    for (std::size_t at = 0; at < name.size();)
    {
        std::uint32_t code = 0;
        std::size_t length = utf8SequenceAt(name, at, code);
        const char* piece = name.data() + at;
        std::size_t pieceLength = length;
        if (length == 0)
        {
            piece = "?";
            pieceLength = length = 1;
        }
        else if (isControlCharacter(code))
        {
            piece = " ";
            pieceLength = 1;
        }
        if (pieceLength > room - used)
            break;
        std::memcpy(destination + used, piece, pieceLength);
        used += pieceLength;
        at += length;
    }
    destination[used] = 0;
}

void copyHostString(char* destination, const char* source, VstInt32 size)
{
    if (!destination || size <= 0)
        return;
    if (!source)
        source = "";
    std::size_t n = std::strlen(source);
    if (n > static_cast<std::size_t>(size - 1))
        n = static_cast<std::size_t>(size - 1);
    std::memcpy(destination, source, n);
    destination[n] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : m_audioMaster(audioMaster), m_numPrograms(numPrograms), m_numParams(numParams)
{
    std::memset(&m_effect, 0, sizeof(m_effect));
    m_effect.magic = kEffectMagic;
    m_effect.dispatcher = dispatchEffectClass;
    m_effect.process = processClass;
    m_effect.setParameter = setParameterClass;
    m_effect.getParameter = getParameterClass;
    m_effect.numPrograms = numPrograms;
    m_effect.numParams = numParams;
    m_effect.numInputs = 1;
    m_effect.numOutputs = 2;
    m_effect.flags = effFlagsCanReplacing;
    m_effect.ioRatio = 1.0f;
    m_effect.object = this;
    m_effect.uniqueID = fourCharCode("NoEf");
    m_effect.version = 1;
    m_effect.processReplacing = processClassReplacing;
    m_effect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete m_editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
    case effOpen:
        open();
        break;
    case effClose:
        close();
        break;
    case effSetProgram:
        if (value >= 0 && value < m_numPrograms)
            setProgram(static_cast<VstInt32>(value));
        break;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(static_cast<char*>(ptr));
        break;
    case effGetProgramName:
        if (ptr)
            getProgramName(static_cast<char*>(ptr));
        break;
    case effGetParamLabel:
        if (ptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        break;
    case effGetParamDisplay:
        if (ptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        break;
    case effGetParamName:
        if (ptr)
            getParameterName(index, static_cast<char*>(ptr));
        break;
    case effSetSampleRate:
        setSampleRate(opt);
        break;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        break;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        break;
    case effEditGetRect:
        return m_editor ? m_editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        // No window, no editor: a host that gave none must not count on one.
        return m_editor && ptr ? m_editor->open(ptr) : 0;
    case effEditClose:
        if (m_editor)
            m_editor->close();
        break;
    case effEditIdle:
        if (m_editor)
            m_editor->idle();
        break;
    case effIdentify:
        return fourCharCode("NvEf");
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        break;
    }
    return 0;
}

void AudioEffect::process(float**, float**, VstInt32) {}

void AudioEffect::processReplacing(float**, float**, VstInt32) {}

// Hosts may call it whatever the flags say: they get silence, not whatever
// their buffers held.
void AudioEffect::processDoubleReplacing(double**, double** outputs, VstInt32 sampleFrames)
{
    if (!outputs || sampleFrames <= 0)
        return;
    for (VstInt32 channel = 0; channel < m_effect.numOutputs; ++channel)
        if (outputs[channel])
            std::fill(outputs[channel], outputs[channel] + sampleFrames, 0.0);
}

void AudioEffect::setParameter(VstInt32, float) {}

float AudioEffect::getParameter(VstInt32)
{
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgramName(char*) {}

void AudioEffect::getProgramName(char* name)
{
    *name = 0;
}

void AudioEffect::getParameterLabel(VstInt32, char* label)
{
    *label = 0;
}

void AudioEffect::getParameterDisplay(VstInt32, char* text)
{
    *text = 0;
}

void AudioEffect::getParameterName(VstInt32, char* text)
{
    *text = 0;
}

VstInt32 AudioEffect::getChunk(void**, bool)
{
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

void AudioEffect::setEditor(AEffEditor* editor)
{
    m_editor = editor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

VstInt32 AudioEffect::getMasterVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterVersion));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        m_effect.flags |= flag;
    else
        m_effect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (!m_audioMaster || !m_handedToHost.load(std::memory_order_acquire))
        return 0;
    return m_audioMaster(&m_effect, opcode, index, value, ptr, opt);
}
