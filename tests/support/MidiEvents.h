#pragma once

// MIDI events as a host hands them to processEvents.

#include "Source/AudioEffectX.h"
#include "Source/VstDeclarations.h"

#include <vector>

inline VstMidiEvent midiEvent(int delta, int status, int data1, int data2 = 0)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = delta;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

// Hands the events to the plug-in in one list.
inline void sendMidi(AudioEffectX& plugin, std::vector<VstMidiEvent> events)
{
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& event : events)
        pointers.push_back(reinterpret_cast<VstEvent*>(&event));
    std::vector<unsigned char> storage(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(pointers.size());
    for (std::size_t i = 0; i < pointers.size(); ++i)
        list->events[i] = pointers[i];
    plugin.processEvents(list);
}
