#pragma once

#include "patches/ChunkBuffer.h"

#include <cstdint>
#include <string>

// Host preset files (".tfx"): blocks of a 56-byte header and a payload; the
// plug-in's own block carries the patch chunk.
class HostPresetFiles
{
public:
    // 0 written, 1 when the file cannot be written (or the chunk is too large
    // for a block the reader accepts).
    static int writeTfx(const std::string& path, const ChunkBuffer& chunk, bool isEffect);
    // FileTypeBits: 0x4, with 0x80 / 0x40 for each instrument / effect block
    // found, or 0x200 when there is none. chunk receives the payload of the last
    // plug-in block (emptied when there is none).
    static std::uint32_t scanTfx(const std::string& path, ChunkBuffer& chunk);
    // 3 with the plug-in block's chunk, else -1.
    static int readTfx(const std::string& path, ChunkBuffer& chunk);
};

// Blocks larger than this are taken for damage.
constexpr std::uint32_t kMaxTfxBlockSize = 20000;
