#include "patches/ChunkBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <zlib.h>

ChunkBuffer::ChunkBuffer(const void* bytes, std::uint64_t n)
{
    copyFrom(bytes, n);
}

ChunkBuffer::~ChunkBuffer()
{
    clear();
}

ChunkBuffer::ChunkBuffer(ChunkBuffer&& other) noexcept
    : data(other.data), size(other.size), m_owned(other.m_owned)
{
    other.data = nullptr;
    other.size = 0;
    other.m_owned = true;
}

ChunkBuffer& ChunkBuffer::operator=(ChunkBuffer&& other) noexcept
{
    if (this != &other)
    {
        clear();
        data = other.data;
        size = other.size;
        m_owned = other.m_owned;
        other.data = nullptr;
        other.size = 0;
        other.m_owned = true;
    }
    return *this;
}

void ChunkBuffer::clear()
{
    if (m_owned)
        std::free(data);
    data = nullptr;
    size = 0;
    m_owned = true;
}

void ChunkBuffer::allocate(std::uint64_t n)
{
    clear();
    // One byte more than asked, so that malloc(0) never yields null.
    data = static_cast<unsigned char*>(std::malloc(n + 1));
    if (data == nullptr)
        throw std::bad_alloc();
    size = n;
}

void ChunkBuffer::resize(std::uint64_t n)
{
    allocate(n);
}

void ChunkBuffer::copyFrom(const void* bytes, std::uint64_t n)
{
    allocate(n);
    if (n > 0)
        std::memcpy(data, bytes, n);
}

void ChunkBuffer::attach(void* bytes, std::uint64_t n)
{
    clear();
    data = static_cast<unsigned char*>(bytes);
    size = n;
    m_owned = false;
}

void ChunkBuffer::detach()
{
    data = nullptr;
    size = 0;
    m_owned = true;
}

int ChunkBuffer::assignCompressed(const std::string& text, int level)
{
    const uLong sourceLength = static_cast<uLong>(text.size() + 1);
    uLongf capacity = compressBound(sourceLength);
    allocate(capacity);
    const int result = compress2(data, &capacity, reinterpret_cast<const Bytef*>(text.c_str()), sourceLength, level);
    if (result != Z_OK)
    {
        clear();
        return result;
    }
    size = capacity;
    if (void* shrunk = std::realloc(data, size + 1))
        data = static_cast<unsigned char*>(shrunk);
    return result;
}

namespace
{
std::string rawText(const ChunkBuffer& chunk)
{
    if (chunk.data == nullptr)
        return std::string();
    const void* nul = std::memchr(chunk.data, 0, chunk.size);
    const std::size_t length = nul != nullptr ? static_cast<const unsigned char*>(nul) - chunk.data : chunk.size;
    return std::string(reinterpret_cast<const char*>(chunk.data), length);
}
}

namespace
{
enum class Inflated
{
    Complete,
    NotAStream,
    TooLarge
};

// Inflates in 16 KB steps, appending each step whole (asText: up to its
// first NUL), and stops as soon as more than limit bytes came out.
Inflated inflateInto(const ChunkBuffer& chunk, std::string& out, std::uint64_t limit, bool asText)
{
    out.clear();
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit(&stream) != Z_OK)
        return Inflated::NotAStream;

    constexpr std::size_t kStep = 16384;
    unsigned char block[kStep];
    Inflated result = Inflated::NotAStream;
    std::uint64_t consumed = 0;
    stream.next_in = chunk.data;

    for (;;)
    {
        // zlib counts input in 32-bit units: feed at most 1 GiB at a time.
        if (stream.avail_in == 0 && consumed < chunk.size)
            stream.avail_in = static_cast<uInt>(std::min<std::uint64_t>(chunk.size - consumed, 1u << 30));
        std::memset(block, 0, kStep);
        stream.next_out = block;
        stream.avail_out = kStep - 1; // a NUL always follows the output
        const uInt before = stream.avail_in;
        const int code = inflate(&stream, Z_NO_FLUSH);
        consumed += before - stream.avail_in;
        // Anything but progress (a preset dictionary, corrupt data, no more
        // input) ends the loop.
        if (code != Z_OK && code != Z_STREAM_END)
            break;
        if (asText)
            out.append(reinterpret_cast<const char*>(block));
        else
            out.append(reinterpret_cast<const char*>(block), kStep - 1 - stream.avail_out);
        if (out.size() > limit)
        {
            result = Inflated::TooLarge;
            break;
        }
        if (code == Z_STREAM_END)
        {
            result = Inflated::Complete;
            break;
        }
        // Input exhausted while inflate still had room: the stream is truncated.
        if (consumed >= chunk.size && stream.avail_in == 0 && stream.avail_out != 0)
            break;
    }
    inflateEnd(&stream);
    if (result != Inflated::Complete)
        out.clear();
    return result;
}
}

std::string inflateToString(const ChunkBuffer& chunk, std::uint64_t limit)
{
    if (chunk.empty())
        return std::string();
    std::string text;
    switch (inflateInto(chunk, text, limit, true))
    {
    case Inflated::Complete:
        return text;
    case Inflated::TooLarge:
        return std::string();
    case Inflated::NotAStream:
        break;
    }
    text = rawText(chunk);
    if (text.size() > limit)
        return std::string();
    return text;
}

bool inflateBytes(const ChunkBuffer& chunk, std::string& out, std::uint64_t limit, bool* tooLarge)
{
    if (tooLarge != nullptr)
        *tooLarge = false;
    out.clear();
    if (chunk.empty())
        return false;
    const Inflated result = inflateInto(chunk, out, limit, false);
    if (tooLarge != nullptr)
        *tooLarge = result == Inflated::TooLarge;
    return result == Inflated::Complete;
}
