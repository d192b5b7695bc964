#pragma once

#include <cstddef>
#include <cstdint>

// Reflected CRC-32 of IEEE 802.3 (the zlib and PNG table), filled at image load.
extern std::uint32_t crc32Table[256];

void buildCrc32Table();

// Standard CRC-32 of a byte run over the table (initial value and final xor 0xFFFFFFFF).
std::uint32_t crc32Of(const void* data, std::size_t length, std::uint32_t crc = 0);
