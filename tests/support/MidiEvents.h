#pragma once

// MIDI events as a host hands them to processEvents.

#include "Source/vst/AudioEffectX.h"
#include "Source/vst/VstDeclarations.h"

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

// The events as one list, built in storage; both must outlive its use.
inline VstEvents* eventList(std::vector<VstMidiEvent>& events, std::vector<unsigned char>& storage)
{
    storage.assign(sizeof(VstEvents) + events.size() * sizeof(VstEvent*), 0);
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(events.size());
    // The list runs on past the two entries the record declares.
    VstEvent** entries = list->events;
    for (std::size_t i = 0; i < events.size(); ++i)
        entries[i] = reinterpret_cast<VstEvent*>(&events[i]);
    return list;
}

// Hands the events to the plug-in in one list.
inline void sendMidi(AudioEffectX& plugin, std::vector<VstMidiEvent> events)
{
    std::vector<unsigned char> storage;
    plugin.processEvents(eventList(events, storage));
}
