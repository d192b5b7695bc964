#pragma once

// Shared by the patch file tests: a temporary folder (with HOME and the XDG
// folders pointed inside it), byte helpers and hand-made file contents.

#include "patches/ChunkBuffer.h"
#include "patches/PatchFileIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace patchtest
{
class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/zentrova-patchfiles-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_path = made != nullptr ? made : "/tmp";
        for (const char* name : {"home", "config", "data", "datadirs"})
            ::mkdir((m_path + "/" + name).c_str(), 0755);
        ::setenv("HOME", (m_path + "/home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (m_path + "/datadirs").c_str(), 1);
    }
    ~TempFolder()
    {
        if (m_path != "/tmp")
            std::system(("chmod -R u+w '" + m_path + "' && rm -rf '" + m_path + "'").c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void writeFile(const std::string& path, const ByteVector& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFile(const std::string& path, const std::string& text)
{
    writeFile(path, ByteVector(text.begin(), text.end()));
}

inline ByteVector readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& path)
{
    const ByteVector bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

inline std::uint32_t bigEndianAt(const ByteVector& bytes, std::size_t offset)
{
    return readBigEndian32(bytes.data() + offset);
}

inline std::string textAt(const ByteVector& bytes, std::size_t offset, std::size_t n)
{
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                       bytes.begin() + static_cast<std::ptrdiff_t>(offset + n));
}

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

// A patch-like document, compressed as the patch state writes it.
inline std::string samplePatchText(const std::string& name = "Warm Pad")
{
    std::string text = "<?xml version=\"1.0\" ?>\n<zentrova version=\"2.0\" platform=\"linux\" "
                       "uuid=\"6E1D3A2C-1F4B-11EF-9A00-0242AC120002\">\n    <patch name=\"" +
                       name + "\">\n";
    for (int i = 0; i < 155; ++i)
        text += "        <parameter index=\"" + std::to_string(i) + "\" value=\"0." + std::to_string(i * 37 % 1000) +
                "\" />\n";
    return text + "    </patch>\n</zentrova>\n";
}

inline ChunkBuffer sampleChunk(const std::string& name = "Warm Pad")
{
    ChunkBuffer chunk;
    EXPECT_EQ(chunk.assignCompressed(samplePatchText(name)), 0);
    return chunk;
}

inline ByteVector bytesOf(const ChunkBuffer& chunk)
{
    return ByteVector(chunk.data, chunk.data + chunk.size);
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
}
