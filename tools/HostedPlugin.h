#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Source/vst/VstDeclarations.h"
#include "tools/PluginLibrary.h"

struct HostSettings
{
    double sampleRate = 48000.0;
    int blockSize = 512;
    double tempo = 120.0;
    int timeSignatureNumerator = 4;
    int timeSignatureDenominator = 4;
    // What the host answers when asked how it processes (a VstProcessLevels
    // value): 0, it does not say, unless it renders to a file.
    VstInt32 processLevel = 0;
    // Whether the host records the instance's calls (for tests): the
    // benchmarks leave it off, as the record costs a lock per call.
    bool recordCalls = true;
};

// One plug-in instance driven by this program as its VST 2.4 host: loads
// the library, creates and opens the instance, sets the sample rate and
// block size, answers the instance's host callbacks (version 2400, time info
// with tempo and position, capability questions) and records which ones it
// made.
class HostedPlugin
{
public:
    static constexpr VstInt32 kHostVersion = 2400;

    // Throws std::runtime_error when the library cannot be loaded or its
    // entry point gives no instance.
    HostedPlugin(const std::string& libraryPath, const HostSettings& settings);
    ~HostedPlugin();

    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    AEffect* effect() { return m_effect; }
    const HostSettings& settings() const { return m_settings; }
    const PluginLibrary& library() const { return m_library; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);

    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string parameterName(int index);
    std::string parameterDisplay(int index);
    std::string parameterLabel(int index);
    VstIntPtr canDo(const char* capability);
    bool pinProperties(bool input, int index, VstPinProperties& properties);

    float getParameter(int index);
    void setParameter(int index, float value);

    // Hosts change these only while the instance is suspended.
    void setSampleRate(double sampleRate);
    void setBlockSize(int blockSize);

    void resume();
    void suspend();
    bool isResumed() const { return m_resumed; }

    std::vector<unsigned char> getChunk(bool programOnly);
    VstIntPtr setChunk(const std::vector<unsigned char>& chunk, bool programOnly);

    // Hands the events over (when there are any), renders frames through
    // processReplacing and moves the song position on. outputs has the
    // instance's number of outputs, inputs its number of inputs.
    void processBlock(std::vector<VstMidiEvent>& events, float** inputs, float** outputs, int frames);

    // The song position advances while playing; the time info says so.
    void setPlaying(bool playing) { m_playing = playing; }
    double samplePosition() const { return m_samplePosition; }

    // Host callbacks made by the instance, in order (opcodes), and the MIDI
    // events it sent back.
    std::vector<VstInt32> hostCalls() const;
    int countHostCalls(VstInt32 opcode) const;
    void clearHostCalls();
    int midiEventsReceived() const { return m_midiEventsReceived.load(); }

    // Sees every host call of the instance (set it before the calls come);
    // answering true makes answer the call's result.
    using CallObserver = std::function<bool(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt,
                                            VstIntPtr& answer)>;
    void setCallObserver(CallObserver observer) { m_callObserver = std::move(observer); }

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void updateTimeInfo();

    HostSettings m_settings;
    PluginLibrary m_library;
    AEffect* m_effect = nullptr;
    VstTimeInfo m_timeInfo{};
    double m_samplePosition = 0.0;
    bool m_playing = false;
    bool m_resumed = false;
    std::vector<VstInt32> m_hostCalls;
    std::atomic<int> m_midiEventsReceived{0};
    CallObserver m_callObserver;
};
