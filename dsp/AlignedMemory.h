#pragma once

#include <cstddef>
#include <memory>

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
// Gives the pages that n bytes from p lie on their memory now, without
// changing what they hold, so that the thread that first writes them takes
// no page fault. Safe while another thread writes the pages.
void zeroPagesPrefault(void* p, std::size_t n);

// Maps the pages under n bytes from p in one call, for memory about to be
// written in full: far cheaper than a page fault for each. Does nothing
// where the system cannot.
void populatePages(void* p, std::size_t n);

struct ZeroPagesDeleter
{
    std::size_t bytes;
    void operator()(void* p) const { zeroPagesFree(p, bytes); }
};
template <typename T>
using ZeroPages = std::unique_ptr<T[], ZeroPagesDeleter>;

// count elements of zero pages; none for a count of 0.
template <typename T>
ZeroPages<T> makeZeroPages(std::size_t count)
{
    const std::size_t bytes = count * sizeof(T);
    return ZeroPages<T>(count == 0 ? nullptr : static_cast<T*>(zeroPagesAllocate(bytes)), ZeroPagesDeleter{bytes});
}
