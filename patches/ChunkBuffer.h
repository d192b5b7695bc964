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

    // Compresses text with its terminating NUL at zlib's level (9 unless
    // told otherwise); returns zlib's result code (0 on success). On failure
    // the buffer is left empty.
    int assignCompressed(const std::string& text, int level = 9);

    bool empty() const { return data == nullptr || size == 0; }

    unsigned char* data = nullptr;
    std::uint64_t size = 0;

private:
    bool m_owned = true;
};

// No patch comes near this much text: a chunk that inflates beyond it is not
// a usable patch, and inflating stops as soon as it is passed.
constexpr std::uint64_t kMaxPatchTextSize = 1u << 20;

// The inflated text, or the bytes themselves as text (up to the first NUL or
// the buffer's end) when they are not one complete zlib stream. Empty when
// the text would be longer than limit.
std::string inflateToString(const ChunkBuffer& chunk, std::uint64_t limit = kMaxPatchTextSize);

// All the bytes of one complete zlib stream (NULs included) into out: false,
// with out empty, when the bytes are no complete stream or inflate beyond
// limit (then tooLarge is set, when given).
bool inflateBytes(const ChunkBuffer& chunk, std::string& out, std::uint64_t limit, bool* tooLarge = nullptr);
