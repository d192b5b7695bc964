#include "patches/ProgramBankFiles.h"

#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include <cstring>
#include <limits>

namespace
{
constexpr std::size_t kHeaderSize = 28;
constexpr std::size_t kNameSize = 28;
constexpr std::size_t kProgramChunkOffset = 60;
constexpr std::size_t kBankHeaderSize = 156;
constexpr std::size_t kBankChunkOffset = 160;
constexpr std::size_t kVersion1ValuesOffset = kHeaderSize + kNameSize;
constexpr std::size_t kVersion1ProgramSize = kVersion1ValuesOffset + 4 * Version1Patch::kValueCount;
constexpr std::size_t kVersion1BankFileSize = kBankHeaderSize + Version1Patch::kBankPrograms * kVersion1ProgramSize;
constexpr std::uint32_t kPatchParameterCount = 155;
constexpr std::uint32_t kVersion1ParameterCount = 120;

// The seven big-endian words of a program header.
struct Header
{
    explicit Header(const unsigned char* bytes)
    {
        for (int i = 0; i < 7; ++i)
            words[i] = readBigEndian32(bytes + 4 * i);
    }
    std::uint32_t magic() const { return words[0]; }
    std::uint32_t format() const { return words[2]; }
    std::uint32_t identifier() const { return words[4]; }
    std::uint32_t count() const { return words[6]; }

    std::uint32_t words[7];
};

bool isCurrentIdentifier(std::uint32_t identifier)
{
    return identifier == fourCc("Zen2") || identifier == fourCc("Z2FX");
}

// The chunk runs to the end of the file, whatever its size fields say; a zero
// byte follows it and is counted.
int takeChunk(const ByteVector& file, std::size_t offset, ChunkBuffer& chunk, int result)
{
    if (file.size() <= offset)
        return kLoadNotUsable;
    const std::size_t length = file.size() - offset;
    chunk.resize(length + 1);
    std::memcpy(chunk.data, file.data() + offset, length);
    chunk.data[length] = 0;
    return result;
}

// One version-1 program from its name field and its 120 big-endian values.
Version1Patch version1Program(const unsigned char* name, const unsigned char* values)
{
    Version1Patch program;
    copyNameField(program.name, Version1Patch::kNameSize, name);
    for (int i = 0; i < Version1Patch::kValueCount; ++i)
        program.values[i] = unitValue(floatFromBits(readBigEndian32(values + 4 * i)));
    return program;
}

bool isVersion1ProgramHeader(const Header& header)
{
    return header.magic() == fourCc("CcnK") && header.format() == fourCc("FxCk") &&
           header.identifier() == fourCc("Zent") && header.count() == kVersion1ParameterCount;
}
}

int ProgramBankFiles::writeFxp(const std::string& path, const std::string& patchName, const ChunkBuffer& chunk,
                               bool isEffect)
{
    // An empty chunk would make a file that reads back as unusable.
    if (chunk.empty() || chunk.size > std::numeric_limits<std::uint32_t>::max() - kProgramChunkOffset)
        return 1;
    const auto chunkSize = static_cast<std::uint32_t>(chunk.size);
    ByteVector file;
    file.reserve(kProgramChunkOffset + chunk.size);
    appendBigEndian32(file, fourCc("CcnK"));
    appendBigEndian32(file, chunkSize + 52); // the bytes after this field
    appendBigEndian32(file, fourCc("FPCh"));
    appendBigEndian32(file, 1);
    appendBigEndian32(file, isEffect ? fourCc("Z2FX") : fourCc("Zen2"));
    appendBigEndian32(file, 1);
    appendBigEndian32(file, kPatchParameterCount);
    // The first 28 bytes of the name, zero-filled; a longer name fills the field
    // without a terminator.
    const std::size_t nameBytes = patchName.size() < kNameSize ? patchName.size() : kNameSize;
    appendBytes(file, patchName.data(), nameBytes);
    appendZeros(file, kNameSize - nameBytes);
    appendBigEndian32(file, chunkSize);
    appendBytes(file, chunk.data, chunk.size);
    return writeFileReplacing(path, file) ? 0 : 1;
}

int ProgramBankFiles::readFxp(const std::string& path, int programSlot, ChunkBuffer& chunk)
{
    ByteVector file;
    if (!readWholeFile(path, &file) || file.size() < kHeaderSize)
        return kLoadNotUsable;
    const Header header(file.data());
    if (header.magic() != fourCc("CcnK"))
        return kLoadNotUsable;
    if (isCurrentIdentifier(header.identifier()) && header.format() == fourCc("FPCh"))
        return takeChunk(file, kProgramChunkOffset, chunk, kLoadProgramChunk);
    if (!isVersion1ProgramHeader(header) || file.size() < kVersion1ProgramSize || programSlot < 0 ||
        programSlot >= Version1Patch::kBankPrograms)
        return kLoadNotUsable;
    Version1Patch::makeBank(chunk);
    Version1Patch::storeProgram(chunk, programSlot,
                                version1Program(file.data() + kHeaderSize, file.data() + kVersion1ValuesOffset));
    return kLoadVersion1Program;
}

int ProgramBankFiles::readFxb(const std::string& path, ChunkBuffer& chunk)
{
    ByteVector file;
    if (!readWholeFile(path, &file) || file.size() < kBankHeaderSize)
        return kLoadNotUsable;
    const Header header(file.data());
    if (header.magic() != fourCc("CcnK"))
        return kLoadNotUsable;
    if (header.identifier() == fourCc("Zen2"))
        return header.format() == fourCc("FBCh") ? takeChunk(file, kBankChunkOffset, chunk, kLoadBankChunk)
                                                 : kLoadNotUsable;
    if (header.identifier() != fourCc("Zent") || header.format() != fourCc("FxBk") ||
        header.count() != Version1Patch::kBankPrograms || file.size() < kVersion1BankFileSize)
        return kLoadNotUsable;

    ChunkBuffer bank;
    Version1Patch::makeBank(bank);
    for (int slot = 0; slot < Version1Patch::kBankPrograms; ++slot)
    {
        const unsigned char* program = file.data() + kBankHeaderSize + slot * kVersion1ProgramSize;
        if (!isVersion1ProgramHeader(Header(program)))
            return kLoadNotUsable;
        Version1Patch::storeProgram(bank, slot, version1Program(program + kHeaderSize, program + kVersion1ValuesOffset));
    }
    chunk = std::move(bank);
    return kLoadVersion1Bank;
}

namespace
{
// What a program or a bank header announces, and how large such a file must be.
struct FileKind
{
    std::size_t headerSize;
    std::uint32_t typeBit;
    std::uint32_t currentFormat;
    std::size_t currentMinimumSize;
    std::uint32_t version1Format;
    std::uint32_t version1Count;
    std::size_t version1Size;
};

std::uint32_t classify(const std::string& path, const FileKind& kind)
{
    ByteVector start;
    std::uint64_t size = 0;
    if (!readFileStart(path, kind.headerSize, &start, &size) || start.size() < kind.headerSize)
        return kind.typeBit | kFileTypeInvalid;
    const Header header(start.data());
    if (header.magic() != fourCc("CcnK"))
        return kind.typeBit | kFileTypeInvalid;
    // A header the readers know, on a file too short for what it announces, is invalid too.
    if (header.format() == kind.currentFormat && isCurrentIdentifier(header.identifier()))
        return kind.typeBit | (header.identifier() == fourCc("Zen2") ? kFileTypeInstrument : kFileTypeEffect) |
               (size < kind.currentMinimumSize ? kFileTypeInvalid : 0);
    if (header.format() == kind.version1Format && header.identifier() == fourCc("Zent"))
        return kind.typeBit | kFileTypeVersion1 |
               (size < kind.version1Size || header.count() != kind.version1Count ? kFileTypeInvalid : 0);
    return kind.typeBit;
}
}

std::uint32_t ProgramBankFiles::classifyFxp(const std::string& path)
{
    return classify(path, {kHeaderSize, kFileTypeFxp, fourCc("FPCh"), kProgramChunkOffset + 1, fourCc("FxCk"),
                           kVersion1ParameterCount, kVersion1ProgramSize});
}

std::uint32_t ProgramBankFiles::classifyFxb(const std::string& path)
{
    return classify(path, {kBankHeaderSize, kFileTypeFxb, fourCc("FBCh"), kBankChunkOffset + 1, fourCc("FxBk"),
                           Version1Patch::kBankPrograms, kVersion1BankFileSize});
}
