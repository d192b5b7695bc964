#pragma once

#include <atomic>
#include <cstdint>

// Counts the writes that can leave a view wanting a redraw, so that an idle
// in which nothing was written can skip the search for dirty views. The
// state a view's dirtiness reads is kept in `Tracked` members: a write the
// compiler lets through is a write that is counted.
class ViewChanges
{
public:
    static std::uint64_t count() { return s_count.load(std::memory_order_relaxed); }
    static void note() { s_count.fetch_add(1, std::memory_order_relaxed); }

    template <typename T>
    class Tracked
    {
    public:
        Tracked(T value = T()) : m_value(value) { note(); }
        Tracked(const Tracked& other) : m_value(other.m_value) { note(); }
        Tracked& operator=(const Tracked& other) { return *this = other.m_value; }
        Tracked& operator=(T value)
        {
            // NaN differs from itself: counted at every write, which is safe.
            if (!(value == m_value))
            {
                m_value = value;
                note();
            }
            return *this;
        }
        Tracked& operator+=(T step) { return *this = m_value + step; }
        Tracked& operator-=(T step) { return *this = m_value - step; }
        operator T() const { return m_value; }

    private:
        T m_value;
    };

private:
    static std::atomic<std::uint64_t> s_count;
};
