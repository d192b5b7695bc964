#pragma once

#include <atomic>
#include <cstdint>

#include "Source/tempo/SyncableTimeElement.h"

class SyncableClock;

// Tells the voice engine where the next clock tick or bar start of one LFO
// falls and how far apart they are, in control ticks.
class SyncableLfo : public SyncableTimeElement
{
public:
    // Modes below this post nothing; from kFirstClockMode the LFO follows
    // the gate clock, from kFirstBarMode the host's bars.
    static constexpr std::uint32_t kFirstClockMode = 4;
    static constexpr std::uint32_t kFirstBarMode = 6;
    // Both posted values share their word with the LFO index above them.
    static constexpr std::int64_t kMaxSyncValue = 0xFFFFFF;

    SyncableLfo(TempoAndSync* owner, std::uint32_t index, SyncableClock* clock);
    ~SyncableLfo() override;

    // A deferred change waits for the next block start and may come from
    // any thread; an immediate one runs on the audio thread.
    void setSyncMode(bool deferred, std::uint32_t mode);
    void bindClock(SyncableClock* clock) { m_pClock = clock; }
    // Block start: takes a pending mode and posts again at the next advance.
    void beginBlock();
    // Posts the next sync point and the period at sample offset t when
    // something changed.
    void CalculateSync(std::int64_t t);

    std::uint32_t getSyncMode() const { return m_syncMode; }
    // The mode that holds after the next block start.
    std::uint32_t getPendingSyncMode() const;
    bool hasPendingSettings() const { return m_syncModePending.load(std::memory_order_acquire); }

private:
    bool m_dirty = true;
    std::uint32_t m_syncMode = 0;
    std::atomic<std::uint32_t> m_pendingSyncMode{0};
    std::atomic<bool> m_syncModePending{false};
    SyncableClock* m_pClock;
};
