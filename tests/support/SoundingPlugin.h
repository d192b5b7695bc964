#pragma once

// A plug-in of either flavour in this process, driven through its effect
// record the way a host drives it: MIDI through processEvents, audio through
// processReplacing. Patch values reach the engine through the plug-in's own
// routing.

#include "Source/Flavour.h"
#include "Source/Zentrova.h"
#include "Source/entry/PluginEntry.h"
#include "tests/support/PatchEdit.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class SoundingPlugin
{
public:
    struct Stereo
    {
        std::vector<float> left;
        std::vector<float> right;
    };

    // edit changes the default patch before it is sent.
    SoundingPlugin(float rate, int blockSize, const Flavour& flavour = effectFlavour(),
                   const std::function<void(PatchEdit&)>& edit = {})
        : m_blockSize(blockSize)
    {
        m_effect = createPluginInstance(&SoundingPlugin::host, flavour);
        plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(m_effect->object));
        m_effect->dispatcher(m_effect, effSetSampleRate, 0, 0, nullptr, rate);
        m_effect->dispatcher(m_effect, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
        m_effect->dispatcher(m_effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        // The edited patch is sent the way the audio thread sends a program
        // it switched to at a block start.
        ZentrovaStateHandler& states = plugin->getStateHandler();
        if (edit)
        {
            PatchEdit patch(states.getCurrentState());
            edit(patch);
        }
        states.sendCurrentState(0);
    }

    ~SoundingPlugin() { m_effect->dispatcher(m_effect, effClose, 0, 0, nullptr, 0.0f); }

    SoundingPlugin(const SoundingPlugin&) = delete;
    SoundingPlugin& operator=(const SoundingPlugin&) = delete;

    // A MIDI message at a sample of the stream; sent with the block it falls
    // in.
    void midi(std::int64_t sample, int status, int data1, int data2)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = static_cast<VstInt32>(sample);
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        m_pending.push_back(event);
    }

    // A parameter change (a patch value text) at a sample of the stream,
    // routed like a change from the host. The block size must be a multiple
    // of the 32-sample tick for its tick to be right.
    void parameter(std::int64_t sample, int index, const char* text)
    {
        m_parameters.push_back({sample, index, text});
    }

    // Renders frames host samples in blocks of the announced size.
    Stereo run(int frames)
    {
        Stereo out;
        out.left.resize(frames);
        out.right.resize(frames);
        for (int done = 0; done < frames;)
        {
            const int n = std::min(m_blockSize, frames - done);
            block(out.left.data() + done, out.right.data() + done, n);
            done += n;
        }
        return out;
    }

    // While the plug-in handles a block (and only then) the flag is set.
    void markCallsWith(std::atomic<bool>* flag) { m_pInCall = flag; }

    Zentrova* plugin;

private:
    void mark(bool inCall)
    {
        if (m_pInCall)
            m_pInCall->store(inCall, std::memory_order_relaxed);
    }

    // One value at a sample of the block about to be rendered, as a MIDI
    // controller mapped to it arrives.
    void post(int index, const char* text, std::int64_t time)
    {
        ZentrovaState& state = plugin->getStateHandler().getCurrentState();
        PatchEdit(state).set(index, text);
        plugin->setPseudoParameter(0, index, state.getParameter(index)->getEngineValue(), time);
        state.checkSwitches(index, 0, false);
    }

    void block(float* left, float* right, int frames)
    {
        std::vector<VstMidiEvent> events;
        std::vector<VstMidiEvent> later;
        for (VstMidiEvent event : m_pending)
        {
            if (event.deltaFrames < m_position + frames)
            {
                event.deltaFrames -= static_cast<VstInt32>(m_position);
                events.push_back(event);
            }
            else
            {
                later.push_back(event);
            }
        }
        m_pending = later;
        for (auto it = m_parameters.begin(); it != m_parameters.end();)
        {
            if (it->sample < m_position + frames)
            {
                post(it->index, it->text, std::max<std::int64_t>(it->sample - m_position, 0));
                it = m_parameters.erase(it);
            }
            else
            {
                ++it;
            }
        }
        if (!events.empty())
        {
            std::vector<unsigned char> storage(sizeof(VstEvents) + events.size() * sizeof(VstEvent*));
            auto* list = reinterpret_cast<VstEvents*>(storage.data());
            list->numEvents = static_cast<VstInt32>(events.size());
            for (std::size_t i = 0; i < events.size(); ++i)
                list->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
            mark(true);
            m_effect->dispatcher(m_effect, effProcessEvents, 0, 0, list, 0.0f);
            mark(false);
        }
        float* outputs[] = {left, right};
        mark(true);
        m_effect->processReplacing(m_effect, nullptr, outputs, frames);
        mark(false);
        m_position += frames;
    }

    static VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        static VstTimeInfo time = [] {
            VstTimeInfo info{};
            info.tempo = 120.0;
            info.sampleRate = 44100.0;
            info.flags = kVstTempoValid;
            return info;
        }();
        if (opcode == audioMasterVersion)
            return 2400;
        if (opcode == audioMasterGetTime)
            return reinterpret_cast<VstIntPtr>(&time);
        return 0;
    }

    AEffect* m_effect;
    int m_blockSize;
    std::int64_t m_position = 0;
    struct Change
    {
        std::int64_t sample;
        int index;
        const char* text;
    };

    std::vector<VstMidiEvent> m_pending;
    std::vector<Change> m_parameters;
    std::atomic<bool>* m_pInCall = nullptr;
};
