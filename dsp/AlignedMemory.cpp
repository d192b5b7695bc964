#include "dsp/AlignedMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

void zeroPagesPrefault(void* p, std::size_t n)
{
#ifdef MADV_POPULATE_WRITE
    // A page per call: the system holds the process's map while it works,
    // and another instance opening meanwhile waits to map its memory.
    constexpr std::size_t kStep = 4096;
    if (p == nullptr || n == 0)
        return;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = start & ~std::uintptr_t(kStep - 1);
    char* const begin = reinterpret_cast<char*>(first);
    const std::size_t length = n + (start - first);
    for (std::size_t done = 0; done < length; done += kStep)
    {
        if (madvise(begin + done, std::min(kStep, length - done), MADV_POPULATE_WRITE) != 0)
            return;
    }
#else
    (void)p;
    (void)n;
#endif
}
