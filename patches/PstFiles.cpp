#include "patches/PstFiles.h"

#include "patches/PatchFileIo.h"
#include "patches/Version1Patch.h"

namespace
{
constexpr std::size_t kHeaderSize = 48;
constexpr std::size_t kValuesOffset = 48;
constexpr std::size_t kNameOffset = 528;
constexpr std::size_t kFileSize = kNameOffset + Version1Patch::kNameSize;
constexpr std::uint32_t kRecordSize = 532;

std::uint32_t byteSwapped(std::uint32_t word)
{
    return (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

// Tells the byte order of a header, or false when it is not a version-1 program.
bool readHeader(const unsigned char* header, bool* bigEndian)
{
    const unsigned char* code = header + 32;
    *bigEndian = code[0] == 'N' && code[1] == 'v' && code[2] == 'E' && code[3] == 'f';
    auto word = [&](std::size_t offset) {
        return *bigEndian ? readBigEndian32(header + offset) : readLittleEndian32(header + offset);
    };
    const std::uint32_t identifier = word(40);
    return word(0) == kRecordSize && word(32) == fourCc("NvEf") &&
           (identifier == fourCc("Zent") || identifier == byteSwapped(fourCc("Zent")));
}
}

int PstFiles::readPst(const std::string& path, ChunkBuffer& chunk)
{
    ByteVector file;
    bool bigEndian = false;
    if (!readWholeFile(path, &file) || file.size() < kFileSize || !readHeader(file.data(), &bigEndian))
        return kLoadNotUsable;

    Version1Patch program;
    for (int i = 0; i < Version1Patch::kValueCount; ++i)
    {
        const unsigned char* bytes = file.data() + kValuesOffset + 4 * i;
        program.values[i] = unitValue(floatFromBits(bigEndian ? readBigEndian32(bytes) : readLittleEndian32(bytes)));
    }
    copyNameField(program.name, Version1Patch::kNameSize, file.data() + kNameOffset);

    Version1Patch::makeBank(chunk);
    Version1Patch::storeProgram(chunk, 0, program);
    return kLoadVersion1Program;
}

bool PstFiles::hasPstHeader(const std::string& path)
{
    ByteVector header;
    std::uint64_t size = 0;
    bool bigEndian = false;
    return readFileStart(path, kHeaderSize, &header, &size) && size >= kFileSize && readHeader(header.data(), &bigEndian);
}
