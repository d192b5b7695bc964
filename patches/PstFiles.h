#pragma once

#include "patches/ChunkBuffer.h"

#include <string>

// Version-1 program files (".pst"), either byte order; read only.
class PstFiles
{
public:
    // 1 with the program in slot 0 of the version-1 bank now in chunk, else -1.
    static int readPst(const std::string& path, ChunkBuffer& chunk);
    // The header test alone: record size, "NvEf" and "Zent" in place.
    static bool hasPstHeader(const std::string& path);
};
