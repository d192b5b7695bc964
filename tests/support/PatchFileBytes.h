#pragma once

// Patch files built byte by byte: the version-1 kinds the plug-in only reads
// and the bank files hosts write. Shared by the tests and the fuzz targets.

#include "patches/ChunkBuffer.h"
#include "patches/PatchFileIo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace patchtest
{
inline void appendText(ByteVector& out, const std::string& text)
{
    appendBytes(out, text.data(), text.size());
}

inline void appendFloatBigEndian(ByteVector& out, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendBigEndian32(out, bits);
}

inline void appendLittleEndian32(ByteVector& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

inline void appendName(ByteVector& out, const std::string& name, std::size_t field)
{
    appendText(out, name.substr(0, field));
    appendZeros(out, field - std::min(name.size(), field));
}

// The 120 values of a hand-made version-1 program: distinct, inside 0..1.
inline float version1Value(int program, int index)
{
    return static_cast<float>((program * 7 + index * 3) % 101) / 100.0f;
}

// A version-1 parameter-list program: 28-byte header, name, 120 values.
inline void appendVersion1Program(ByteVector& out, const std::string& name, int program, int parameterCount = 120)
{
    appendText(out, "CcnK");
    appendBigEndian32(out, 52 + 4 * 120);
    appendText(out, "FxCk");
    appendBigEndian32(out, 1);
    appendText(out, "Zent");
    appendBigEndian32(out, 1);
    appendBigEndian32(out, static_cast<std::uint32_t>(parameterCount));
    appendName(out, name, 28);
    for (int i = 0; i < 120; ++i)
        appendFloatBigEndian(out, version1Value(program, i));
}

inline ByteVector version1BankFile(int shortProgram = -1)
{
    ByteVector file;
    appendText(file, "CcnK");
    appendBigEndian32(file, 0);
    appendText(file, "FxBk");
    appendBigEndian32(file, 1);
    appendText(file, "Zent");
    appendBigEndian32(file, 1);
    appendBigEndian32(file, 36);
    appendZeros(file, 128);
    for (int p = 0; p < 36; ++p)
        appendVersion1Program(file, "Program " + std::to_string(p + 1), p, p == shortProgram ? 119 : 120);
    return file;
}

// A bank file as hosts write it from the bank chunk.
inline ByteVector currentBankFile(const ChunkBuffer& chunk, const std::string& identifier = "Zen2")
{
    ByteVector file;
    appendText(file, "CcnK");
    appendBigEndian32(file, static_cast<std::uint32_t>(chunk.size + 152));
    appendText(file, "FBCh");
    appendBigEndian32(file, 1);
    appendText(file, identifier);
    appendBigEndian32(file, 1);
    appendBigEndian32(file, 128);
    appendZeros(file, 128);
    appendBigEndian32(file, static_cast<std::uint32_t>(chunk.size));
    appendBytes(file, chunk.data, chunk.size);
    return file;
}

inline void appendWord(ByteVector& out, std::uint32_t word, bool bigEndian)
{
    if (bigEndian)
        appendBigEndian32(out, word);
    else
        appendLittleEndian32(out, word);
}

// A hand-made version-1 program file in either byte order.
inline ByteVector pstFile(bool bigEndian, const std::string& name, std::uint32_t recordSize = 532,
                          bool swappedIdentifier = false)
{
    ByteVector file;
    appendWord(file, recordSize, bigEndian);
    for (int i = 1; i < 8; ++i)
        appendWord(file, 0x11223344u * i, bigEndian);
    appendWord(file, fourCc("NvEf"), bigEndian);
    appendWord(file, 0, bigEndian);
    const std::uint32_t zent = fourCc("Zent");
    appendWord(file, swappedIdentifier ? ((zent >> 24) | ((zent >> 8) & 0xFF00) | ((zent << 8) & 0xFF0000) | (zent << 24))
                                       : zent,
               bigEndian);
    appendWord(file, 0, bigEndian);
    for (int i = 0; i < 120; ++i)
    {
        std::uint32_t bits;
        const float value = version1Value(9, i);
        std::memcpy(&bits, &value, 4);
        appendWord(file, bits, bigEndian);
    }
    appendName(file, name, 28);
    return file;
}
}
