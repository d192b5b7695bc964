#pragma once

#include <cstddef>

// Single pages of zeros, handed out side by side from large mappings shared
// by the whole process. Pages that every instance writes as soon as it opens
// then lie together rather than one in each instance's own mapping: a system
// that builds page tables lazily (and a virtual machine that mirrors them)
// pays dearly for each table it first needs.
class ZeroPagePool
{
public:
    static constexpr std::size_t kPageBytes = 4096;

    // A page of zero bytes; throws std::bad_alloc when the system has none.
    // Any thread but the audio thread.
    static void* take();
    // Back to the pool, its memory to the system; it reads zero again.
    static void give(void* page);
};
