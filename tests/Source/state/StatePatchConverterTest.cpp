// Library conversions over a patch state of their own: version-1 banks and
// programs saved as current patch files, and patches renamed.

#include "Source/patchtree/PatchTree.h"
#include "Source/state/StatePatchConverter.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"
#include "tests/Source/patchtree/PatchLibraryTestSupport.h"
#include "tests/patches/PatchFileTestSupport.h"
#include "tests/support/QuietStateOwner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace
{
constexpr std::uint32_t kFormats = kFileTypeFxp | kFileTypeEffect;

void nameProgram(ChunkBuffer& bank, int slot, const char* name)
{
    Version1Patch program;
    ASSERT_TRUE(Version1Patch::getProgram(bank, slot, &program));
    std::memset(program.name, 0, sizeof program.name);
    std::strncpy(program.name, name, sizeof program.name - 1);
    ASSERT_TRUE(Version1Patch::storeProgram(bank, slot, program));
}

// The names of the program files in folder.
std::set<std::string> patchFiles(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        if (file.path().extension() == ".fxp")
            names.insert(file.path().filename().string());
    return names;
}

std::string patchName(const std::string& path)
{
    ChunkBuffer chunk;
    PatchFileHandler().loadPatch(path, chunk);
    const std::string text = inflateToString(chunk);
    const std::size_t start = text.find("<patch name=\"");
    return start == std::string::npos ? std::string() : text.substr(start + 13, text.find('"', start + 13) - start - 13);
}
} // namespace

TEST(StatePatchConverter, ABankBecomes36PatchFilesNoneOverwritingAnother)
{
    patchtest::TempFolder folder;
    QuietStateOwner owner;
    StatePatchConverter converter(&owner);
    ChunkBuffer bank;
    Version1Patch::makeBank(bank);
    nameProgram(bank, 0, "Bass");
    nameProgram(bank, 2, "");
    nameProgram(bank, 5, "");
    ASSERT_TRUE(converter.convertBank(bank, {BankFolder{folder.path(), kFormats}}, kFormats));
    const std::set<std::string> files = patchFiles(folder.path());
    EXPECT_EQ(files.size(), 36u) << "unnamed programs share the name Empty, not the file";
    EXPECT_EQ(files.count("Bass.fxp"), 1u);
    EXPECT_EQ(files.count("Empty.fxp"), 1u);
    EXPECT_EQ(files.count("Empty(01).fxp"), 1u);
    EXPECT_EQ(patchName(folder / "Bass.fxp"), "Bass");

    ChunkBuffer notABank;
    notABank.copyFrom("xyz", 3);
    EXPECT_FALSE(converter.convertBank(notABank, {BankFolder{folder.path(), kFormats}}, kFormats));
}

TEST(StatePatchConverter, ASingleProgramTakesTheFirstNameTheBankHasNot)
{
    patchtest::TempFolder folder;
    const std::string bankFolder = librarytest::makeFolder(folder / "Bank");
    librarytest::writePatch(bankFolder, "Bass", librarytest::Format::Fxp, true);
    librarytest::writePatch(bankFolder, "Bass(02)", librarytest::Format::Fxp, true);
    PatchTree tree(librarytest::settings(librarytest::folderXml(bankFolder)));
    tree.rebuild(true);
    const auto bank = std::dynamic_pointer_cast<PatchTreeBranch>(tree.findNode(""));
    ASSERT_NE(bank, nullptr);

    QuietStateOwner owner;
    StatePatchConverter converter(&owner);
    ChunkBuffer data;
    Version1Patch::makeBank(data);
    nameProgram(data, 0, "Bass");
    ASSERT_TRUE(converter.convertSinglePatch(data, *bank, kFormats));
    EXPECT_TRUE(std::filesystem::exists(bankFolder + "/Bass(03).fxp"));
    EXPECT_EQ(patchName(bankFolder + "/Bass(03).fxp"), "Bass(03)");

    nameProgram(data, 0, "");
    ASSERT_TRUE(converter.convertSinglePatch(data, *bank, kFormats));
    EXPECT_TRUE(std::filesystem::exists(bankFolder + "/Empty.fxp"));
}

TEST(StatePatchConverter, RenamingRewritesAPatchAsAProgramChunk)
{
    QuietStateOwner owner;
    StatePatchConverter converter(&owner);
    ChunkBuffer chunk;
    chunk.assignCompressed("<zentrova version=\"609\" uuid=\"" + librarytest::newUuid() +
                           "\"><status selected_bank=\"B/\" selected_patch=\"B/Old\" />"
                           "<patch name=\"Old\"><parameter name=\"FilterType\" value=\"Hi Pass\" /></patch></zentrova>");
    ASSERT_TRUE(converter.renamePatch(chunk, "New"));
    const std::string text = inflateToString(chunk);
    EXPECT_NE(text.find("<patch name=\"New\">"), std::string::npos) << text.substr(0, 200);
    EXPECT_EQ(text.find("<status"), std::string::npos);
    EXPECT_NE(text.find("value=\"Hi Pass\""), std::string::npos);

    ChunkBuffer broken;
    broken.assignCompressed("<nothing/>");
    EXPECT_FALSE(converter.renamePatch(broken, "New"));
}
