#include "Source/Voices/ChannelLists.h"

#include <new>

ChannelLists::~ChannelLists()
{
    for (int channel = 0; channel < kChannels; ++channel)
        if ((m_made & (1u << channel)) != 0)
            list(channel)->~KeyboardDescriptor();
}

void ChannelLists::clear()
{
    for (int channel = 0; channel < kChannels; ++channel)
        if ((m_made & (1u << channel)) != 0)
            list(channel)->clear();
}

void ChannelLists::setOrder(int order)
{
    m_order = order;
    for (int channel = 0; channel < kChannels; ++channel)
        if ((m_made & (1u << channel)) != 0)
            list(channel)->setOrder(order);
}

void ChannelLists::make(int channel)
{
    KeyboardDescriptor* made = ::new (static_cast<void*>(m_storage[channel])) KeyboardDescriptor;
    made->setOrder(m_order);
    m_made |= 1u << channel;
}

KeyboardDescriptor* ChannelLists::list(int channel) const
{
    return std::launder(reinterpret_cast<KeyboardDescriptor*>(const_cast<unsigned char*>(m_storage[channel])));
}

const KeyboardDescriptor& ChannelLists::empty()
{
    static const KeyboardDescriptor none;
    return none;
}
