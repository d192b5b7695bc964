#pragma once

// The toolkit's clock, set by hand for as long as the object lives.

#include "toolkit/Clock.h"

#include <cstdint>

class FakeClock
{
public:
    explicit FakeClock(std::uint64_t start = 1000)
    {
        s_now = start;
        Clock::setSource(&now);
    }
    ~FakeClock() { Clock::setSource(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void set(std::uint64_t milliseconds) { s_now = milliseconds; }
    void advance(std::uint64_t milliseconds) { s_now += milliseconds; }
    static std::uint64_t now() { return s_now; }

private:
    static inline std::uint64_t s_now = 0;
};
