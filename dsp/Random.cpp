#include "dsp/Random.h"

#include <atomic>
#include <cstdint>

namespace
{
std::atomic<std::uint64_t> randomState{0x853C49E6748FEA9Bull};
}

int randomInt()
{
    // A 64-bit LCG stepped atomically: shared by every instance, never locks.
    std::uint64_t state = randomState.load(std::memory_order_relaxed);
    std::uint64_t next;
    do
        next = state * 6364136223846793005ull + 1442695040888963407ull;
    while (!randomState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<int>(next >> 33);
}

void seedRandom(unsigned seed)
{
    randomState.store(0x853C49E6748FEA9Bull ^ seed, std::memory_order_relaxed);
}
