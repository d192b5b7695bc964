#pragma once

#include <atomic>
#include <thread>

// A lock held only for a short copy. The audio thread never waits on it: it
// takes it with tryLock and comes back later. Usable with std::lock_guard.
class SpinLock
{
public:
    SpinLock() = default;
    SpinLock(const SpinLock&) = delete;
    SpinLock& operator=(const SpinLock&) = delete;

    bool tryLock() { return !m_held.exchange(true, std::memory_order_acquire); }

    void lock()
    {
        while (!tryLock())
            while (m_held.load(std::memory_order_relaxed))
                std::this_thread::yield();
    }

    void unlock() { m_held.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_held{false};
};
