#include "patches/HarmonicListMessagePipe.h"

HarmonicListMessagePipe::HarmonicListMessagePipe() = default;

HarmonicListMessagePipe::~HarmonicListMessagePipe() = default;

void HarmonicListMessagePipe::push(const HarmonicListMessage& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(message);
    m_count.fetch_add(1, std::memory_order_release);
}

bool HarmonicListMessagePipe::pop(HarmonicListMessage& out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_messages.empty())
        return false;
    out = m_messages.front();
    m_messages.pop_front();
    m_count.fetch_sub(1, std::memory_order_release);
    return true;
}

bool HarmonicListMessagePipe::hasMessages() const
{
    return m_count.load(std::memory_order_acquire) > 0;
}
