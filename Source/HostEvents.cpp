#include "Source/HostEvents.h"

#include <cstring>

#include "Source/vst/AudioEffectX.h"

// The event storage and the list are written before they are read: left
// alone here, they take memory only as far as the plug-in ever sends.
HostEvents::HostEvents(AudioEffectX* owner) : m_owner(owner) {}

VstMidiEvent* HostEvents::allocEvent()
{
    if (m_numEvents >= kMaxEvents || m_next >= kMaxEvents)
        send();
    VstMidiEvent* event = &m_storage[m_next++];
    std::memset(event, 0, sizeof *event);
    event->type = kVstMidiType;
    event->byteSize = sizeof(VstMidiEvent);
    m_list.events[m_numEvents++] = reinterpret_cast<VstEvent*>(event);
    return event;
}

bool HostEvents::queueMidi(unsigned char status, unsigned char data1, unsigned char data2)
{
    QueuedMessage message;
    message.bytes = static_cast<std::int32_t>(status | (data1 << 8) | (data2 << 16));
    return m_queued.push(0, message);
}

bool HostEvents::flush()
{
    m_queued.beginRead();
    for (QueuedMessage message = m_queued.pop(); !message.isEmpty(); message = m_queued.pop())
    {
        VstMidiEvent* event = allocEvent();
        event->midiData[0] = static_cast<char>(message.bytes & 0xFF);
        event->midiData[1] = static_cast<char>((message.bytes >> 8) & 0xFF);
        event->midiData[2] = static_cast<char>((message.bytes >> 16) & 0xFF);
    }
    return send();
}

bool HostEvents::send()
{
    m_list.numEvents = m_numEvents;
    m_list.reserved = 0;
    const bool accepted = m_owner && m_owner->sendVstEventsToHost(reinterpret_cast<VstEvents*>(&m_list));
    m_next = 0;
    m_numEvents = 0;
    return accepted;
}
