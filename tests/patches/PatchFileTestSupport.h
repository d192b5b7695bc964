#pragma once

// Shared by the patch file tests: a temporary folder (with HOME and the XDG
// folders pointed inside it), byte helpers and hand-made file contents.

#include "patches/ChunkBuffer.h"
#include "patches/PatchFileIo.h"
#include "tests/support/PatchFileBytes.h"

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
}
