#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>

#include "dsp/AlignedMemory.h"
#include "dsp/ZeroPagePool.h"

// A queue of four lanes that carries items between threads without locks.
// Each lane keeps its items in order; one consumer drains the whole queue.
// A reading pass starts with beginRead, which takes the counts of lanes 1-3,
// and pops lanes 3, 2 and 1 up to those counts, then lane 0 until it is
// empty; pop returns the empty item (T's default) when nothing is left.
//
// Every slot carries a sequence number, so that a lane also stays consistent
// when two threads push into it at once (the host's automation and the
// editor both reach setParameter). A full lane refuses the new item instead
// of overwriting unread ones.
template <typename T, int Lanes, int LogLength>
class EventCue
{
public:
    static constexpr std::uint32_t kLaneLength = 1u << LogLength;
    // One slot stays free, as in a queue that tells full from empty by its
    // indices alone.
    static constexpr std::uint32_t kLaneCapacity = kLaneLength - 1;

    // The slots' pages stay untouched until a lane first reaches them: an
    // instance holds only the room its traffic has used. A lane's first
    // page, which most traffic never leaves, comes from the process's pool,
    // beside the first pages of every other queue.
    EventCue() : m_slots(static_cast<Slot*>(zeroPagesAllocate(kSlotBytes)))
    {
        for (int lane = 0; lane < Lanes; ++lane)
        {
            for (std::uint32_t page = 0; page < kPagesPerLane; ++page)
                m_pages[lane][page] = m_slots + lane * kLaneLength + page * kSlotsPerPage;
            m_read[lane].store(0, std::memory_order_relaxed);
            m_write[lane].store(0, std::memory_order_relaxed);
            m_remaining[lane] = 0;
        }
        m_remaining[0] = 1;
        int pooled = 0;
        try
        {
            for (; pooled < Lanes; ++pooled)
                m_pages[pooled][0] = static_cast<Slot*>(ZeroPagePool::take());
        }
        catch (const std::bad_alloc&)
        {
            // The lanes left keep their own first pages.
        }
        m_pooledLanes = pooled;
    }

    virtual ~EventCue()
    {
        drop();
        for (int lane = 0; lane < m_pooledLanes; ++lane)
            ZeroPagePool::give(m_pages[lane][0]);
        zeroPagesFree(m_slots, kSlotBytes);
    }

    EventCue(const EventCue&) = delete;
    EventCue& operator=(const EventCue&) = delete;

    // Any thread. False when the lane is full (or does not exist) and the
    // item was dropped.
    virtual bool push(int lane, const T& item)
    {
        if (lane < 0 || lane >= Lanes)
            return false;
        std::uint32_t position = m_write[lane].load(std::memory_order_relaxed);
        Slot* slot;
        for (;;)
        {
            slot = slotAt(lane, position);
            const std::uint32_t sequence = sequenceOf(*slot, position);
            const auto difference = static_cast<std::int32_t>(sequence - position);
            if (difference == 0)
            {
                // Signed: a position that went stale while its slot was
                // filled and taken lies behind the reader, which must not
                // read as a full lane; the exchange fails and brings it up
                // to date.
                const auto used = static_cast<std::int32_t>(position - m_read[lane].load(std::memory_order_acquire));
                if (used >= static_cast<std::int32_t>(kLaneCapacity))
                    return false;
                if (m_write[lane].compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                    break;
            }
            else if (difference < 0)
            {
                return false;
            }
            else
            {
                position = m_write[lane].load(std::memory_order_relaxed);
            }
        }
        ::new (static_cast<void*>(slot->item)) T(item);
        setSequence(*slot, position, position + 1);
        return true;
    }

    // Consumer only.
    virtual T pop()
    {
        if constexpr (Lanes == 1)
        {
            T item;
            return pending(0) != 0 && take(0, item) ? item : m_emptyItem;
        }
        for (;;)
        {
            while (m_remaining[m_currentLane] == 0)
                --m_currentLane;
            T item;
            if (m_currentLane == 0)
            {
                // An empty lane's slot is not read: a lane no item has
                // reached keeps its pages untouched.
                if (pending(0) != 0 && take(0, item))
                    return item;
                return m_emptyItem;
            }
            if (take(m_currentLane, item))
            {
                --m_remaining[m_currentLane];
                return item;
            }
            // A push still in progress: its item waits for the next pass.
            m_remaining[m_currentLane] = 0;
        }
    }

    // Consumer only: starts a reading pass.
    virtual void beginRead()
    {
        m_remaining[0] = 1;
        for (int lane = 1; lane < Lanes; ++lane)
            m_remaining[lane] = m_write[lane].load(std::memory_order_acquire) -
                                m_read[lane].load(std::memory_order_relaxed);
        m_currentLane = Lanes - 1;
    }

    // Consumer only: drops every item that has arrived.
    virtual void clear() { drop(); }

    // Items waiting in a lane (including pushes still being written).
    std::uint32_t pending(int lane) const
    {
        return m_write[lane].load(std::memory_order_acquire) - m_read[lane].load(std::memory_order_acquire);
    }

private:
    static constexpr std::uint32_t kIndexMask = kLaneLength - 1;

    // A slot's sequence number is kept less its index in the lane, so that
    // the zero bytes of fresh pages read as the numbers of an empty lane.
    // The item is made when pushed and ended when taken.
    struct Slot
    {
        std::atomic<std::uint32_t> sequence;
        alignas(T) unsigned char item[sizeof(T)];
    };
    static constexpr std::size_t kSlotBytes = sizeof(Slot) * Lanes * kLaneLength;
    static_assert(sizeof(Slot) <= ZeroPagePool::kPageBytes, "a slot fits a page");
    static constexpr std::uint32_t kSlotsPerPage =
        std::min<std::uint32_t>(kLaneLength, ZeroPagePool::kPageBytes / sizeof(Slot));
    static constexpr std::uint32_t kPagesPerLane = (kLaneLength + kSlotsPerPage - 1) / kSlotsPerPage;

    Slot* slotAt(int lane, std::uint32_t position) const
    {
        const std::uint32_t index = position & kIndexMask;
        return m_pages[lane][index / kSlotsPerPage] + index % kSlotsPerPage;
    }

    static std::uint32_t sequenceOf(const Slot& slot, std::uint32_t position)
    {
        return slot.sequence.load(std::memory_order_acquire) + (position & kIndexMask);
    }

    static void setSequence(Slot& slot, std::uint32_t position, std::uint32_t sequence)
    {
        slot.sequence.store(sequence - (position & kIndexMask), std::memory_order_release);
    }

    bool take(int lane, T& item)
    {
        const std::uint32_t position = m_read[lane].load(std::memory_order_relaxed);
        Slot& slot = *slotAt(lane, position);
        if (sequenceOf(slot, position) != position + 1)
            return false;
        T* held = std::launder(reinterpret_cast<T*>(slot.item));
        item = *held;
        held->~T();
        setSequence(slot, position, position + kLaneLength);
        m_read[lane].store(position + 1, std::memory_order_release);
        return true;
    }

    // A lane no item has reached is not read: its page would be taken only
    // to find it empty.
    void drop()
    {
        T item;
        for (int lane = 0; lane < Lanes; ++lane)
            while (pending(lane) != 0 && take(lane, item))
            {
            }
    }

    std::atomic<std::uint32_t> m_read[Lanes];
    std::atomic<std::uint32_t> m_write[Lanes];
    Slot* m_pages[Lanes][kPagesPerLane];
    Slot* m_slots;
    int m_pooledLanes = 0;
    const T m_emptyItem{};
    int m_currentLane = 0;
    std::uint32_t m_remaining[Lanes];
};
