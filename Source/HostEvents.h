#pragma once

#include <cstddef>
#include <cstdint>

#include "Source/queues/EventCue.h"
#include "Source/vst/VstDeclarations.h"

class AudioEffectX;

// MIDI the plug-in sends to the host. Events are collected during a block
// and handed over by flush at its end. Threads other than the audio thread
// queue their messages with queueMidi; flush moves them into the list, so
// that the list itself is only ever touched by the audio thread.
class HostEvents
{
public:
    static constexpr int kMaxEvents = 2048;

    explicit HostEvents(AudioEffectX* owner);

    HostEvents(const HostEvents&) = delete;
    HostEvents& operator=(const HostEvents&) = delete;

    // Audio thread: a zeroed MIDI event added to the list, flushing first
    // when the list is full.
    VstMidiEvent* allocEvent();
    // Any thread: a three-byte message for the next flush; false when too
    // many are waiting.
    bool queueMidi(unsigned char status, unsigned char data1, unsigned char data2);
    // Audio thread: sends the list (also an empty one) and empties it; true
    // when the host answered 1.
    bool flush();

    int numEvents() const { return m_numEvents; }
    // Messages from other threads wait for the next flush.
    bool hasQueued() const { return m_queued.pending(0) != 0; }

private:
    struct QueuedMessage
    {
        std::int32_t bytes = -1; // status, data 1, data 2 from the low byte up; -1 none
        bool isEmpty() const { return bytes < 0; }
    };

    struct EventList
    {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kMaxEvents];
    };
    static_assert(offsetof(EventList, events) == offsetof(VstEvents, events), "the host reads the list as VstEvents");

    bool send();

    // What every block touches first and together, so that the large
    // arrays' pages stay untouched until events fill them.
    AudioEffectX* m_owner;
    int m_next = 0;
    int m_numEvents = 0;
    EventCue<QueuedMessage, 1, 11> m_queued;
    EventList m_list;
    VstMidiEvent m_storage[kMaxEvents];
};
