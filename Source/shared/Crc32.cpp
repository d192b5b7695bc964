#include "Source/shared/Crc32.h"

std::uint32_t crc32Table[256];

namespace
{
std::uint32_t reflect(std::uint32_t value, int bits)
{
    std::uint32_t result = 0;
    for (int i = 0; i < bits; ++i)
        if (value & (1u << i))
            result |= 1u << (bits - 1 - i);
    return result;
}

struct Crc32TableBuilder
{
    Crc32TableBuilder() { buildCrc32Table(); }
} crc32TableBuilder;
}

void buildCrc32Table()
{
    for (std::uint32_t i = 0; i < 256; ++i)
    {
        std::uint32_t c = reflect(i, 8) << 24;
        for (int k = 0; k < 8; ++k)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
        crc32Table[i] = reflect(c, 32);
    }
}

std::uint32_t crc32Of(const void* data, std::size_t length, std::uint32_t crc)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i)
        crc = crc32Table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
