#include "patches/PatchConfiguration.h"

#include "Source/patchtree/PatchTree.h"
#include "patches/PatchFileHandler.h"

#include "tests/patches/ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
class PatchConfigurationTest : public ::testing::Test
{
protected:
    std::unique_ptr<AcquiredConfiguration> read(const std::string& records, const Flavour& flavour = effectFlavour())
    {
        files.writeUserFile(records);
        return std::make_unique<AcquiredConfiguration>(flavour);
    }

    std::string configurationCache() const { return files.userFolder() + "/patchtree.bin"; }

    ConfigurationFiles files;
};

using PatchFolders = PatchConfigurationTest;
using PatchFormats = PatchConfigurationTest;
using PatchMemories = PatchConfigurationTest;
using PatchLibrary = PatchConfigurationTest;

// A program file in the instrument flavour whose chunk carries no uuid.
std::string writeProgram(const std::string& folder, const std::string& name)
{
    fs::create_directories(folder);
    ChunkBuffer chunk;
    chunk.assignCompressed("<zentrova version=\"2.0\" uuid=\"\"><patch name=\"" + name + "\"/></zentrova>");
    const std::string path = folder + "/" + name + ".fxp";
    EXPECT_EQ(PatchFileHandler::writeFxp(path, name, chunk, false), 0);
    return path;
}
} // namespace

TEST_F(PatchFolders, WithoutAFileBothFlavoursGetTheirDefaultFolders)
{
    for (const Flavour* flavour : {&effectFlavour(), &instrumentFlavour()})
    {
        AcquiredConfiguration configuration(*flavour);
        const std::string instrument = files.userFolder() + "/Patches/Instrument";
        const std::string effect = files.userFolder() + "/Patches/Effect";
        EXPECT_EQ(configuration->getInstPatchFolders(), "<folder name=\"\" path=\"" + instrument + "\"/>");
        EXPECT_EQ(configuration->getFxPatchFolders(), "<folder name=\"\" path=\"" + effect + "\"/>");
        EXPECT_TRUE(fs::is_directory(instrument));
        EXPECT_TRUE(fs::is_directory(effect));
        EXPECT_EQ(configuration->getDefaultSaveFolder(false), "Inst");
        EXPECT_EQ(configuration->getDefaultSaveFolder(true), "FX");
        EXPECT_EQ(configuration->getSnapshotFolder(false), "Inst/Snapshots");
        EXPECT_EQ(configuration->getSnapshotFolder(true), "FX/Snapshots");
        EXPECT_FALSE(configuration->getSharedFolders());
        EXPECT_EQ(configuration->getPatchMemory(0), configuration->isEffect() ? effect : instrument);
        configuration.release();
        fs::remove(files.userConfigFile());
    }
}

TEST_F(PatchFolders, AnInstalledLocalFolderIsUsedButNothingIsMadeInIt)
{
    const std::string installed = files.home() + "/share/Vorlix/Zentrova2";
    fs::create_directories(installed);
    AcquiredConfiguration configuration;
    EXPECT_EQ(configuration->getInstPatchFolders(),
              "<folder name=\"\" path=\"" + installed + "/Patches/Instrument\"/>");
    EXPECT_FALSE(fs::exists(installed + "/Patches"));
}

TEST_F(PatchFolders, OnlyTheOlderKeyMakesTheEffectSideFollowTheInstrumentSide)
{
    auto configuration = read("{Patch Folders}{<folder name=\"Factory\" path=\"/a\"/>}\n");
    EXPECT_EQ((*configuration)->getFxPatchFolders(), "");
    EXPECT_EQ((*configuration)->getDefaultSaveFolder(false), "/Factory");
    EXPECT_EQ((*configuration)->getDefaultSaveFolder(true), (*configuration)->getDefaultSaveFolder(false));
    EXPECT_EQ((*configuration)->getSnapshotFolder(true), (*configuration)->getSnapshotFolder(false));
    EXPECT_EQ((*configuration)->getSnapshotFolder(false), "/Factory/Snapshots");
}

TEST_F(PatchFolders, AFolderNamedUserIsWhereNewPatchesGo)
{
    auto configuration = read("{Inst Patch Folders}{<folder name=\"Factory\" path=\"/f\"/>"
                              "<folder name=\"User\" path=\"/u\"/>}\n"
                              "{FX Patch Folders}{<folder name=\"Delays\" path=\"/d\"/><folder name=\"More\" path=\"/m\"/>}\n"
                              "{FX Snapshot Folder}{FX/Kept}\n");
    EXPECT_EQ((*configuration)->getDefaultSaveFolder(false), "Inst/User");
    EXPECT_EQ((*configuration)->getSnapshotFolder(false), "Inst/User/Snapshots");
    EXPECT_EQ((*configuration)->getDefaultSaveFolder(true), "FX/Delays");
    EXPECT_EQ((*configuration)->getSnapshotFolder(true), "FX/Kept") << "a stored address is kept";
}

TEST_F(PatchFolders, DefaultFolderNameOfListsThatDoNotParseIsEmpty)
{
    EXPECT_EQ(PatchConfiguration::defaultFolderName(""), "");
    EXPECT_EQ(PatchConfiguration::defaultFolderName("<folder name=\"A\""), "");
    EXPECT_EQ(PatchConfiguration::defaultFolderName("<foldergroup name=\"G\"/>"), "");
    EXPECT_EQ(PatchConfiguration::defaultFolderName("<folder path=\"/x\"/><folder name=\"B\"/>"), "");
    EXPECT_EQ(PatchConfiguration::defaultFolderName("<folder name=\"A &amp; B\"/>"), "A & B");
}

TEST_F(PatchFolders, HomeFolderIsWrittenAsTildeAndReadBack)
{
    const std::string home = files.home();
    fs::create_directories(home + "/mine");
    const std::string list = "<folder name=\"Mine\" path=\"" + home + "/mine\"/><folder name=\"H\" path=\"" + home +
                             "\"/><folder name=\"Not\" path=\"" + home + "work/x\"/>";
    auto configuration = read("{Inst Patch Folders}{" + list + "}\n");
    ASSERT_EQ((*configuration)->getInstPatchFolders(), list);
    const std::string path = files.home() + "/written.sup";
    ASSERT_EQ((*configuration)->save(path), Configuration::kFileDone);
    EXPECT_NE(readTextFile(path).find("{Inst Patch Folders}{<folder name=\"Mine\" path=\"~/mine\"/>"
                                      "<folder name=\"H\" path=\"~\"/><folder name=\"Not\" path=\"" +
                                      home + "work/x\"/>}"),
              std::string::npos)
        << readTextFile(path);
    EXPECT_EQ((*configuration)->getInstPatchFolders(), list) << "the configuration keeps full paths";
    configuration.reset();

    AcquiredConfiguration again;
    EXPECT_EQ(again->getInstPatchFolders(), list);
}

TEST_F(PatchFolders, HomeAbbreviationStopsAtComponentsAndOnAnEmptyHome)
{
    const std::string list = "<folder path=\"/home/ann/x\"/><folder path=\"/home/anna/y\"/><folder path=\"/home/ann\"/>";
    EXPECT_EQ(PatchConfiguration::abbreviateHome(list, "/home/ann/"),
              "<folder path=\"~/x\"/><folder path=\"/home/anna/y\"/><folder path=\"~\"/>");
    EXPECT_EQ(PatchConfiguration::abbreviateHome(list, ""), list);
    EXPECT_EQ(PatchConfiguration::abbreviateHome(list, "/"), list);
    // A home that its own abbreviation matches again: one pass, no loop.
    EXPECT_EQ(PatchConfiguration::abbreviateHome("<folder path=\"~/x\"/>", "~"), "<folder path=\"~/x\"/>");
    EXPECT_EQ(PatchConfiguration::expandHome("<folder path=\"~/x\"/><folder path=\"~\"/><folder path=\"~x\"/>",
                                             "/home/ann"),
              "<folder path=\"/home/ann/x\"/><folder path=\"/home/ann\"/><folder path=\"~x\"/>");
    EXPECT_EQ(PatchConfiguration::expandHome("<folder path=\"~/x\"/>", ""), "<folder path=\"~/x\"/>");
}

TEST_F(PatchFormats, FormatFlagsCarryTheFlavourBit)
{
    const std::string records = "{Patch Format}{AU+VST}\n";
    auto effect = read(records);
    EXPECT_EQ((*effect)->getPatchFormatFlags(), 0x43);
    effect.reset();
    auto instrument = read(records, instrumentFlavour());
    EXPECT_EQ((*instrument)->getPatchFormatFlags(), 0x83);
    instrument.reset();

    fs::remove(files.userConfigFile());
    AcquiredConfiguration defaults(instrumentFlavour());
    EXPECT_EQ(defaults->getPatchFormatFlags(), 0x82);
}

TEST_F(PatchMemories, EachFlavourHasItsOwnEightMemories)
{
    const std::string records = "{Inst Patch Folders}{<folder name=\"I\" path=\"/i\"/>}\n"
                                "{FX Patch Folders}{<folder name=\"F\" path=\"/f\"/>}\n"
                                "{Inst Patch Memories}{Inst#a;Inst#b;}\n{FX Patch Memories}{FX#c;FX#d;}\n";
    auto effect = read(records);
    EXPECT_EQ((*effect)->getPatchMemory(1), "FX#d");
    EXPECT_TRUE((*effect)->setPatchMemory(7, "FX/Bank#last"));
    EXPECT_EQ((*effect)->getPatchMemory(7), "FX/Bank#last");
    EXPECT_FALSE((*effect)->setPatchMemory(8, "x"));
    EXPECT_FALSE((*effect)->setPatchMemory(-1, "x"));
    effect.reset();

    AcquiredConfiguration instrument(instrumentFlavour());
    EXPECT_EQ(instrument->getPatchMemory(1), "Inst#b");
    EXPECT_EQ(instrument->getPatchMemory(7), "");
}

TEST_F(PatchLibrary, TheFirstAcquisitionBuildsTheTreeFromTheFolders)
{
    writeProgram(files.userFolder() + "/Patches/Instrument/Pads", "Glass");
    AcquiredConfiguration configuration;
    PatchTree& tree = *configuration->getPatchTree();
    ASSERT_NE(tree.getPatchInfo("Inst/Pads/Glass"), nullptr);
    EXPECT_NE(tree.findNode("FX/"), nullptr);
    EXPECT_FALSE(tree.isFlatListing());
    EXPECT_EQ(configuration->getPatchTreeSettings().patchFormatFlags, 0x42u);
}

TEST_F(PatchLibrary, TheLastReleaseCachesTheTreeForTheNextConfiguration)
{
    const std::string glass = writeProgram(files.userFolder() + "/Patches/Instrument/Pads", "Glass");
    AcquiredConfiguration(instrumentFlavour()).release();
    ASSERT_TRUE(fs::exists(configurationCache()));

    // Damaged behind the cache's back, with its size and time kept: only a
    // rescan that reads the file again would drop the patch.
    const auto time = fs::last_write_time(glass);
    writeTextFile(glass, std::string(fs::file_size(glass), 'x'));
    fs::last_write_time(glass, time);
    AcquiredConfiguration configuration(instrumentFlavour());
    EXPECT_NE(configuration->getPatchTree()->getPatchInfo("Inst/Pads/Glass"), nullptr);
    // The instrument lists both flavours flat when it has effect folders.
    EXPECT_TRUE(configuration->getPatchTree()->isFlatListing());
}

TEST_F(PatchLibrary, OnlyTheOlderKeyMakesOneTreeForBothFlavours)
{
    const std::string folder = files.home() + "/Library";
    writeProgram(folder, "Glass");
    auto configuration = read("{Patch Folders}{<folder name=\"Factory\" path=\"" + folder + "\"/>}\n");
    PatchTree& tree = *(*configuration)->getPatchTree();
    EXPECT_EQ(tree.findNode("")->getName(), "All Patches");
    EXPECT_NE(tree.getPatchInfo("Glass"), nullptr);
}
