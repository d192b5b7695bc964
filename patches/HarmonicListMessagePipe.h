#pragma once

#include "patches/HarmonicListMessage.h"

#include <atomic>
#include <deque>
#include <mutex>

// One client's queue of harmonic-list messages: the list pushes under its
// own lock, the client drains the pipe on its editor's idle.
class HarmonicListMessagePipe
{
public:
    HarmonicListMessagePipe();
    virtual ~HarmonicListMessagePipe();

    HarmonicListMessagePipe(const HarmonicListMessagePipe&) = delete;
    HarmonicListMessagePipe& operator=(const HarmonicListMessagePipe&) = delete;

    void push(const HarmonicListMessage& message);
    // Takes the oldest message out; false (out untouched) when there is none.
    bool pop(HarmonicListMessage& out);
    bool hasMessages() const;

private:
    std::mutex m_mutex;
    std::deque<HarmonicListMessage> m_messages;
    std::atomic<int> m_count{0};
};
