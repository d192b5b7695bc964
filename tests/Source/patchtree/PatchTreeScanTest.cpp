#include "Source/patchtree/PatchTree.h"
#include "patches/PatchTypeBits.h"

#include "tests/Source/patchtree/PatchLibraryTestSupport.h"

using namespace librarytest;

TEST(PatchTreeScan, OnlyInstrumentFoldersMakeOneSharedTreeAsTheRoot)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Instrument");
    writePatch(folder, "Lead", Format::Fxp, false);
    writePatch(folder, "Echoes", Format::Fxp, true);

    PatchTree tree(settings(folderXml(folder, "Factory")));
    tree.rebuild(false);

    const PatchTreeNode::Pointer root = tree.findNode("");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getName(), "All Patches");
    EXPECT_EQ(root->getAddress(), "");
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Echoes", "Lead"}));
    // Both flavours belong in a shared tree.
    EXPECT_EQ(issuesAt(tree, "Echoes"), 0u);
    EXPECT_EQ(issuesAt(tree, "Lead"), 0u);
    std::vector<BankInfo> banks;
    tree.collectBanks(banks);
    ASSERT_EQ(banks.size(), 1u);
    EXPECT_EQ(banks[0].requiredPatchType, kFileTypeFxp | kFileTypeFlavours);
}

TEST(PatchTreeScan, EachFlavourHasItsTreeAndPatchesOfTheOtherAreIssues)
{
    TempFolder temp;
    const std::string instrument = makeFolder(temp / "Instrument");
    const std::string effect = makeFolder(temp / "Effect");
    writePatch(instrument, "Lead", Format::Fxp, false);
    writePatch(instrument, "Stray", Format::Fxp, true);
    writePatch(effect, "Wash", Format::Fxp, true);
    writePatch(effect, "Keys", Format::Fxp, false);

    PatchTree tree(settings(folderXml(instrument), folderXml(effect)));
    tree.rebuild(false);

    EXPECT_EQ(tree.findNode("")->getName(), "All Patches");
    EXPECT_EQ(tree.findNode("Inst/")->getName(), "Inst");
    EXPECT_EQ(tree.findNode("FX/")->getName(), "FX");
    EXPECT_EQ(patchAddresses(tree),
              (std::vector<std::string>{"FX/Keys", "FX/Wash", "Inst/Lead", "Inst/Stray"}));
    EXPECT_EQ(issuesAt(tree, "Inst/Lead"), 0u);
    EXPECT_EQ(issuesAt(tree, "Inst/Stray"), kIssueEffectInInstrumentTree);
    EXPECT_EQ(issuesAt(tree, "FX/Wash"), 0u);
    EXPECT_EQ(issuesAt(tree, "FX/Keys"), kIssueInstrumentInEffectTree);
    EXPECT_EQ(issuesAt(tree, "FX/"), kIssueInstrumentInEffectTree);
    EXPECT_EQ(issuesAt(tree, ""), kIssueInstrumentInEffectTree | kIssueEffectInInstrumentTree);
}

TEST(PatchTreeScan, FolderGroupMergesSameNamedSubFoldersIntoOneBank)
{
    TempFolder temp;
    const std::string a = makeFolder(temp / "A");
    const std::string b = makeFolder(temp / "B");
    writePatch(makeFolder(a + "/Pads"), "Soft", Format::Fxp, true);
    writePatch(makeFolder(b + "/Pads"), "Wide", Format::Fxp, true);

    PatchTree grouped(settings(groupXml("Both", {a, b})));
    grouped.rebuild(false);
    EXPECT_EQ(patchAddresses(grouped, "Pads/"), (std::vector<std::string>{"Pads/Soft", "Pads/Wide"}));
    const BankInfo pads = std::static_pointer_cast<PatchTreeBranch>(grouped.findNode("Pads/"))->getBankInfo();
    EXPECT_EQ(pads.folderPaths(), (std::vector<std::string>{a + "/Pads", b + "/Pads"}));

    PatchTree separate(settings(folderXml(a) + folderXml(b)));
    separate.rebuild(false);
    EXPECT_EQ(patchAddresses(separate), (std::vector<std::string>{"A/Pads/Soft", "B/Pads/Wide"}));
}

TEST(PatchTreeScan, FormatsOfOnePatchMakeOneLeafWithTheirIssues)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string uuid = newUuid();
    const std::string au = writePatch(folder, "Bass", Format::Aupreset, true, uuid, 1000);
    const std::string fxp = writePatch(folder, "Bass", Format::Fxp, true, newUuid(), 2000);

    // Required: VST only (0x2) and the effect flavour.
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    const PatchInfoPointer bass = tree.getPatchInfo("Bass");
    ASSERT_NE(bass, nullptr);
    EXPECT_EQ(bass->files, (std::vector<std::string>{au, fxp}));
    EXPECT_EQ(bass->lastFile(), fxp);
    // The oldest file gives the uuid and the flavour.
    EXPECT_EQ(uuidToString(bass->uuid), uuid);
    EXPECT_EQ(bass->patchType & (kFileTypeAupreset | kFileTypeFxp | kFileTypeEffect),
              kFileTypeAupreset | kFileTypeFxp | kFileTypeEffect);
    EXPECT_EQ(bass->patchTypeError, kIssueAupresetNotRequired);

    // With all three formats required, the missing one shows too.
    PatchTree all(settings(folderXml(folder), "", 0x7 | kFileTypeEffect));
    all.rebuild(false);
    EXPECT_EQ(all.getPatchInfo("Bass")->patchTypeError, kIssueTfxMissing);
}

TEST(PatchTreeScan, ExtensionsAreCaseSensitive)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Lead", Format::Fxp, true);
    std::rename((folder + "/Lead.fxp").c_str(), (folder + "/Lead.FXP").c_str());
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    EXPECT_TRUE(patchAddresses(tree).empty());
}

TEST(PatchTreeScan, MalformedFilesAreLeftOutAndTheScanGoesOn)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    patchtest::writeFile(folder + "/Garbage.fxp", std::string("not a program file at all"));
    patchtest::writeFile(folder + "/Broken.aupreset", std::string("<plist><dict><key>data"));
    patchtest::writeFile(folder + "/Empty.tfx", std::string());
    // A readable file whose chunk is no patch document, or has a bad uuid.
    ChunkBuffer noRoot;
    noRoot.assignCompressed("<other uuid=\"\"/>");
    PatchFileHandler::writeFxp(folder + "/NoRoot.fxp", "NoRoot", noRoot, true);
    PatchFileHandler::writeFxp(folder + "/BadUuid.fxp", "BadUuid", patchChunk("BadUuid", "not-a-uuid"), true);
    writePatch(folder, "Good", Format::Fxp, true);

    PatchTree tree(settings(folderXml(folder)));
    ASSERT_NO_THROW(tree.rebuild(false));
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Good"}));
}

TEST(PatchTreeScan, Version1BankBecomesABankOfItsPrograms)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string file = writeVersion1Bank(folder, "Classic");

    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    const PatchTreeNode::Pointer bank = tree.findNode("Classic/");
    ASSERT_NE(bank, nullptr);
    ASSERT_TRUE(bank->isBranch());
    EXPECT_TRUE(std::static_pointer_cast<PatchTreeBranch>(bank)->isVirtual());
    EXPECT_EQ(bank->getPatchType(), kFileTypeVersion1 | kFileTypeFxb);
    EXPECT_NE(bank->getPatchTypeError() & kIssueVersion1, 0u);

    std::vector<PatchInfoPointer> programs;
    tree.collectPatches(programs, "Classic/");
    ASSERT_EQ(programs.size(), 36u);
    // Byte-wise order: "Program 1", "Program 10" ... "Program 2".
    EXPECT_EQ(programs[0]->address, "Classic/Program 1");
    const PatchInfoPointer second = tree.getPatchInfo("Classic/Program 2");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->programInFile(), 1);
    EXPECT_EQ(second->files, (std::vector<std::string>{file}));
    EXPECT_TRUE(isNilUuid(second->uuid));
    // The shared tree takes both flavours.
    EXPECT_EQ(second->patchType & 0xFFFF, kFileTypeFlavours | kFileTypeVersion1 | kFileTypeFxb);
    EXPECT_EQ(second->patchTypeError & kIssueUuid, 0u);
}

TEST(PatchTreeScan, UnnamedVersion1ProgramsGetNumberedNames)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    ByteVector bank = patchtest::version1BankFile();
    // Blank every program name (28 bytes after each 28-byte program header).
    for (int p = 0; p < 36; ++p)
        std::fill_n(bank.begin() + 156 + p * (56 + 480) + 28, 28, 0);
    patchtest::writeFile(folder + "/Blank.fxb", bank);

    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    const std::vector<std::string> addresses = patchAddresses(tree, "Blank/");
    ASSERT_EQ(addresses.size(), 36u);
    EXPECT_EQ(addresses.front(), "Blank/Empty");
    EXPECT_EQ(addresses[1], "Blank/Empty(01)");
    EXPECT_EQ(addresses.back(), "Blank/Empty(35)");
}

TEST(PatchTreeScan, Version1ProgramFileIsAVersion1Patch)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writeVersion1Program(folder, "Oldie");
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    const PatchInfoPointer oldie = tree.getPatchInfo("Oldie");
    ASSERT_NE(oldie, nullptr);
    EXPECT_EQ(oldie->patchTypeError, kIssueVersion1);
    EXPECT_TRUE(isNilUuid(oldie->uuid));
}

TEST(PatchTreeScan, MissingAndDuplicateUuidsAreIssuesAndTheFirstLeafKeepsTheUuid)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string uuid = newUuid();
    writePatch(folder, "First", Format::Fxp, true, uuid);
    writePatch(folder, "Second", Format::Fxp, true, uuid);
    writePatch(folder, "Nameless", Format::Fxp, true, "");

    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    EXPECT_EQ(issuesAt(tree, "First"), 0u);
    EXPECT_EQ(issuesAt(tree, "Second"), kIssueUuid);
    EXPECT_EQ(issuesAt(tree, "Nameless"), kIssueUuid);
    const std::shared_ptr<PatchTreeLeaf> found = tree.findLeafByUuid(uuidFromString(uuid));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->getAddress(), "First");
    EXPECT_EQ(tree.findLeafByUuid(generateUuid()), nullptr);
}

TEST(PatchTreeScan, RescanKeepsUnchangedPatchesAndReplacesTouchedOnes)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Kept", Format::Fxp, true);
    const std::string touched = writePatch(folder, "Touched", Format::Fxp, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    const PatchTreeNode::Pointer kept = tree.findNode("Kept");
    const PatchTreeNode::Pointer before = tree.findNode("Touched");

    tree.rebuild(false);
    EXPECT_EQ(tree.findNode("Kept"), kept);
    EXPECT_EQ(tree.findNode("Touched"), before);

    setTime(touched, 2000000);
    tree.rebuild(false);
    EXPECT_EQ(tree.findNode("Kept"), kept);
    EXPECT_NE(tree.findNode("Touched"), before);
    EXPECT_NE(tree.findNode("Touched"), nullptr);
    // The replaced leaf left the registry: its uuid is found once, not flagged.
    EXPECT_EQ(issuesAt(tree, "Touched"), 0u);
}

TEST(PatchTreeScan, RemovedFilesAndFoldersLeaveTheTreeAndTheirBanksIssues)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string pads = makeFolder(folder + "/Pads");
    const std::string uuid = newUuid();
    writePatch(pads, "Soft", Format::Fxp, true, uuid);
    const std::string stray = writePatch(folder, "Stray", Format::Aupreset, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    ASSERT_NE(issuesAt(tree, ""), 0u);

    std::remove(stray.c_str());
    ASSERT_EQ(std::system(("rm -rf '" + pads + "'").c_str()), 0);
    tree.rebuild(false);
    EXPECT_EQ(tree.findNode("Pads/"), nullptr);
    EXPECT_EQ(tree.findNode("Stray"), nullptr);
    EXPECT_EQ(tree.findLeafByUuid(uuidFromString(uuid)), nullptr);
    EXPECT_EQ(issuesAt(tree, ""), 0u);
}

TEST(PatchTreeScan, SymbolicLinkLoopsAreNotFollowed)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string pads = makeFolder(folder + "/Pads");
    writePatch(pads, "Soft", Format::Fxp, true);
    ASSERT_EQ(::symlink(folder.c_str(), (pads + "/Back").c_str()), 0);
    ASSERT_EQ(::symlink((pads + "/Loop").c_str(), (pads + "/Loop").c_str()), 0);

    PatchTree tree(settings(folderXml(folder)));
    ASSERT_NO_THROW(tree.rebuild(false));
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Pads/Soft"}));
}

TEST(PatchTreeScan, FolderNamedLikeAPatchTakesItsPlaceUntilItGoes)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Lead", Format::Fxp, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    ASSERT_TRUE(tree.findNode("Lead")->isLeaf());

    const std::string sub = makeFolder(folder + "/Lead");
    writePatch(sub, "Inner", Format::Fxp, true);
    tree.rebuild(false);
    EXPECT_TRUE(tree.findNode("Lead/")->isBranch());
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Lead/Inner"}));

    ASSERT_EQ(std::system(("rm -rf '" + sub + "'").c_str()), 0);
    tree.rebuild(false);
    ASSERT_NE(tree.findNode("Lead"), nullptr);
    EXPECT_TRUE(tree.findNode("Lead")->isLeaf());
    // A folder named like a patch file is a bank, not a patch.
    makeFolder(folder + "/Odd.fxp");
    tree.rebuild(false);
    EXPECT_TRUE(tree.findNode("Odd.fxp/")->isBranch());
}

TEST(PatchTreeScan, ReadOnlyFilesAndFoldersAreMarked)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string locked = makeFolder(folder + "/Locked");
    writePatch(locked, "Held", Format::Fxp, true);
    const std::string file = writePatch(folder, "Fixed", Format::Fxp, true);
    ::chmod(file.c_str(), 0444);
    ::chmod(locked.c_str(), 0555);

    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    const PatchTreeNode::Pointer fixed = tree.findNode("Fixed");
    EXPECT_NE(fixed->getPatchType() & kFileTypeReadOnly, 0u);
    EXPECT_EQ(fixed->getPatchTypeError(), 0u);
    PatchTree lockedTree(settings(folderXml(locked)));
    lockedTree.rebuild(false);
    EXPECT_NE(lockedTree.findNode("")->getPatchType() & kFileTypeReadOnly, 0u);
    ::chmod(locked.c_str(), 0755);
}

TEST(PatchTreeScan, ChangedFormatsRecomputeEveryIssue)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    writePatch(folder, "Pad", Format::Aupreset, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    EXPECT_EQ(issuesAt(tree, "Pad"), kIssueAupresetNotRequired | kIssueFxpMissing);

    tree.setSettings(settings(folderXml(folder), "", kFileTypeAupreset | kFileTypeEffect));
    tree.rebuild(false);
    EXPECT_EQ(issuesAt(tree, "Pad"), 0u);
    EXPECT_EQ(issuesAt(tree, ""), 0u);
}

TEST(PatchTreeScan, BrokenFolderListsGiveNoTree)
{
    TempFolder temp;
    PatchTree tree(settings("<folder path=\"unterminated"));
    ASSERT_NO_THROW(tree.rebuild(false));
    EXPECT_FALSE(tree.hasTree());
    PatchTree missing(settings(folderXml(temp / "nowhere")));
    missing.rebuild(false);
    EXPECT_FALSE(missing.hasTree());
}
