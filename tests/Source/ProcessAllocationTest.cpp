// The audio thread's block path allocates nothing: every allocation of the
// process is counted while a block is being processed.

#include "tests/support/Deliverables.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void count()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size)
{
    count();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    count();
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
}

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    count();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    count();
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}

// Without a sanitizer, which brings its own allocator, malloc itself is
// counted too (the aligned buffers come from it).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C"
{
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size)
{
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size)
{
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size)
{
    count();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, std::size_t alignment, std::size_t size)
{
    count();
    *p = __libc_memalign(alignment, size);
    return *p ? 0 : 12;
}
}
#endif

namespace
{
// Counts the allocations made while the plug-in processes.
class CountingPlugin : public SoundingPlugin
{
public:
    using SoundingPlugin::SoundingPlugin;

    long countedRun(int frames)
    {
        allocations = 0;
        markCallsWith(&counting);
        run(frames);
        markCallsWith(nullptr);
        return allocations.load();
    }
};

class BlockAllocation : public ::testing::TestWithParam<Deliverable>
{
};
}

INSTANTIATE_FOR_BOTH_DELIVERABLES(BlockAllocation);

TEST(ProcessAllocation, CountingSeesAllocations)
{
    allocations = 0;
    counting = true;
    int* volatile number = new int(3);
    counting = false;
    delete number;
    EXPECT_GE(allocations.load(), 1);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    allocations = 0;
    counting = true;
    void* volatile block = std::malloc(10);
    counting = false;
    std::free(block);
    EXPECT_EQ(allocations.load(), 1);
#endif
}

TEST_P(BlockAllocation, BlocksAllocateNothing)
{
    TemporaryHome home;
    CountingPlugin synth(44100.0f, 256, *GetParam().flavour);
    // Warm up: the patch arrives, the wave tables are built.
    synth.run(44100);
    std::int64_t at = 44100;
    for (int i = 0; i < 40; ++i)
    {
        synth.midi(at + 37 * i, 0x90, 30 + 2 * i, 40 + i);
        synth.midi(at + 37 * i + 5, 0xE0, i, 64);
        synth.midi(at + 37 * i + 9, 0xB0, 1, 3 * i);
        synth.midi(at + 37 * i + 11, 0xD0, i, 0);
    }
    synth.midi(at + 4000, 0xB0, 64, 127);
    synth.midi(at + 5000, 0xB0, 69, 127);
    for (int i = 0; i < 40; ++i)
        synth.midi(at + 6000 + 13 * i, 0x80, 30 + 2 * i, 64);
    synth.midi(at + 9000, 0xB0, 64, 0);
    synth.midi(at + 9100, 0xB0, 69, 0);
    synth.midi(at + 9200, 0xB0, 123, 0);
    EXPECT_EQ(synth.countedRun(2 * 44100), 0);
}
