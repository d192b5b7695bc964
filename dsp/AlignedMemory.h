#pragma once

#include <cstddef>

// 16-byte aligned blocks for four-lane vector code. The address that the
// underlying allocation returned is kept in the 8 bytes before the block.
void* alignedMalloc(std::size_t n);
// The same, filled with zero bytes.
void* alignedCalloc(std::size_t n);
void alignedFree(void* p);

// Zero-filled memory straight from the system, whatever the heap holds: its
// pages take no memory until first written. Free with the same size.
void* zeroPagesAllocate(std::size_t n);
void zeroPagesFree(void* p, std::size_t n);
