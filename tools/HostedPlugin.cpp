#include "tools/HostedPlugin.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace
{
// The callback is a plain function: instances find their host in the
// record's field kept for hosts, and an instance still inside its entry
// point through the host that is creating it on this thread. (No map of
// the process's: a host closing its instances from a static destructor
// would find it gone.)
thread_local HostedPlugin* creatingHost = nullptr;
// Guards the records of calls; it needs no destruction.
std::mutex callsMutex;

HostedPlugin* hostOf(AEffect* effect)
{
    // Until the entry point returns, the field holds whatever the plug-in
    // left there.
    if (creatingHost)
        return creatingHost;
    return effect ? reinterpret_cast<HostedPlugin*>(effect->resvd1) : nullptr;
}

const char* const kHostCapabilities[] = {"sendVstEvents",     "sendVstMidiEvent", "sendVstTimeInfo",
                                         "receiveVstEvents",  "receiveVstMidiEvent"};

// Room for plug-ins that write past the interface's short text limits.
constexpr std::size_t kTextBufferSize = 512;
} // namespace

HostedPlugin::HostedPlugin(const std::string& libraryPath, const HostSettings& settings)
    : m_settings(settings), m_library(libraryPath)
{
    updateTimeInfo();
    creatingHost = this;
    AEffect* effect = nullptr;
    try
    {
        effect = m_library.entryPoint()(hostCallback);
    }
    catch (...)
    {
        creatingHost = nullptr;
        throw;
    }
    creatingHost = nullptr;
    if (!effect || effect->magic != kEffectMagic)
        throw std::runtime_error(libraryPath + " gave no plug-in instance");
    m_effect = effect;
    m_effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(m_settings.sampleRate));
    dispatch(effSetBlockSize, 0, m_settings.blockSize);
}

HostedPlugin::~HostedPlugin()
{
    if (m_resumed)
        suspend();
    dispatch(effClose);
}

VstIntPtr HostedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string HostedPlugin::text(VstInt32 opcode, VstInt32 index)
{
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBufferSize - 1] = 0;
    return buffer;
}

std::string HostedPlugin::effectName()
{
    return text(effGetEffectName);
}

std::string HostedPlugin::vendorString()
{
    return text(effGetVendorString);
}

std::string HostedPlugin::productString()
{
    return text(effGetProductString);
}

std::string HostedPlugin::parameterName(int index)
{
    return text(effGetParamName, index);
}

std::string HostedPlugin::parameterDisplay(int index)
{
    return text(effGetParamDisplay, index);
}

std::string HostedPlugin::parameterLabel(int index)
{
    return text(effGetParamLabel, index);
}

VstIntPtr HostedPlugin::canDo(const char* capability)
{
    std::vector<char> copy(capability, capability + std::strlen(capability) + 1);
    return dispatch(effCanDo, 0, 0, copy.data());
}

bool HostedPlugin::pinProperties(bool input, int index, VstPinProperties& properties)
{
    std::memset(&properties, 0, sizeof properties);
    return dispatch(input ? effGetInputProperties : effGetOutputProperties, index, 0, &properties) != 0;
}

float HostedPlugin::getParameter(int index)
{
    return m_effect->getParameter(m_effect, index);
}

void HostedPlugin::setParameter(int index, float value)
{
    m_effect->setParameter(m_effect, index, value);
}

void HostedPlugin::setSampleRate(double sampleRate)
{
    m_settings.sampleRate = sampleRate;
    updateTimeInfo();
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
}

void HostedPlugin::setBlockSize(int blockSize)
{
    m_settings.blockSize = blockSize;
    dispatch(effSetBlockSize, 0, blockSize);
}

void HostedPlugin::resume()
{
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    m_resumed = true;
}

void HostedPlugin::suspend()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    m_resumed = false;
}

std::vector<unsigned char> HostedPlugin::getChunk(bool programOnly)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, programOnly ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

VstIntPtr HostedPlugin::setChunk(const std::vector<unsigned char>& chunk, bool programOnly)
{
    std::vector<unsigned char> copy(chunk);
    return dispatch(effSetChunk, programOnly ? 1 : 0, static_cast<VstIntPtr>(copy.size()),
                    copy.empty() ? nullptr : copy.data());
}

void HostedPlugin::processBlock(std::vector<VstMidiEvent>& events, float** inputs, float** outputs, int frames)
{
    updateTimeInfo();
    if (!events.empty())
    {
        // A VstEvents header followed by room for every pointer.
        std::vector<unsigned char> storage(sizeof(VstEvents) + events.size() * sizeof(VstEvent*));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(events.size());
        list->reserved = 0;
        // Past the two entries the record declares.
        VstEvent** entries = list->events;
        for (std::size_t i = 0; i < events.size(); ++i)
            entries[i] = reinterpret_cast<VstEvent*>(&events[i]);
        dispatch(effProcessEvents, 0, 0, list);
    }
    m_effect->processReplacing(m_effect, inputs, outputs, frames);
    if (m_playing)
        m_samplePosition += frames;
}

void HostedPlugin::updateTimeInfo()
{
    const double quartersPerBar = m_settings.timeSignatureNumerator * 4.0 / m_settings.timeSignatureDenominator;
    const double quarters = m_samplePosition / m_settings.sampleRate * m_settings.tempo / 60.0;
    m_timeInfo.samplePos = m_samplePosition;
    m_timeInfo.sampleRate = m_settings.sampleRate;
    m_timeInfo.ppqPos = quarters;
    m_timeInfo.tempo = m_settings.tempo;
    m_timeInfo.barStartPos = std::floor(quarters / quartersPerBar) * quartersPerBar;
    m_timeInfo.timeSigNumerator = m_settings.timeSignatureNumerator;
    m_timeInfo.timeSigDenominator = m_settings.timeSignatureDenominator;
    m_timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid |
                       (m_playing ? kVstTransportPlaying : 0);
}

std::vector<VstInt32> HostedPlugin::hostCalls() const
{
    std::lock_guard<std::mutex> lock(callsMutex);
    return m_hostCalls;
}

int HostedPlugin::countHostCalls(VstInt32 opcode) const
{
    std::lock_guard<std::mutex> lock(callsMutex);
    int count = 0;
    for (VstInt32 call : m_hostCalls)
        count += call == opcode ? 1 : 0;
    return count;
}

void HostedPlugin::clearHostCalls()
{
    std::lock_guard<std::mutex> lock(callsMutex);
    m_hostCalls.clear();
}

VstIntPtr HostedPlugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt)
{
    if (HostedPlugin* host = hostOf(effect))
        return host->answer(opcode, index, value, ptr, opt);
    return opcode == audioMasterVersion ? kHostVersion : 0;
}

VstIntPtr HostedPlugin::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (m_settings.recordCalls)
    {
        std::lock_guard<std::mutex> lock(callsMutex);
        m_hostCalls.push_back(opcode);
    }
    VstIntPtr observed = 0;
    if (m_callObserver && m_callObserver(opcode, index, value, ptr, opt, observed))
        return observed;
    switch (opcode)
    {
    case audioMasterVersion:
        return kHostVersion;
    case audioMasterCurrentId:
        return m_effect ? m_effect->uniqueID : 0;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&m_timeInfo);
    case audioMasterProcessEvents:
        if (const auto* events = static_cast<const VstEvents*>(ptr))
            m_midiEventsReceived += events->numEvents;
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(m_settings.sampleRate);
    case audioMasterGetBlockSize:
        return m_settings.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return m_settings.processLevel;
    case audioMasterGetAutomationState:
        return 1; // off
    case audioMasterGetLanguage:
        return 1; // English
    case audioMasterGetVendorString:
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "Zentrova command-line host");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo:
        if (ptr)
            for (const char* capability : kHostCapabilities)
                if (std::strcmp(static_cast<const char*>(ptr), capability) == 0)
                    return 1;
        return 0;
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterAutomate:
    case audioMasterIOChanged:
        return 1;
    default:
        return 0;
    }
}
