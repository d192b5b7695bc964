#include "dsp/ZeroPagePool.h"

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
    std::mutex mutex;
    std::vector<char*> freePages;
    char* next = nullptr;
    char* end = nullptr;
};

// Never destroyed: instances may outlive the library's static objects at
// process exit.
Pool& pool()
{
    static Pool* const instance = new Pool;
    return *instance;
}
} // namespace

void* ZeroPagePool::take()
{
    Pool& p = pool();
    std::lock_guard<std::mutex> lock(p.mutex);
    if (!p.freePages.empty())
    {
        char* page = p.freePages.back();
        p.freePages.pop_back();
        return page;
    }
    if (p.next == p.end)
    {
        void* chunk = mmap(nullptr, kChunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (chunk == MAP_FAILED)
            throw std::bad_alloc();
        p.next = static_cast<char*>(chunk);
        p.end = p.next + kChunkBytes;
    }
    char* page = p.next;
    p.next += kPageBytes;
    return page;
}

void ZeroPagePool::give(void* page)
{
    if (page == nullptr)
        return;
    // Zero again on the next touch, and no longer resident meanwhile.
    madvise(page, kPageBytes, MADV_DONTNEED);
    Pool& p = pool();
    std::lock_guard<std::mutex> lock(p.mutex);
    try
    {
        p.freePages.push_back(static_cast<char*>(page));
    }
    catch (const std::bad_alloc&)
    {
        // Lost to the pool: a page of address space.
    }
}
