#pragma once

#include "Source/Voices/KeyboardDescriptor.h"

#include <cstdint>

// One note list per MIDI channel, each made when its channel is first
// reached: an instance that plays on one channel touches one list's memory.
// A list not yet made reads as empty.
class ChannelLists
{
public:
    static constexpr int kChannels = 16;

    ChannelLists() = default;
    ~ChannelLists();

    ChannelLists(const ChannelLists&) = delete;
    ChannelLists& operator=(const ChannelLists&) = delete;

    // Makes the channel's list if it is not there yet.
    KeyboardDescriptor& operator[](int channel)
    {
        if (!made(channel))
            make(channel);
        return *list(channel);
    }
    const KeyboardDescriptor& operator[](int channel) const
    {
        return made(channel) ? *list(channel) : empty();
    }

    void clear();
    // For the lists there are and those still to come.
    void setOrder(int order);

private:
    bool made(int channel) const { return (m_made & (1u << channel)) != 0; }
    template <typename Action>
    void forEachMade(Action action)
    {
        for (int channel = 0; channel < kChannels; ++channel)
            if (made(channel))
                action(*list(channel));
    }
    void make(int channel);
    KeyboardDescriptor* list(int channel) const;
    static const KeyboardDescriptor& empty();

    alignas(KeyboardDescriptor) unsigned char m_storage[kChannels][sizeof(KeyboardDescriptor)];
    std::uint32_t m_made = 0;
    int m_order = KeyboardDescriptor::kPlayOrder;
};
