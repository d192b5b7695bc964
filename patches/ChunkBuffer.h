#pragma once

#include <cstdint>
#include <string>

// Bytes of a patch chunk: owned (malloc'd) unless attached to someone else's.
class ChunkBuffer
{
public:
    ChunkBuffer() = default;
    ChunkBuffer(const void* bytes, std::uint64_t n);
    ~ChunkBuffer();

    ChunkBuffer(const ChunkBuffer&) = delete;
    ChunkBuffer& operator=(const ChunkBuffer&) = delete;
    ChunkBuffer(ChunkBuffer&& other) noexcept;
    ChunkBuffer& operator=(ChunkBuffer&& other) noexcept;

    void allocate(std::uint64_t n);
    void copyFrom(const void* bytes, std::uint64_t n);
    // Frees the present bytes and allocates n new ones; contents are not kept.
    void resize(std::uint64_t n);
    void attach(void* bytes, std::uint64_t n);
    void detach();
    void clear();

    // Compresses text with its terminating NUL at zlib level 9; returns zlib's
    // result code (0 on success). On failure the buffer is left empty.
    int assignCompressed(const std::string& text);

    bool empty() const { return data == nullptr || size == 0; }

    unsigned char* data = nullptr;
    std::uint64_t size = 0;

private:
    bool m_owned = true;
};

// Cap on inflated chunks, so that a crafted chunk cannot exhaust memory.
constexpr std::uint64_t kMaxInflatedChunkSize = 64ull << 20;

// The inflated text, or the bytes themselves as text (up to the first NUL or
// the buffer's end) when they are not one complete zlib stream.
std::string inflateToString(const ChunkBuffer& chunk);
