#pragma once

#include <cstdint>

// Where a parameter or pseudo-parameter value goes in the engine: one mask
// per number, each bit a destination. A number without bits reaches nothing.
class RoutingTable
{
public:
    static constexpr int kSize = 729;

    enum Destination : std::uint32_t
    {
        kAmpBank = 1,        // control queue 0
        kTempo = 2,          // the tempo object's clock
        kVoiceParameters = 4, // control queue 1, in control ticks
        kKeyboard = 8,       // control queue 2
        kEffects = 16,       // control queue 4
    };

    RoutingTable();

    // 0 for numbers outside the table.
    std::uint32_t mask(long index) const
    {
        return index >= 0 && index < kSize ? m_masks[index] : 0;
    }

private:
    std::uint32_t m_masks[kSize];
};
