#pragma once

#include "dsp/AlignedMemory.h"

#include <cstddef>

// Base for objects that four-lane code reads directly: instances are placed
// on 16-byte boundaries whatever the heap gives.
class AlignedNew
{
public:
    static void* operator new(std::size_t size) { return alignedMalloc(size); }
    static void operator delete(void* p) { alignedFree(p); }
};
