#include "Source/Voices/ChannelLists.h"

#include "dsp/Lasting.h"

#include <new>

ChannelLists::~ChannelLists()
{
    forEachMade([](KeyboardDescriptor& list) { list.~KeyboardDescriptor(); });
}

void ChannelLists::clear()
{
    forEachMade([](KeyboardDescriptor& list) { list.clear(); });
}

void ChannelLists::setOrder(int order)
{
    m_order = order;
    forEachMade([order](KeyboardDescriptor& list) { list.setOrder(order); });
}

void ChannelLists::make(int channel)
{
    KeyboardDescriptor* created = ::new (static_cast<void*>(m_storage[channel])) KeyboardDescriptor;
    created->setOrder(m_order);
    m_made |= 1u << channel;
}

KeyboardDescriptor* ChannelLists::list(int channel) const
{
    return std::launder(reinterpret_cast<KeyboardDescriptor*>(const_cast<unsigned char*>(m_storage[channel])));
}

const KeyboardDescriptor& ChannelLists::empty()
{
    static const Lasting<KeyboardDescriptor> none;
    return *none;
}
