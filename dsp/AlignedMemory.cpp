#include "dsp/AlignedMemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

void* alignedMalloc(std::size_t n)
{
    // 23 = 15 bytes of alignment slack + 8 bytes for the stored address.
    void* raw = std::malloc(n + 23);
    if (raw == nullptr)
        throw std::bad_alloc();
    std::uintptr_t point = (reinterpret_cast<std::uintptr_t>(raw) + 23) & ~std::uintptr_t(15);
    reinterpret_cast<void**>(point)[-1] = raw;
    return reinterpret_cast<void*>(point);
}

void* alignedCalloc(std::size_t n)
{
    // calloc leaves fresh pages from the system untouched: they take no
    // memory until written.
    void* raw = std::calloc(n + 23, 1);
    if (raw == nullptr)
        throw std::bad_alloc();
    std::uintptr_t point = (reinterpret_cast<std::uintptr_t>(raw) + 23) & ~std::uintptr_t(15);
    reinterpret_cast<void**>(point)[-1] = raw;
    return reinterpret_cast<void*>(point);
}

void alignedFree(void* p)
{
    if (p == nullptr)
        return;
    std::free(static_cast<void**>(p)[-1]);
}

void* zeroPagesAllocate(std::size_t n)
{
    void* pages = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    return pages;
}

void zeroPagesFree(void* p, std::size_t n)
{
    if (p != nullptr)
        munmap(p, n);
}

void populatePages(void* p, std::size_t n)
{
#ifdef MADV_POPULATE_WRITE
    constexpr std::uintptr_t kPage = 4096;
    if (p == nullptr || n == 0)
        return;
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(p) & ~(kPage - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(p) + n;
    madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)n;
#endif
}

namespace
{
// A locked add of nothing: a write as far as the memory system goes, so the
// page is mapped for this process's writes, yet a store another thread makes
// to the same word meanwhile is kept, whether it lands before or after.
inline void touchForWrite(char* word)
{
#if defined(__x86_64__)
    asm volatile("lock orl $0, %0" : "+m"(*reinterpret_cast<unsigned*>(word)) : : "memory");
#else
    __atomic_fetch_or(reinterpret_cast<unsigned*>(word), 0u, __ATOMIC_RELAXED);
#endif
}
}

void zeroPagesPrefault(void* p, std::size_t n)
{
    // A write from user space, not the system's own prefault: under some
    // hypervisors a page the system filled is mapped for the process only
    // at its first write from user space, which would then cost the writer
    // nearly a fresh fault.
    constexpr std::size_t kPage = 4096;
    if (p == nullptr || n == 0)
        return;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t end = start + n;
    for (std::uintptr_t page = start & ~std::uintptr_t(kPage - 1); page < end; page += kPage)
        touchForWrite(reinterpret_cast<char*>(page));
}
