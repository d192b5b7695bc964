#pragma once

#include <atomic>
#include <cstdint>

#include "Source/tempo/SyncableTimeElement.h"

// The gate clock that drives the arpeggiator and the clocked envelope
// triggering: it opens and closes a gate at a rate of ticks per minute
// (internal mode) or ticks per bar of the host (host mode). Times are sample
// offsets from the start of the current block.
class SyncableClock : public SyncableTimeElement
{
public:
    static constexpr std::int64_t kMinTicks = 1;
    static constexpr std::int64_t kMaxTicks = 768;
    static constexpr std::int64_t kDefaultTicks = 120;
    // A period shorter than one control tick could not be told apart by the
    // keyboard handler and would flood its queue; such extreme settings play
    // at this period instead.
    static constexpr std::int64_t kMinPeriod = 32;

    enum Mode : std::uint32_t
    {
        kInternal = 0,
        kHost = 1,
    };

    SyncableClock(TempoAndSync* owner, std::uint32_t index);
    ~SyncableClock() override;

    // A deferred change waits for the next block start; it may come from
    // any thread. The others run on the audio thread.
    void setTicks(bool deferred, std::int64_t ticks);
    // The part of each period the gate is open, 0..1.
    void setGateTime(bool deferred, float fraction);
    void setMode(bool deferred, std::uint32_t mode);

    // Block start: takes the pending values and recomputes at the next
    // advance.
    void beginBlock();
    // Re-derives the gate timing at time t when something changed.
    void recompute(std::int64_t t);
    // Posts the gate event that falls at getNext() and schedules the next.
    void tick();
    // The block of this length is over: times move back by it.
    void endBlock(std::int64_t length);
    // Blocks of this length in all that nothing listened to: the gate keeps
    // to its grid, but no event is posted.
    void skip(std::int64_t length);
    // A deferred change waits for the next block start.
    bool hasPendingSettings() const
    {
        return m_ticksPending.load(std::memory_order_acquire) || m_gatePending.load(std::memory_order_acquire) ||
               m_modePending.load(std::memory_order_acquire);
    }

    std::int64_t getNext() const { return m_next; }
    std::int64_t getLastGateOn() const { return m_lastGateOn; }
    std::int64_t getPeriod() const { return m_period; }
    std::int64_t getOnLength() const { return m_onLength; }
    std::int64_t getOffLength() const { return m_offLength; }
    std::int64_t getTicks() const { return m_ticks; }
    float getGateTime() const { return m_gate; }
    std::uint32_t getMode() const { return m_mode.load(std::memory_order_relaxed); }
    // The mode that holds after the next block start.
    std::uint32_t getPendingMode() const;
    bool isGateOpen() const { return m_gateOpen; }

private:
    void setLengths(double period);
    void normaliseLastGateOn();
    void openGate(std::int64_t time);
    void closeGate(std::int64_t time);
    void recomputeInternal(std::int64_t t);
    void recomputeHost(std::int64_t t);

    bool m_dirty = true;
    std::int64_t m_lastGateOn = 0;
    std::int64_t m_next = 0;
    std::int64_t m_onLength = 0;
    std::int64_t m_offLength = 0;
    std::int64_t m_period = 0;
    bool m_gateOpen = false;
    float m_inverseTicks = 1.0f / kDefaultTicks;
    std::int64_t m_ticks = kDefaultTicks;
    float m_gate = 0.5f;
    // Written on the audio thread; the host's thread reads it for a deferred
    // change when none is pending.
    std::atomic<std::uint32_t> m_mode{kInternal};
    std::atomic<std::int64_t> m_pendingTicks{kDefaultTicks};
    std::atomic<float> m_pendingGate{0.5f};
    std::atomic<std::uint32_t> m_pendingMode{kInternal};
    std::atomic<bool> m_ticksPending{false};
    std::atomic<bool> m_gatePending{false};
    std::atomic<bool> m_modePending{false};
};
