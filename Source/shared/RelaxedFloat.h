#pragma once

#include <atomic>

// A float one thread writes while others read it, each access a whole word
// and nothing ordered by it: a parameter's value, set on the host's thread
// and sent to the engine from the audio thread.
class RelaxedFloat
{
public:
    RelaxedFloat(float value = 0.0f) : m_value(value) {}

    RelaxedFloat(const RelaxedFloat&) = delete;
    RelaxedFloat& operator=(const RelaxedFloat&) = delete;

    operator float() const { return m_value.load(std::memory_order_relaxed); }
    RelaxedFloat& operator=(float value)
    {
        m_value.store(value, std::memory_order_relaxed);
        return *this;
    }

private:
    std::atomic<float> m_value;
};
