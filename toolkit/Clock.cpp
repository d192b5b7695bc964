#include "toolkit/Clock.h"

#include <atomic>
#include <chrono>

namespace
{
std::uint64_t steadyMilliseconds()
{
    auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

std::atomic<Clock::Source> source{&steadyMilliseconds};
} // namespace

std::uint64_t Clock::now()
{
    return source.load(std::memory_order_acquire)();
}

void Clock::setSource(Source newSource)
{
    source.store(newSource ? newSource : &steadyMilliseconds, std::memory_order_release);
}
