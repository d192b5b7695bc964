#pragma once

// One plug-in instance in this process, in a temporary home, for tests that
// check what reaches its engine's control queues.

#include "Source/Flavour.h"
#include "Source/entry/PluginEntry.h"
#include "Source/Zentrova.h"
#include "tests/support/TemporaryHome.h"

#include <vector>

class InProcessPlugin
{
public:
    InProcessPlugin()
    {
        m_effect = createPluginInstance(&host, effectFlavour());
        plugin = m_effect ? static_cast<Zentrova*>(static_cast<AudioEffect*>(m_effect->object)) : nullptr;
    }
    ~InProcessPlugin()
    {
        if (m_effect)
            m_effect->dispatcher(m_effect, effClose, 0, 0, nullptr, 0.0f);
    }
    InProcessPlugin(const InProcessPlugin&) = delete;
    InProcessPlugin& operator=(const InProcessPlugin&) = delete;

    // Everything waiting in one of the engine's control queues.
    std::vector<VoiceEvent> take(Zentrova::ControlCueIndex cue)
    {
        std::vector<VoiceEvent> events;
        ControlCue<VoiceEvent>& queue = plugin->getControlCues()[cue];
        queue.beginRead();
        for (VoiceEvent event = queue.pop(); !event.isEmpty(); event = queue.pop())
            events.push_back(event);
        return events;
    }

    Zentrova* plugin = nullptr;

private:
    static VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }

    TemporaryHome m_home;
    AEffect* m_effect = nullptr;
};
