#include "dsp/ZeroPagePool.h"

#include "dsp/LibraryLifetime.h"

#include <mutex>
#include <new>
#include <vector>

#include <sys/mman.h>

namespace
{
// Two megabytes: the reach of one page table.
constexpr std::size_t kChunkBytes = std::size_t(2) << 20;

struct Pool
{
    std::vector<char*> chunks;
    std::vector<char*> freePages;
    char* next = nullptr;
    char* end = nullptr;
    std::size_t pagesOut = 0;
};

// Both outlive every other static object of the library: the mutex needs no
// destruction, and the pool goes only with the last of its pages.
std::mutex poolMutex;
Pool* poolInstance = nullptr;
// The library was released while pages were out: the last one back
// releases the pool.
bool releaseWhenEmpty = false;

// The mappings go back to the system, so that a host that loads and drops
// the plug-in again and again does not gather them. With the lock held.
void releasePool()
{
    for (char* chunk : poolInstance->chunks)
        munmap(chunk, kChunkBytes);
    delete poolInstance;
    poolInstance = nullptr;
}

void releaseWithTheLibrary(void*)
{
    std::lock_guard<std::mutex> lock(poolMutex);
    if (poolInstance == nullptr)
        return;
    if (poolInstance->pagesOut != 0)
        releaseWhenEmpty = true;
    else
        releasePool();
}

Pool& pool()
{
    if (poolInstance == nullptr)
    {
        poolInstance = new Pool;
        LibraryLifetime::atRelease(&releaseWithTheLibrary, nullptr);
    }
    return *poolInstance;
}
} // namespace

void* ZeroPagePool::take()
{
    std::lock_guard<std::mutex> lock(poolMutex);
    Pool& p = pool();
    if (!p.freePages.empty())
    {
        char* page = p.freePages.back();
        p.freePages.pop_back();
        ++p.pagesOut;
        return page;
    }
    if (p.next == p.end)
    {
        p.chunks.reserve(p.chunks.size() + 1);
        void* chunk = mmap(nullptr, kChunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (chunk == MAP_FAILED)
            throw std::bad_alloc();
        p.chunks.push_back(static_cast<char*>(chunk));
        p.next = static_cast<char*>(chunk);
        p.end = p.next + kChunkBytes;
    }
    char* page = p.next;
    p.next += kPageBytes;
    ++p.pagesOut;
    return page;
}

void ZeroPagePool::give(void* page)
{
    if (page == nullptr)
        return;
    // Zero again on the next touch, and no longer resident meanwhile.
    madvise(page, kPageBytes, MADV_DONTNEED);
    std::lock_guard<std::mutex> lock(poolMutex);
    Pool& p = pool();
    --p.pagesOut;
    if (releaseWhenEmpty && p.pagesOut == 0)
    {
        releaseWhenEmpty = false;
        releasePool();
        return;
    }
    try
    {
        p.freePages.push_back(static_cast<char*>(page));
    }
    catch (const std::bad_alloc&)
    {
        // Lost to the pool: a page of address space.
    }
}
