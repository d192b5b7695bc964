#include "patches/HostPresetFiles.h"

#include "tests/patches/PatchFileTestSupport.h"

using namespace patchtest;

namespace
{
void appendBlock(ByteVector& file, const std::string& manufacturer, const std::string& product,
                 const std::string& type, const ByteVector& payload, std::uint32_t size = 0)
{
    appendBigEndian32(file, size != 0 ? size : static_cast<std::uint32_t>(56 + payload.size()));
    appendBigEndian32(file, 1);
    appendText(file, manufacturer);
    appendText(file, product);
    appendBigEndian32(file, 3);
    appendText(file, type);
    appendZeros(file, 32);
    appendBytes(file, payload.data(), payload.size());
}
}

TEST(HostPresetFiles, WrittenBlocksAreExact)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(HostPresetFiles::writeTfx(folder / "p.tfx", chunk, false), 0);
    const ByteVector file = readFile(folder / "p.tfx");
    ASSERT_EQ(file.size(), 80 + 56 + chunk.size);

    // The instance block.
    EXPECT_EQ(bigEndianAt(file, 0), 80u);
    EXPECT_EQ(bigEndianAt(file, 4), 1u);
    EXPECT_EQ(textAt(file, 8, 4), "Vrlm");
    EXPECT_EQ(textAt(file, 12, 4), "Zen2");
    EXPECT_EQ(textAt(file, 16, 4), "Rv2s");
    EXPECT_EQ(textAt(file, 20, 4), "midi");
    EXPECT_EQ(textAt(file, 24, 32), std::string(32, '\0'));
    EXPECT_EQ(textAt(file, 56, 24), std::string("\x01\x01\x01\x01" "1_Instance ID\0\0\x01\0\0\0\0", 24));

    // The plug-in block.
    EXPECT_EQ(bigEndianAt(file, 80), chunk.size + 56);
    EXPECT_EQ(bigEndianAt(file, 84), 1u);
    EXPECT_EQ(textAt(file, 88, 4), "Vrlm");
    EXPECT_EQ(textAt(file, 92, 4), "Zen2");
    EXPECT_EQ(bigEndianAt(file, 96), 3u);
    EXPECT_EQ(textAt(file, 100, 4), "All ");
    EXPECT_EQ(textAt(file, 104, 12), std::string("Vst Plug-In\0", 12));
    EXPECT_EQ(textAt(file, 116, 20), std::string(20, '\0'));
    EXPECT_EQ(ByteVector(file.begin() + 136, file.end()), bytesOf(chunk));

    ASSERT_EQ(HostPresetFiles::writeTfx(folder / "fx.tfx", chunk, true), 0);
    const ByteVector effect = readFile(folder / "fx.tfx");
    EXPECT_EQ(textAt(effect, 12, 4), "Z2FX");
    EXPECT_EQ(textAt(effect, 92, 4), "Z2FX");
}

TEST(HostPresetFiles, WrittenFileReadsBack)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(HostPresetFiles::writeTfx(folder / "i.tfx", chunk, false), 0);
    ChunkBuffer read;
    EXPECT_EQ(HostPresetFiles::scanTfx(folder / "i.tfx", read), 0x84u);
    ASSERT_EQ(HostPresetFiles::readTfx(folder / "i.tfx", read), 3);
    EXPECT_EQ(bytesOf(read), bytesOf(chunk));
    EXPECT_EQ(inflateToString(read), samplePatchText());

    ASSERT_EQ(HostPresetFiles::writeTfx(folder / "f.tfx", chunk, true), 0);
    EXPECT_EQ(HostPresetFiles::scanTfx(folder / "f.tfx", read), 0x44u);
}

TEST(HostPresetFiles, KeepsThePluginBlockWhenOtherBlocksFollow)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ByteVector file;
    appendBlock(file, "Vrlm", "Zen2", "midi", ByteVector(24, 1));
    appendBlock(file, "Vrlm", "Zen2", "All ", bytesOf(chunk));
    appendBlock(file, "Vrlm", "Zen2", "midi", ByteVector(100, 0xAB));
    appendBlock(file, "Othr", "Xyzw", "All ", ByteVector(40, 0xCD));
    writeFile(folder / "p.tfx", file);
    ChunkBuffer read;
    ASSERT_EQ(HostPresetFiles::readTfx(folder / "p.tfx", read), 3);
    EXPECT_EQ(bytesOf(read), bytesOf(chunk));
}

TEST(HostPresetFiles, EffectProductAliasIsAnEffect)
{
    TempFolder folder;
    ByteVector file;
    appendBlock(file, "Vrlm", "Ze2x", "All ", bytesOf(sampleChunk()));
    writeFile(folder / "p.tfx", file);
    ChunkBuffer read;
    EXPECT_EQ(HostPresetFiles::scanTfx(folder / "p.tfx", read), 0x44u);
}

TEST(HostPresetFiles, FilesWithoutAPluginBlockAreNotUsable)
{
    TempFolder folder;
    ChunkBuffer read;
    const ByteVector payload = bytesOf(sampleChunk());

    ByteVector onlyMidi;
    appendBlock(onlyMidi, "Vrlm", "Zen2", "midi", ByteVector(24, 1));
    writeFile(folder / "midi.tfx", onlyMidi);
    EXPECT_EQ(HostPresetFiles::scanTfx(folder / "midi.tfx", read), 0x204u);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "midi.tfx", read), -1);
    EXPECT_EQ(read.data, nullptr);

    ByteVector tooLarge;
    appendBlock(tooLarge, "Vrlm", "Zen2", "All ", ByteVector(20001 - 56, 7));
    writeFile(folder / "large.tfx", tooLarge);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "large.tfx", read), -1);

    writeFile(folder / "short.tfx", ByteVector(40, 0));
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "short.tfx", read), -1);

    ByteVector foreign;
    appendBlock(foreign, "Vrlm", "Abcd", "All ", payload);
    writeFile(folder / "foreign.tfx", foreign);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "foreign.tfx", read), -1);

    ByteVector truncated;
    appendBlock(truncated, "Vrlm", "Zen2", "All ", payload);
    truncated.resize(truncated.size() - 1);
    writeFile(folder / "truncated.tfx", truncated);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "truncated.tfx", read), -1);

    ByteVector empty;
    appendBlock(empty, "Vrlm", "Zen2", "All ", ByteVector());
    writeFile(folder / "empty.tfx", empty);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "empty.tfx", read), -1);

    ByteVector tinySize;
    appendBlock(tinySize, "Vrlm", "Zen2", "All ", payload, 12);
    writeFile(folder / "tiny.tfx", tinySize);
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "tiny.tfx", read), -1);

    EXPECT_EQ(HostPresetFiles::scanTfx(folder / "missing.tfx", read), 0x204u);
}

TEST(HostPresetFiles, ChunksTooLargeForABlockAreNotWritten)
{
    TempFolder folder;
    ChunkBuffer big;
    big.resize(20000 - 56 + 1);
    std::memset(big.data, 1, big.size);
    EXPECT_EQ(HostPresetFiles::writeTfx(folder / "p.tfx", big, false), 1);
    EXPECT_FALSE(fileExists(folder / "p.tfx"));
    big.size = 20000 - 56;
    EXPECT_EQ(HostPresetFiles::writeTfx(folder / "p.tfx", big, false), 0);
    ChunkBuffer read;
    EXPECT_EQ(HostPresetFiles::readTfx(folder / "p.tfx", read), 3);
    EXPECT_EQ(read.size, 20000u - 56);
}
