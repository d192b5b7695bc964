#include "Source/patchtree/PatchTree.h"
#include "Source/shared/Alerts.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include "tests/patches/PatchFileTestSupport.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>

using namespace patchtest;

namespace
{
class RecordingAlerts : public AlertHandler
{
public:
    RecordingAlerts() { setAlertHandler(this); }
    ~RecordingAlerts() override { setAlertHandler(nullptr); }
    void showAlert(const char* message, const char* informative) override
    {
        alerts.push_back(std::string(message) + "|" + informative);
    }
    std::vector<std::string> alerts;
};

std::set<std::string> filesIn(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.insert(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

std::string makeFolder(const TempFolder& temp, const std::string& name)
{
    const std::string path = temp / name;
    ::mkdir(path.c_str(), 0755);
    return path;
}
}

TEST(PatchFileHandler, LoadsByExtensionInAnyCase)
{
    TempFolder folder;
    PatchFileHandler handler;
    const ChunkBuffer chunk = sampleChunk();
    ASSERT_EQ(PatchFileHandler::writeFxp(folder / "A.FXP", "A", chunk, false), 0);
    ASSERT_EQ(PatchFileHandler::writeAupreset(folder / "B.AUPreset", "B", chunk, true), 0);
    ASSERT_EQ(PatchFileHandler::writeTfx(folder / "C.Tfx", chunk, false), 0);
    writeFile(folder / "D.fxb", version1BankFile());

    ChunkBuffer read;
    EXPECT_EQ(handler.loadPatch(folder / "A.FXP", read), 3);
    EXPECT_EQ(inflateToString(read), samplePatchText());
    EXPECT_EQ(handler.loadPatch(folder / "B.AUPreset", read), 3);
    EXPECT_EQ(inflateToString(read), samplePatchText());
    EXPECT_EQ(handler.loadPatch(folder / "C.Tfx", read), 3);
    EXPECT_EQ(inflateToString(read), samplePatchText());
    EXPECT_EQ(handler.loadPatch(folder / "D.fxb", read), 0);
    EXPECT_EQ(Version1Patch::programName(read, 1), "Program 2");

    EXPECT_EQ(handler.loadPatch("", read), -1);
    EXPECT_EQ(handler.loadPatch(folder / "noextension", read), -1);
    EXPECT_EQ(handler.loadPatch(folder / "A.txt", read), -1);
}

TEST(PatchFileHandler, DamagedPresetLoadsAsNotUsable)
{
    TempFolder folder;
    PatchFileHandler handler;
    writeFile(folder / "bad.aupreset", std::string("<plist><dict><key>data</key>"));
    ChunkBuffer read;
    EXPECT_EQ(handler.loadPatch(folder / "bad.aupreset", read), -1);
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder / "bad.aupreset"), 0x201u);
}

TEST(PatchFileHandler, PipesAndFoldersAreNotPatchFiles)
{
    TempFolder folder;
    PatchFileHandler handler;
    ASSERT_EQ(::mkfifo((folder / "pipe.fxp").c_str(), 0644), 0);
    ::mkdir((folder / "dir.tfx").c_str(), 0755);
    ChunkBuffer read;
    EXPECT_EQ(handler.loadPatch(folder / "pipe.fxp", read), -1); // returns at once, no writer needed
    EXPECT_EQ(handler.loadPatch(folder / "dir.tfx", read), -1);
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder / "pipe.fxp"), 0x202u);
}

TEST(PatchFileHandler, SavesOnlyTheRequiredFormatsAndRetiresTheOthers)
{
    TempFolder temp;
    RecordingAlerts alerts;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.aupreset", std::string("old au"));
    writeFile(folder + "/Pad.tfx", std::string("old tfx"));
    writeFile(folder + "/Other.tfx", std::string("other"));

    const int failures = handler.savePatch({{folder, 0x42}}, "Pad", sampleChunk(), 0x43, true, false);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(filesIn(folder),
              (std::set<std::string>{"Pad.fxp", "Pad.aupreset._bk", "Pad.tfx._bk", "Other.tfx"}));
    EXPECT_EQ(readText(folder + "/Pad.aupreset._bk"), "old au");
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Pad.fxp"), 0x42u);
    EXPECT_TRUE(alerts.alerts.empty());
}

TEST(PatchFileHandler, DeleteOriginalRemovesTheRetiredFiles)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.fxp", std::string("old fxp"));
    EXPECT_EQ(handler.savePatch({{folder, 0x85}}, "Pad", sampleChunk(), 0x87, false, true), 0);
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.aupreset", "Pad.tfx"}));
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Pad.aupreset"), 0x81u);
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Pad.tfx"), 0x84u);
}

TEST(PatchFileHandler, SavesIntoEveryFolderOfTheBank)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string first = makeFolder(temp, "one");
    const std::string second = makeFolder(temp, "two");
    EXPECT_EQ(handler.savePatch({{first, 0x82}, {second, 0x81}}, "Keys", sampleChunk(), 0x87, false, false), 0);
    EXPECT_EQ(filesIn(first), (std::set<std::string>{"Keys.fxp"}));
    EXPECT_EQ(filesIn(second), (std::set<std::string>{"Keys.aupreset"}));
}

TEST(PatchFileHandler, ReadOnlyFolderIsReportedAndSkipped)
{
    TempFolder temp;
    RecordingAlerts alerts;
    PatchFileHandler handler;
    const std::string locked = makeFolder(temp, "locked");
    const std::string open = makeFolder(temp, "open");
    writeFile(locked + "/Pad.aupreset", std::string("old"));
    ::chmod(locked.c_str(), 0555);
    if (::geteuid() == 0)
        GTEST_SKIP() << "mode bits do not stop the superuser's writes";

    EXPECT_EQ(handler.savePatch({{locked, 0x43}, {open, 0x42}}, "Pad", sampleChunk(), 0x43, true, true), 2)
        << "the two files the locked folder should hold are not written";
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0], "Folder Permissions Error|You do not have write access to the folder " + locked +
                                    "\nCould not write " + locked + "/Pad.fxp: " + std::strerror(EACCES) +
                                    "\n1 other file could not be written either\n");
    EXPECT_EQ(filesIn(locked), (std::set<std::string>{"Pad.aupreset"}));
    EXPECT_EQ(filesIn(open), (std::set<std::string>{"Pad.fxp"}));
}

TEST(PatchFileHandler, AFolderThatTakesNoFileIsReportedOnceWithTheFileAndWhy)
{
    TempFolder temp;
    RecordingAlerts alerts;
    PatchFileHandler handler;
    // A plain file where the folder should be stops the superuser too.
    const std::string notAFolder = temp / "bank";
    writeFile(notAFolder, std::string("x"));

    EXPECT_EQ(handler.savePatch({{notAFolder, 0x47}}, "Pad", sampleChunk(), 0x47, false, false), 3);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0], "Patch Save Error|Could not write " + notAFolder + "/Pad.fxp: " +
                                    std::strerror(ENOTDIR) + "\n2 other files could not be written either\n");
}

TEST(PatchFileHandler, ReadOnlyFileIsReportedAndNothingIsRetired)
{
    TempFolder temp;
    RecordingAlerts alerts;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.fxp", std::string("kept"));
    writeFile(folder + "/Pad.tfx", std::string("old tfx"));
    ::chmod((folder + "/Pad.fxp").c_str(), 0444);

    EXPECT_EQ(handler.savePatch({{folder, 0x43}}, "Pad", sampleChunk(), 0x43, true, true), 1);
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0], "File Permissions Error|You do not have write access to the file " + folder +
                                    "/Pad.fxp\n");
    EXPECT_EQ(readText(folder + "/Pad.fxp"), "kept");
    // The patch did not reach every wanted format, so the old one stays.
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.fxp", "Pad.aupreset", "Pad.tfx"}));
}

TEST(PatchFileHandler, FailedWriteKeepsTheOriginalAndCounts)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.aupreset", std::string("the only copy"));
    // A folder where the new file should go makes its write fail.
    ::mkdir((folder + "/Pad.fxp").c_str(), 0755);

    EXPECT_EQ(handler.savePatch({{folder, 0x42}}, "Pad", sampleChunk(), 0x43, true, true), 1);
    EXPECT_EQ(readText(folder + "/Pad.aupreset"), "the only copy");
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.aupreset", "Pad.fxp"}));

    // An empty chunk writes nothing and retires nothing.
    ::rmdir((folder + "/Pad.fxp").c_str());
    EXPECT_EQ(handler.savePatch({{folder, 0x42}}, "Pad", ChunkBuffer(), 0x43, true, true), 1);
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.aupreset"}));

    // A folder that does not exist counts its files as failed.
    EXPECT_EQ(handler.savePatch({{temp / "missing", 0x47}}, "Pad", sampleChunk(), 0x47, true, false), 3);
}

TEST(PatchFileHandler, ReplacingAFileLeavesNoTemporary)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.fxp", std::string("old"));
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, "Pad", sampleChunk(), 0x83, false, false), 0);
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.fxp"}));
    ChunkBuffer read;
    EXPECT_EQ(handler.loadPatch(folder + "/Pad.fxp", read), 3);
}

TEST(PatchFileHandler, NothingToWriteRetiresNothing)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    writeFile(folder + "/Pad.fxp", std::string("old"));
    EXPECT_EQ(handler.savePatch({{folder, 0x40}}, "Pad", sampleChunk(), 0x43, true, true), 1)
        << "the patch went nowhere";
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"Pad.fxp"}));
    EXPECT_EQ(handler.savePatch({}, "Pad", sampleChunk(), 0x43, true, true), 1);
}

TEST(PatchFileHandler, AFailureInOneFolderRetiresNothingInTheOthers)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string blocked = makeFolder(temp, "one");
    const std::string open = makeFolder(temp, "two");
    ::mkdir((blocked + "/Pad.fxp").c_str(), 0755); // a folder where the new file should go
    writeFile(open + "/Pad.aupreset", std::string("the only copy"));

    EXPECT_EQ(handler.savePatch({{blocked, 0x42}, {open, 0x42}}, "Pad", sampleChunk(), 0x43, true, true), 1);
    EXPECT_EQ(filesIn(open), (std::set<std::string>{"Pad.aupreset", "Pad.fxp"}));
    EXPECT_EQ(readText(open + "/Pad.aupreset"), "the only copy");
}

TEST(PatchFileHandler, NamesCannotLeaveTheFolder)
{
    TempFolder temp;
    PatchFileHandler handler;
    const std::string folder = makeFolder(temp, "bank");
    const ChunkBuffer chunk = sampleChunk();
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, "../escape", chunk, 0x83, false, false), 0);
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, "..", chunk, 0x83, false, false), 0);
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, "a/b\x01\n", chunk, 0x83, false, false), 0);
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, "", chunk, 0x83, false, false), 0);
    EXPECT_EQ(filesIn(temp.path()).count("escape.fxp"), 0u);
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"_._escape.fxp", "_..fxp", "a_b__.fxp", "Empty.fxp"}));

    // A long name is cut below the file-name limit without splitting a character.
    std::string longName;
    for (int i = 0; i < 150; ++i)
        longName += "\xC3\xA9"; // 300 bytes of "é"
    EXPECT_EQ(handler.savePatch({{folder, 0x82}}, longName, chunk, 0x83, false, false), 0);
    EXPECT_EQ(filesIn(folder).count(longName.substr(0, 200) + ".fxp"), 1u);
}

TEST(PatchFileHandler, ClassifiesEveryKind)
{
    TempFolder folder;
    const ChunkBuffer chunk = sampleChunk();
    PatchFileHandler::writeFxp(folder / "inst.fxp", "I", chunk, false);
    PatchFileHandler::writeFxp(folder / "fx.fxp", "F", chunk, true);
    PatchFileHandler::writeAupreset(folder / "inst.aupreset", "I", chunk, false);
    PatchFileHandler::writeAupreset(folder / "fx.aupreset", "F", chunk, true);
    PatchFileHandler::writeTfx(folder / "inst.tfx", chunk, false);
    PatchFileHandler::writeTfx(folder / "fx.tfx", chunk, true);
    writeFile(folder / "v1.fxb", version1BankFile());
    ByteVector v1;
    appendVersion1Program(v1, "Old", 0);
    writeFile(folder / "v1.fxp", v1);
    writeFile(folder / "text.fxp", std::string("plain text, not a program file at all"));
    writeFile(folder / "text.fxb", std::string("plain text"));
    writeFile(folder / "text.aupreset", std::string("plain text"));
    writeFile(folder / "text.tfx", std::string("plain text"));
    writeFile(folder / "text.pst", std::string("plain text"));
    writeFile(folder / "text.txt", std::string("plain text"));

    const std::pair<const char*, std::uint32_t> expected[] = {
        {"inst.fxp", 0x82},     {"fx.fxp", 0x42},     {"inst.aupreset", 0x81}, {"fx.aupreset", 0x41},
        {"inst.tfx", 0x84},     {"fx.tfx", 0x44},     {"v1.fxb", 0x28},        {"v1.fxp", 0x22},
        {"text.fxp", 0x202},    {"text.fxb", 0x208},  {"text.aupreset", 0x201}, {"text.tfx", 0x204},
        {"text.pst", 0x210},    {"text.txt", 0},      {"missing.fxp", 0x202},
    };
    for (const auto& e : expected)
        EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder / e.first), e.second) << e.first;
}

TEST(PatchFileHandler, PermissionsFollowTheModeBits)
{
    TempFolder folder;
    writeFile(folder / "f", std::string("x"));
    ::chmod((folder / "f").c_str(), 0644);
    EXPECT_TRUE(PatchFileHandler::isWritable(folder / "f"));
    EXPECT_FALSE(PatchFileHandler::isReadOnly(folder / "f"));
    ::chmod((folder / "f").c_str(), 0444);
    EXPECT_FALSE(PatchFileHandler::isWritable(folder / "f"));
    EXPECT_TRUE(PatchFileHandler::isReadOnly(folder / "f"));
    // The group's write bit counts for a member of the file's group.
    ::chmod((folder / "f").c_str(), 0464);
    EXPECT_TRUE(PatchFileHandler::isWritable(folder / "f"));
    EXPECT_FALSE(PatchFileHandler::isWritable(folder / "missing"));
    EXPECT_FALSE(PatchFileHandler::isReadOnly(folder / "missing"));
}

TEST(PatchFileHandler, ExtensionIsLoweredFromTheLastDot)
{
    EXPECT_EQ(PatchFileHandler::extensionOf("/a/b/Pad.FxP"), ".fxp");
    EXPECT_EQ(PatchFileHandler::extensionOf("/a.b/Pad"), ".b/pad");
    EXPECT_EQ(PatchFileHandler::extensionOf("Pad"), "");
}

TEST(PatchFileHandler, IssuesTextNamesTheNodeItsPathAndItsIssuesInOrder)
{
    TempFolder temp;
    const std::string lib = makeFolder(temp, "Lib");
    const std::string pads = lib + "/Pads";
    ::mkdir(pads.c_str(), 0755);
    // An AU preset in a VST-only tree: 0x1 and 0x2000.
    ASSERT_EQ(PatchFileHandler::writeAupreset(pads + "/Lead 1.aupreset", "Lead 1", sampleChunk(), false), 0);
    PatchTreeSettings settings;
    settings.instrumentFolders = "<folder name=\"Lib\" path=\"" + lib + "\"/>";
    settings.effectFolders = "<folder name=\"Fx\" path=\"" + makeFolder(temp, "Fx") + "\"/>";
    PatchTree tree(settings);
    tree.rebuild(false);

    std::vector<std::string> lines{"left over"};
    PatchFileHandler::describeIssues(lines, tree, "Inst/Pads/Lead 1");
    EXPECT_EQ(lines, (std::vector<std::string>{"Patch: Lead 1", "Path:", "  Inst", "    Pads", "      Lead 1", "Issues:",
                                               "  aupreset in wrong tree", "  fxp file missing from tree"}));
    PatchFileHandler::describeIssues(lines, tree, "Inst/Pads/");
    EXPECT_EQ(lines[0], "Bank: Pads");
    EXPECT_EQ(lines.size(), 7u);
    PatchFileHandler::describeIssues(lines, tree, "Inst/Nothing/");
    EXPECT_TRUE(lines.empty());
}
