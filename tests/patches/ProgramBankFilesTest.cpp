#include "patches/PatchTypeBits.h"
#include "patches/ProgramBankFiles.h"
#include "patches/Version1Patch.h"

#include "tests/patches/PatchFileTestSupport.h"

using namespace patchtest;

TEST(ProgramBankFiles, ProgramFileLayoutIsExact)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "a.fxp", "Warm Pad", chunk, true), 0);
    const ByteVector file = readFile(folder / "a.fxp");

    ASSERT_EQ(file.size(), 60 + chunk.size);
    EXPECT_EQ(textAt(file, 0, 4), "CcnK");
    EXPECT_EQ(bigEndianAt(file, 4), chunk.size + 52);
    EXPECT_EQ(textAt(file, 8, 4), "FPCh");
    EXPECT_EQ(bigEndianAt(file, 12), 1u);
    EXPECT_EQ(textAt(file, 16, 4), "Z2FX");
    EXPECT_EQ(bigEndianAt(file, 20), 1u);
    EXPECT_EQ(bigEndianAt(file, 24), 155u);
    EXPECT_EQ(textAt(file, 28, 28), std::string("Warm Pad") + std::string(20, '\0'));
    EXPECT_EQ(bigEndianAt(file, 56), chunk.size);
    EXPECT_EQ(ByteVector(file.begin() + 60, file.end()), bytesOf(chunk));

    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "b.fxp", "Warm Pad", chunk, false), 0);
    EXPECT_EQ(textAt(readFile(folder / "b.fxp"), 16, 4), "Zen2");
}

TEST(ProgramBankFiles, NamesAreCutToTwentyEightBytes)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "long.fxp", "abcdefghijklmnopqrstuvwxyz0123", chunk, false), 0);
    EXPECT_EQ(textAt(readFile(folder / "long.fxp"), 28, 28), "abcdefghijklmnopqrstuvwxyz01");
    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "short.fxp", "Bass1", chunk, false), 0);
    EXPECT_EQ(textAt(readFile(folder / "short.fxp"), 28, 28), "Bass1" + std::string(23, '\0'));
}

TEST(ProgramBankFiles, ProgramFileReadsBackItsChunk)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    for (bool isEffect : {false, true})
    {
        ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "p.fxp", "P", chunk, isEffect), 0);
        ChunkBuffer read;
        ASSERT_EQ(ProgramBankFiles::readFxp(folder / "p.fxp", 0, read), 3);
        // The reader puts a counted zero after the chunk.
        ASSERT_EQ(read.size, chunk.size + 1);
        EXPECT_EQ(std::memcmp(read.data, chunk.data, chunk.size), 0);
        EXPECT_EQ(read.data[chunk.size], 0);
        EXPECT_EQ(inflateToString(read), samplePatchText());
    }
}

TEST(ProgramBankFiles, ChunkRunsToTheFileEndWhateverItsSizeField)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "p.fxp", "P", chunk, false), 0);
    ByteVector file = readFile(folder / "p.fxp");
    file[56] = 0x7F; // a chunk size far beyond the file
    writeFile(folder / "p.fxp", file);
    ChunkBuffer read;
    ASSERT_EQ(ProgramBankFiles::readFxp(folder / "p.fxp", 0, read), 3);
    EXPECT_EQ(inflateToString(read), samplePatchText());
}

TEST(ProgramBankFiles, ProgramFileWithoutChunkIsNotUsable)
{
    TempFolder folder;
    ASSERT_EQ(ProgramBankFiles::writeFxp(folder / "p.fxp", "P", sampleChunk(), false), 0);
    ByteVector file = readFile(folder / "p.fxp");
    file.resize(60);
    writeFile(folder / "p.fxp", file);
    ChunkBuffer read;
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "p.fxp", 0, read), -1);
    file.resize(20);
    writeFile(folder / "p.fxp", file);
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "p.fxp", 0, read), -1);
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "missing.fxp", 0, read), -1);
    EXPECT_EQ(ProgramBankFiles::readFxp(folder.path(), 0, read), -1); // a folder, not a file
}

TEST(ProgramBankFiles, EmptyChunkIsNotWritten)
{
    TempFolder folder;
    EXPECT_EQ(ProgramBankFiles::writeFxp(folder / "p.fxp", "P", ChunkBuffer(), false), 1);
    EXPECT_FALSE(fileExists(folder / "p.fxp"));
    EXPECT_EQ(ProgramBankFiles::writeFxp(folder / "no/such/p.fxp", "P", sampleChunk(), false), 1);
}

TEST(ProgramBankFiles, Version1ProgramGoesIntoTheRequestedSlot)
{
    TempFolder folder;
    ByteVector file;
    appendVersion1Program(file, "Old Strings", 4);
    writeFile(folder / "v1.fxp", file);

    ChunkBuffer bank;
    ASSERT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", 5, bank), 1);
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(bank, 5, &program));
    EXPECT_EQ(program.nameText(), "Old Strings");
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(program.values[i], version1Value(4, i));
    EXPECT_EQ(Version1Patch::programName(bank, 0), "Empty");

    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", 36, bank), -1);
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", -1, bank), -1);
}

TEST(ProgramBankFiles, Version1ValuesAreClampedAndNamesTerminated)
{
    TempFolder folder;
    ByteVector file;
    appendVersion1Program(file, std::string(28, 'N'), 0);
    // Values 0, 1 and 2 replaced by 1.7, -0.2 and a NaN.
    const float odd[] = {1.7f, -0.2f, std::nanf("")};
    for (int i = 0; i < 3; ++i)
    {
        ByteVector bits;
        appendFloatBigEndian(bits, odd[i]);
        std::copy(bits.begin(), bits.end(), file.begin() + 56 + 4 * i);
    }
    writeFile(folder / "v1.fxp", file);
    ChunkBuffer bank;
    ASSERT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", 0, bank), 1);
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(bank, 0, &program));
    EXPECT_EQ(program.values[0], 1.0f);
    EXPECT_EQ(program.values[1], 0.0f);
    EXPECT_EQ(program.values[2], 0.0f);
    EXPECT_EQ(program.nameText(), std::string(27, 'N'));
}

TEST(ProgramBankFiles, Version1ProgramNeedsAllItsValues)
{
    TempFolder folder;
    ByteVector file;
    appendVersion1Program(file, "Short", 0);
    file.resize(file.size() - 1);
    writeFile(folder / "v1.fxp", file);
    ChunkBuffer bank;
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", 0, bank), -1);

    file.clear();
    appendVersion1Program(file, "Wrong count", 0, 119);
    writeFile(folder / "v1.fxp", file);
    EXPECT_EQ(ProgramBankFiles::readFxp(folder / "v1.fxp", 0, bank), -1);
}

TEST(ProgramBankFiles, CurrentBankFileReadsItsChunk)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ByteVector file = currentBankFile(chunk);
    writeFile(folder / "bank.fxb", file);

    ChunkBuffer read;
    ASSERT_EQ(ProgramBankFiles::readFxb(folder / "bank.fxb", read), 2);
    EXPECT_EQ(inflateToString(read), samplePatchText());
    EXPECT_EQ(ProgramBankFiles::classifyFxb(folder / "bank.fxb"), 0x88u);

    // The effect identifier is not a bank this reader takes.
    std::memcpy(file.data() + 16, "Z2FX", 4);
    writeFile(folder / "fx.fxb", file);
    EXPECT_EQ(ProgramBankFiles::readFxb(folder / "fx.fxb", read), -1);
    EXPECT_EQ(ProgramBankFiles::classifyFxb(folder / "fx.fxb"), 0x48u);

    file.resize(160);
    std::memcpy(file.data() + 16, "Zen2", 4);
    writeFile(folder / "empty.fxb", file);
    EXPECT_EQ(ProgramBankFiles::readFxb(folder / "empty.fxb", read), -1);
    EXPECT_EQ(ProgramBankFiles::classifyFxb(folder / "empty.fxb"), 0x288u);
}

TEST(ProgramBankFiles, Version1BankFileFillsAllThirtySixSlots)
{
    TempFolder folder;
    writeFile(folder / "v1.fxb", version1BankFile());
    ChunkBuffer bank;
    ASSERT_EQ(ProgramBankFiles::readFxb(folder / "v1.fxb", bank), 0);
    ASSERT_TRUE(Version1Patch::isBank(bank));
    for (int p = 0; p < 36; ++p)
    {
        Version1Patch program;
        ASSERT_TRUE(Version1Patch::getProgram(bank, p, &program));
        EXPECT_EQ(program.nameText(), "Program " + std::to_string(p + 1));
        EXPECT_EQ(program.values[0], version1Value(p, 0));
        EXPECT_EQ(program.values[119], version1Value(p, 119));
    }
    EXPECT_EQ(ProgramBankFiles::classifyFxb(folder / "v1.fxb"), 0x28u);
}

TEST(ProgramBankFiles, Version1BankWithOneBadProgramIsNotUsable)
{
    TempFolder folder;
    writeFile(folder / "v1.fxb", version1BankFile(4));
    ChunkBuffer bank;
    EXPECT_EQ(ProgramBankFiles::readFxb(folder / "v1.fxb", bank), -1);
    EXPECT_EQ(bank.data, nullptr);

    ByteVector truncated = version1BankFile();
    truncated.resize(truncated.size() - 4);
    writeFile(folder / "cut.fxb", truncated);
    EXPECT_EQ(ProgramBankFiles::readFxb(folder / "cut.fxb", bank), -1);
    EXPECT_EQ(ProgramBankFiles::classifyFxb(folder / "cut.fxb"), 0x228u);
}

TEST(ProgramBankFiles, ClassifiesProgramFilesByHeader)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    ProgramBankFiles::writeFxp(folder / "inst.fxp", "I", chunk, false);
    ProgramBankFiles::writeFxp(folder / "fx.fxp", "F", chunk, true);
    ByteVector v1;
    appendVersion1Program(v1, "Old", 0);
    writeFile(folder / "v1.fxp", v1);
    ByteVector other = readFile(folder / "inst.fxp");
    std::memcpy(other.data() + 16, "Abcd", 4);
    writeFile(folder / "other.fxp", other);
    writeFile(folder / "text.fxp", std::string("just some text that is long enough\n"));
    writeFile(folder / "tiny.fxp", std::string("CcnK"));

    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "inst.fxp"), 0x82u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "fx.fxp"), 0x42u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "v1.fxp"), 0x22u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "other.fxp"), 0x2u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "text.fxp"), 0x202u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "tiny.fxp"), 0x202u);
    EXPECT_EQ(ProgramBankFiles::classifyFxp(folder / "missing.fxp"), 0x202u);
}
