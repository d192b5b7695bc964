#include "patches/PstFiles.h"
#include "patches/Version1Patch.h"

#include "tests/patches/PatchFileTestSupport.h"

#include <set>

using namespace patchtest;

TEST(Version1Patch, NewRecordIsEmptyAndSilent)
{
    const Version1Patch program;
    EXPECT_EQ(program.nameText(), "Empty");
    for (float value : program.values)
        EXPECT_EQ(value, 0.0f);
}

TEST(Version1Patch, BankSlotsHoldTheirPrograms)
{
    ChunkBuffer bank;
    Version1Patch::makeBank(bank);
    ASSERT_TRUE(Version1Patch::isBank(bank));
    EXPECT_EQ(bank.size, 36 * (28 + 4 * 120u));
    Version1Patch program;
    std::strcpy(program.name, "Brass");
    program.values[0] = 0.25f;
    program.values[119] = 0.75f;
    ASSERT_TRUE(Version1Patch::storeProgram(bank, 35, program));
    EXPECT_FALSE(Version1Patch::storeProgram(bank, 36, program));
    EXPECT_FALSE(Version1Patch::storeProgram(bank, -1, program));

    Version1Patch read;
    ASSERT_TRUE(Version1Patch::getProgram(bank, 35, &read));
    EXPECT_EQ(read.nameText(), "Brass");
    EXPECT_EQ(read.values[0], 0.25f);
    EXPECT_EQ(read.values[119], 0.75f);
    EXPECT_EQ(Version1Patch::programName(bank, 34), "Empty");
    EXPECT_EQ(Version1Patch::programName(bank, 36), "");
    EXPECT_FALSE(Version1Patch::getProgram(bank, 36, &read));

    ChunkBuffer notABank(bank.data, 100);
    EXPECT_FALSE(Version1Patch::getProgram(notABank, 0, &read));
}

TEST(Version1Patch, BothByteOrdersGiveTheSameProgram)
{
    TempFolder folder;
    writeFile(folder / "be.pst", pstFile(true, "Sync Lead"));
    writeFile(folder / "le.pst", pstFile(false, "Sync Lead"));
    writeFile(folder / "le2.pst", pstFile(false, "Sync Lead", 532, true));

    ByteVector first;
    for (const char* name : {"be.pst", "le.pst", "le2.pst"})
    {
        ChunkBuffer bank;
        ASSERT_EQ(PstFiles::readPst(folder / name, bank), 1) << name;
        EXPECT_TRUE(PstFiles::hasPstHeader(folder / name));
        Version1Patch program;
        ASSERT_TRUE(Version1Patch::getProgram(bank, 0, &program));
        EXPECT_EQ(program.nameText(), "Sync Lead");
        for (int i = 0; i < 120; ++i)
            EXPECT_EQ(program.values[i], version1Value(9, i)) << name << " " << i;
        if (first.empty())
            first = bytesOf(bank);
        else
            EXPECT_EQ(bytesOf(bank), first);
    }
}

TEST(Version1Patch, WrongProgramFilesAreNotUsable)
{
    TempFolder folder;
    ChunkBuffer bank;
    writeFile(folder / "size.pst", pstFile(true, "X", 533));
    EXPECT_EQ(PstFiles::readPst(folder / "size.pst", bank), -1);
    EXPECT_FALSE(PstFiles::hasPstHeader(folder / "size.pst"));

    ByteVector cut = pstFile(false, "X");
    cut.resize(cut.size() - 1);
    writeFile(folder / "cut.pst", cut);
    EXPECT_EQ(PstFiles::readPst(folder / "cut.pst", bank), -1);
    EXPECT_FALSE(PstFiles::hasPstHeader(folder / "cut.pst"));

    ByteVector code = pstFile(true, "X");
    code[35] = 'g';
    writeFile(folder / "code.pst", code);
    EXPECT_EQ(PstFiles::readPst(folder / "code.pst", bank), -1);

    ByteVector identifier = pstFile(false, "X");
    identifier[40] = 'Q';
    writeFile(folder / "id.pst", identifier);
    EXPECT_EQ(PstFiles::readPst(folder / "id.pst", bank), -1);
    EXPECT_EQ(PstFiles::readPst(folder / "missing.pst", bank), -1);
    EXPECT_EQ(bank.data, nullptr);
}

TEST(Version1Patch, ProgramFileNamesAndValuesAreMadeSafe)
{
    TempFolder folder;
    ByteVector file = pstFile(true, std::string(28, 'Z'));
    const float nan = std::nanf("");
    std::uint32_t bits;
    std::memcpy(&bits, &nan, 4);
    ByteVector word;
    appendBigEndian32(word, bits);
    std::copy(word.begin(), word.end(), file.begin() + 48);
    writeFile(folder / "p.pst", file);
    ChunkBuffer bank;
    ASSERT_EQ(PstFiles::readPst(folder / "p.pst", bank), 1);
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(bank, 0, &program));
    EXPECT_EQ(program.nameText(), std::string(27, 'Z'));
    EXPECT_EQ(program.values[0], 0.0f);
}

TEST(Version1Patch, AuBankDataNeedsAllRecords)
{
    ChunkBuffer data;
    data.resize(kVersion1AuBankSize - 1);
    std::memset(data.data, 0, data.size);
    EXPECT_FALSE(convertVersion1AuBank(data));
    EXPECT_EQ(data.data, nullptr);

    data.resize(kVersion1AuBankSize);
    std::memset(data.data, 0, data.size);
    std::memcpy(data.data + 544, "Second", 6);
    // An out-of-range value is clamped like those of the other version-1 files.
    const float loud = 3.5f;
    std::uint32_t bits;
    std::memcpy(&bits, &loud, 4);
    ByteVector word;
    appendBigEndian32(word, bits);
    std::copy(word.begin(), word.end(), data.data + 64);
    ASSERT_TRUE(convertVersion1AuBank(data));
    EXPECT_EQ(Version1Patch::programName(data, 0), "");
    EXPECT_EQ(Version1Patch::programName(data, 1), "Second");
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(data, 0, &program));
    EXPECT_EQ(program.values[0], 1.0f);
}

TEST(Version1Patch, BankFileNamesAreSafeAndDistinct)
{
    ChunkBuffer bank;
    Version1Patch::makeBank(bank);
    const char* names[] = {"", "", "Bass", "Bass", "../../etc/x", "a/b", "Tab\there", ".hidden", "Empty"};
    for (int slot = 0; slot < 9; ++slot)
    {
        Version1Patch program;
        std::strcpy(program.name, names[slot]);
        Version1Patch::storeProgram(bank, slot, program);
    }
    const std::vector<std::string> fileNames = Version1Patch::uniqueProgramFileNames(bank);
    ASSERT_EQ(fileNames.size(), 36u);
    EXPECT_EQ(fileNames[0], "Empty");
    EXPECT_EQ(fileNames[1], "Empty(01)");
    EXPECT_EQ(fileNames[2], "Bass");
    EXPECT_EQ(fileNames[3], "Bass(01)");
    EXPECT_EQ(fileNames[4], "_._.._etc_x");
    EXPECT_EQ(fileNames[5], "a_b");
    EXPECT_EQ(fileNames[6], "Tab_here");
    EXPECT_EQ(fileNames[7], "_hidden");
    EXPECT_EQ(fileNames[8], "Empty(02)");
    EXPECT_EQ(fileNames[9], "Empty(03)");
    EXPECT_EQ(fileNames[35], "Empty(29)");
    std::set<std::string> distinct(fileNames.begin(), fileNames.end());
    EXPECT_EQ(distinct.size(), 36u);
}
