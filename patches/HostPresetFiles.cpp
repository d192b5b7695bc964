#include "patches/HostPresetFiles.h"

#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

#include <cstring>

namespace
{
constexpr std::uint32_t kBlockHeaderSize = 56;

void appendBlockHeader(ByteVector& file, std::uint32_t size, std::uint32_t product, std::uint32_t specific,
                       std::uint32_t type)
{
    appendBigEndian32(file, size);
    appendBigEndian32(file, 1);
    appendBigEndian32(file, fourCc("Vrlm"));
    appendBigEndian32(file, product);
    appendBigEndian32(file, specific);
    appendBigEndian32(file, type);
}
}

int HostPresetFiles::writeTfx(const std::string& path, const ChunkBuffer& chunk, bool isEffect)
{
    if (chunk.empty() || chunk.size > kMaxTfxBlockSize - kBlockHeaderSize)
        return 1;
    const std::uint32_t product = isEffect ? fourCc("Z2FX") : fourCc("Zen2");
    ByteVector file;

    // The instance block.
    appendBlockHeader(file, 80, product, fourCc("Rv2s"), fourCc("midi"));
    appendZeros(file, 32);
    const unsigned char instance[24] = {1, 1, 1, 1, '1', '_', 'I', 'n', 's', 't', 'a', 'n',
                                        'c', 'e', ' ', 'I', 'D', 0, 0, 1, 0, 0, 0, 0};
    appendBytes(file, instance, sizeof instance);

    // The plug-in block with the patch chunk.
    appendBlockHeader(file, static_cast<std::uint32_t>(chunk.size) + kBlockHeaderSize, product, 3, fourCc("All "));
    appendBytes(file, "Vst Plug-In", 12); // with its terminating zero
    appendZeros(file, 20);
    appendBytes(file, chunk.data, chunk.size);
    return writeFileReplacing(path, file) ? 0 : 1;
}

std::uint32_t HostPresetFiles::scanTfx(const std::string& path, ChunkBuffer& chunk)
{
    chunk.clear();
    std::uint32_t bits = kFileTypeTfx | kFileTypeInvalid;
    ByteVector file;
    if (!readWholeFile(path, &file))
        return bits;

    std::size_t offset = 0;
    while (file.size() - offset >= kBlockHeaderSize)
    {
        const unsigned char* header = file.data() + offset;
        const std::uint32_t size = readBigEndian32(header);
        const std::uint32_t manufacturer = readBigEndian32(header + 8);
        const std::uint32_t product = readBigEndian32(header + 12);
        const std::uint32_t type = readBigEndian32(header + 20);
        if (size < kBlockHeaderSize || size > kMaxTfxBlockSize || size > file.size() - offset ||
            manufacturer != fourCc("Vrlm"))
            break;
        if (type == fourCc("All "))
        {
            if (product == fourCc("Zen2"))
                bits |= kFileTypeInstrument;
            else if (product == fourCc("Z2FX") || product == fourCc("Ze2x"))
                bits |= kFileTypeEffect;
            else
                break;
            if (size == kBlockHeaderSize)
                break; // a plug-in block without a patch
            bits &= ~kFileTypeInvalid;
            // Only a plug-in block replaces the chunk: later foreign blocks never do.
            chunk.copyFrom(header + kBlockHeaderSize, size - kBlockHeaderSize);
        }
        offset += size;
    }
    return bits;
}

int HostPresetFiles::readTfx(const std::string& path, ChunkBuffer& chunk)
{
    const std::uint32_t bits = scanTfx(path, chunk);
    if ((bits & kFileTypeTfx) != 0 && (bits & kFileTypeInvalid) == 0 && !chunk.empty())
        return kLoadProgramChunk;
    chunk.clear();
    return kLoadNotUsable;
}
