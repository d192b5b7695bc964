#pragma once

#include <cstdint>

// The toolkit's one time source: a 64-bit monotonic millisecond count, so
// no tick arithmetic wraps. Tests replace the source.
class Clock
{
public:
    using Source = std::uint64_t (*)();

    static std::uint64_t now();
    // Null restores the system's monotonic clock.
    static void setSource(Source source);
};
