#pragma once

#include "patches/ChunkBuffer.h"

#include <cstdint>
#include <string>

// VST program (".fxp") and bank (".fxb") files: the current opaque-chunk kind,
// written and read, and the version-1 parameter-list kind, read only.
class ProgramBankFiles
{
public:
    // 0 written, 1 when the file cannot be written.
    static int writeFxp(const std::string& path, const std::string& patchName, const ChunkBuffer& chunk,
                        bool isEffect);
    // 3 a program chunk in chunk; 1 a version-1 program in programSlot of the
    // version-1 bank now in chunk; -1 not usable.
    static int readFxp(const std::string& path, int programSlot, ChunkBuffer& chunk);
    // 2 a bank chunk; 0 a version-1 bank of 36 programs; -1 not usable.
    static int readFxb(const std::string& path, ChunkBuffer& chunk);

    // FileTypeBits of a program or bank file from its header and real size.
    static std::uint32_t classifyFxp(const std::string& path);
    static std::uint32_t classifyFxb(const std::string& path);
};
