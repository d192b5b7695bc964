#include "Source/patchtree/PatchConverter.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/shared/Alerts.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include "tests/Source/patchtree/PatchLibraryTestSupport.h"

using namespace librarytest;

namespace
{
std::string uuidOf(const ChunkBuffer& chunk)
{
    const std::string text = inflateToString(chunk);
    const std::size_t at = text.find("uuid=\"");
    return at == std::string::npos ? std::string() : text.substr(at + 6, 36);
}

// Stands in for the patch state: writes small patch documents.
class FakeConverter : public PatchConverter
{
public:
    bool renamePatch(ChunkBuffer& chunk, const std::string& name) override
    {
        ++renamed;
        if (fail)
            return false;
        chunk = patchChunk(name, uuidOf(chunk));
        return true;
    }

    bool convertSinglePatch(const ChunkBuffer& data, const PatchTreeBranch& bank, std::uint32_t flags) override
    {
        if (fail)
            return false;
        const std::string base = Version1Patch::programName(data, 0);
        std::string name = base;
        for (int n = 2; PatchTree::patchNameExists(bank, name); ++n)
            name = base + "(" + (n < 10 ? "0" : "") + std::to_string(n) + ")";
        return save(bank.getBankInfo().folders, name, flags);
    }

    bool convertBank(const ChunkBuffer& bank, const std::vector<BankFolder>& folders, std::uint32_t flags) override
    {
        if (fail)
            return false;
        for (const std::string& name : Version1Patch::uniqueProgramFileNames(bank))
            if (!save(folders, name, flags))
                return false;
        return true;
    }

    bool fail = false;
    int renamed = 0;

private:
    static bool save(const std::vector<BankFolder>& folders, const std::string& name, std::uint32_t flags)
    {
        return PatchFileHandler().savePatch(folders, name, patchChunk(name, newUuid()), flags,
                                            (flags & kFileTypeEffect) != 0, false) == 0;
    }
};

class AnsweringAlerts : public AlertHandler
{
public:
    explicit AnsweringAlerts(int answer) : m_answer(answer) { setAlertHandler(this); }
    ~AnsweringAlerts() override { setAlertHandler(nullptr); }
    int askSkipStop(const char* title, const char* message) override
    {
        questions.push_back(std::string(title) + "|" + message);
        return m_answer;
    }
    std::vector<std::string> questions;

private:
    int m_answer;
};

constexpr std::uint32_t kVstEffect = kFileTypeFxp | kFileTypeEffect;
}

TEST(PatchTreeConversion, PatchGetsTheRequiredFormatAndTheOldFileIsKept)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string uuid = newUuid();
    writePatch(folder, "Pad", Format::Aupreset, true, uuid);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    ASSERT_EQ(issuesAt(tree, "Pad"), kIssueAupresetNotRequired | kIssueFxpMissing);

    FakeConverter converter;
    tree.convertAt("Pad", kVstEffect, &converter);

    EXPECT_TRUE(exists(folder + "/Pad.fxp"));
    EXPECT_TRUE(exists(folder + "/Pad.aupreset._bk"));
    EXPECT_FALSE(exists(folder + "/Pad.aupreset"));
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(folder + "/Pad.fxp"), kVstEffect);
    // The tree holds the converted file.
    const PatchInfoPointer pad = tree.getPatchInfo("Pad");
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->files, (std::vector<std::string>{folder + "/Pad.fxp"}));
    EXPECT_EQ(uuidToString(pad->uuid), uuid);
    EXPECT_EQ(issuesAt(tree, "Pad"), 0u);
    EXPECT_EQ(issuesAt(tree, ""), 0u);
}

TEST(PatchTreeConversion, DeleteOriginalRemovesTheConvertedFile)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Pad", Format::Aupreset, true);
    PatchTreeSettings deleting = settings(folderXml(folder));
    deleting.deleteOriginalOnConvert = true;
    PatchTree tree(deleting);
    tree.rebuild(false);
    FakeConverter converter;
    tree.convertAt("", kVstEffect, &converter);
    EXPECT_TRUE(exists(folder + "/Pad.fxp"));
    EXPECT_FALSE(exists(folder + "/Pad.aupreset"));
    EXPECT_FALSE(exists(folder + "/Pad.aupreset._bk"));
}

TEST(PatchTreeConversion, PatchOfTheOtherFlavourIsSavedInTheTreesFlavour)
{
    TempFolder temp;
    const std::string instrument = makeFolder(temp / "Instrument");
    const std::string effect = makeFolder(temp / "Effect");
    writePatch(effect, "Keys", Format::Fxp, false);
    PatchTree tree(settings(folderXml(instrument), folderXml(effect)));
    tree.rebuild(false);
    ASSERT_EQ(issuesAt(tree, "FX/Keys"), kIssueInstrumentInEffectTree);

    FakeConverter converter;
    tree.convertAt("FX/", kVstEffect, &converter);
    EXPECT_EQ(PatchFileHandler::classifyPatchFile(effect + "/Keys.fxp"), kVstEffect);
    EXPECT_EQ(issuesAt(tree, "FX/Keys"), 0u);
}

TEST(PatchTreeConversion, PlainFormatChangeNeedsNoPatchState)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Pad", Format::Aupreset, true, newUuid(), 1000);
    writePatch(folder, "Pad", Format::Fxp, true, newUuid(), 2000);
    writePatch(folder, "Lone", Format::Aupreset, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    ASSERT_EQ(issuesAt(tree, "Pad"), kIssueAupresetNotRequired);

    tree.convertAt("", kVstEffect);
    EXPECT_FALSE(exists(folder + "/Pad.aupreset"));
    EXPECT_EQ(issuesAt(tree, "Pad"), 0u);
    // Renaming the chunk needs a patch state: without one the patch waits.
    EXPECT_TRUE(exists(folder + "/Lone.aupreset"));
    EXPECT_EQ(issuesAt(tree, "Lone"), kIssueAupresetNotRequired | kIssueFxpMissing);
}

TEST(PatchTreeConversion, ReadOnlyPatchesAreNeverConvertedAndTheAnswerDecidesTheRest)
{
    struct Case
    {
        int answer;
        std::size_t questions;
        bool lastConverted;
    };
    for (const Case& c : {Case{kAnswerSkip, 3, true}, Case{kAnswerSkipAll, 1, true}, Case{kAnswerStop, 1, false}})
    {
        TempFolder temp;
        const std::string folder = makeFolder(temp / "Lib");
        for (const char* name : {"A1", "A2", "A3"})
            ::chmod(writePatch(folder, name, Format::Aupreset, true).c_str(), 0444);
        writePatch(folder, "B", Format::Aupreset, true);
        PatchTree tree(settings(folderXml(folder)));
        tree.rebuild(false);

        AnsweringAlerts alerts(c.answer);
        FakeConverter converter;
        tree.convertAt("", kVstEffect, &converter);
        ASSERT_EQ(alerts.questions.size(), c.questions) << c.answer;
        EXPECT_EQ(alerts.questions[0], "Permssions Error|You cannot convert A1 because it is set to Read Only");
        EXPECT_TRUE(exists(folder + "/A1.aupreset"));
        EXPECT_FALSE(exists(folder + "/A1.fxp"));
        EXPECT_EQ(exists(folder + "/B.fxp"), c.lastConverted) << c.answer;
        EXPECT_NE(issuesAt(tree, ""), 0u);
    }
}

TEST(PatchTreeConversion, Version1BankBecomesAFolderOfPatches)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string bank = writeVersion1Bank(folder, "Classic");
    // The bank's name is taken (by a file without extension).
    patchtest::writeFile(folder + "/Classic", std::string("notes"));
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    FakeConverter converter;
    tree.convertAt("Classic/Program 3", kVstEffect, &converter);

    EXPECT_FALSE(exists(bank));
    EXPECT_TRUE(exists(bank + "._bk"));
    EXPECT_FALSE(exists(folder + "/Classic(1)_tmp"));
    EXPECT_TRUE(exists(folder + "/Classic(1)/Program 36.fxp"));
    EXPECT_EQ(patchAddresses(tree, "Classic(1)/").size(), 36u);
    EXPECT_EQ(tree.findNode("Classic/"), nullptr);
    EXPECT_EQ(issuesAt(tree, ""), 0u);
}

TEST(PatchTreeConversion, FailedConversionKeepsTheVersion1Files)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string bank = writeVersion1Bank(folder, "Classic");
    const std::string program = writeVersion1Program(folder, "Oldie");
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    FakeConverter converter;
    converter.fail = true;
    tree.convertAt("", kVstEffect, &converter);
    EXPECT_TRUE(exists(bank));
    EXPECT_TRUE(exists(program));
    EXPECT_FALSE(exists(program + "._bk"));
    EXPECT_FALSE(exists(folder + "/Classic"));
    EXPECT_EQ(issuesAt(tree, "Oldie"), kIssueVersion1);
    EXPECT_NE(issuesAt(tree, "Classic/") & kIssueVersion1, 0u);

    converter.fail = false;
    tree.convertAt("Oldie", kVstEffect, &converter);
    EXPECT_TRUE(exists(program + "._bk"));
    EXPECT_EQ(issuesAt(tree, "Oldie"), 0u);
}
