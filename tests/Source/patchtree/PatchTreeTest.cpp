#include "Source/patchtree/PatchTree.h"
#include "patches/PatchTypeBits.h"

#include "tests/Source/patchtree/PatchLibraryTestSupport.h"

#include <atomic>
#include <thread>

using namespace librarytest;

namespace
{
// Inst/Pads/{Lead 1, Lead 10, Lead 2, lead 3}, Inst/Bass/{Sub}, FX/Wash/{Wide}.
struct TwoTrees
{
    TwoTrees()
        : instrument(makeFolder(temp / "Instrument")), effect(makeFolder(temp / "Effect")),
          tree(settings(folderXml(instrument), folderXml(effect)))
    {
        const std::string pads = makeFolder(instrument + "/Pads");
        for (const char* name : {"Lead 1", "Lead 10", "Lead 2", "lead 3"})
            writePatch(pads, name, Format::Fxp, false);
        writePatch(makeFolder(instrument + "/Bass"), "Sub", Format::Fxp, false);
        writePatch(makeFolder(effect + "/Wash"), "Wide", Format::Fxp, true);
        tree.rebuild(false);
    }

    TempFolder temp;
    std::string instrument;
    std::string effect;
    PatchTree tree;
};
}

TEST(PatchTree, FindNodeWalksTheAddress)
{
    TwoTrees library;
    PatchTree& tree = library.tree;
    EXPECT_EQ(tree.findNode("")->getName(), "All Patches");
    EXPECT_EQ(tree.findNode("Inst/")->getAddress(), "Inst/");
    EXPECT_EQ(tree.findNode("Inst/Pads/")->typeName(), std::string("Bank"));
    const PatchTreeNode::Pointer lead = tree.findNode("Inst/Pads/Lead 1");
    ASSERT_NE(lead, nullptr);
    EXPECT_TRUE(lead->isLeaf());
    EXPECT_EQ(lead->typeName(), std::string("Patch"));
    EXPECT_EQ(tree.findNode("Inst/Pads/Lead 1/x"), lead);
    EXPECT_EQ(lead->getParent()->getAddress(), "Inst/Pads/");
    EXPECT_EQ(tree.findNode("Inst/Strings/"), nullptr);
    EXPECT_EQ(tree.findNode("Inst/Pads/lead 1"), nullptr);
}

TEST(PatchTree, PatchRecordsOnlyForPatchAddresses)
{
    TwoTrees library;
    const PatchInfoPointer sub = library.tree.getPatchInfo("Inst/Bass/Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->name, "Sub");
    EXPECT_EQ(sub->address, "Inst/Bass/Sub");
    EXPECT_EQ(sub->files, (std::vector<std::string>{library.instrument + "/Bass/Sub.fxp"}));
    EXPECT_EQ(library.tree.getPatchInfo("Inst/Bass/"), nullptr);
    EXPECT_EQ(library.tree.getPatchInfo(""), nullptr);
    EXPECT_EQ(library.tree.getPatchInfo("Inst/Bass/Nothing"), nullptr);
}

TEST(PatchTree, PatchListsFollowTheByteWiseNameOrder)
{
    TwoTrees library;
    EXPECT_EQ(patchAddresses(library.tree, "Inst/Pads/"),
              (std::vector<std::string>{"Inst/Pads/Lead 1", "Inst/Pads/Lead 10", "Inst/Pads/Lead 2",
                                        "Inst/Pads/lead 3"}));
    EXPECT_EQ(patchAddresses(library.tree),
              (std::vector<std::string>{"FX/Wash/Wide", "Inst/Bass/Sub", "Inst/Pads/Lead 1", "Inst/Pads/Lead 10",
                                        "Inst/Pads/Lead 2", "Inst/Pads/lead 3"}));
    EXPECT_EQ(patchAddresses(library.tree, "Inst/Pads/Lead 2"), (std::vector<std::string>{"Inst/Pads/Lead 2"}));
    EXPECT_TRUE(patchAddresses(library.tree, "Inst/Nothing/").empty());
}

TEST(PatchTree, BankListIsIndentedByDepth)
{
    TwoTrees library;
    std::vector<BankInfo> banks;
    library.tree.collectAll(banks);
    std::vector<std::string> names, addresses;
    for (const BankInfo& bank : banks)
    {
        names.push_back(bank.name);
        addresses.push_back(bank.address);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"All Patches", "    FX", "        Wash", "    Inst", "        Bass",
                                               "        Pads"}));
    EXPECT_EQ(addresses, (std::vector<std::string>{"", "FX/", "FX/Wash/", "Inst/", "Inst/Bass/", "Inst/Pads/"}));
    EXPECT_EQ(banks[5].folderPaths(), (std::vector<std::string>{library.instrument + "/Pads"}));
    EXPECT_EQ(banks[5].requiredPatchType, kFileTypeFxp | kFileTypeInstrument);
}

TEST(PatchTree, InstrumentBuildListsBothTreesFlatInstrumentFirst)
{
    TempFolder temp;
    const std::string instrument = makeFolder(temp / "Instrument");
    const std::string effect = makeFolder(temp / "Effect");
    writePatch(makeFolder(instrument + "/Pads"), "Soft", Format::Fxp, false);
    writePatch(makeFolder(effect + "/Wash"), "Wide", Format::Fxp, true);
    PatchTree tree(settings(folderXml(instrument), folderXml(effect), kFileTypeFxp | kFileTypeInstrument));
    tree.rebuild(false);

    EXPECT_TRUE(tree.isFlatListing());
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Inst/Pads/Soft", "FX/Wash/Wide"}));
    EXPECT_EQ(bankNames(tree), (std::vector<std::string>{"All Patches", "    Inst", "        Pads", "    FX",
                                                         "        Wash"}));
    EXPECT_FALSE(PatchTree(settings(folderXml(instrument), "", kFileTypeFxp | kFileTypeInstrument)).isFlatListing());
    EXPECT_FALSE(PatchTree(settings(folderXml(instrument), folderXml(effect))).isFlatListing());
}

TEST(PatchTree, FolderPathsMapToBanksAtFolderBoundaries)
{
    TempFolder temp;
    const std::string pads = makeFolder(temp / "Pads");
    const std::string pads2 = makeFolder(temp / "Pads2");
    writePatch(makeFolder(pads + "/Soft"), "One", Format::Fxp, true);
    PatchTree tree(settings(folderXml(pads, "Pads") + folderXml(pads2, "Other")));
    tree.rebuild(false);

    EXPECT_EQ(tree.findNodeByFilePath(pads)->getAddress(), "Pads/");
    EXPECT_EQ(tree.findNodeByFilePath(pads + "/Soft")->getAddress(), "Pads/Soft/");
    EXPECT_EQ(tree.findNodeByFilePath(pads + "/Soft/")->getAddress(), "Pads/Soft/");
    // "/p/Pads" is no prefix of "/p/Pads2".
    EXPECT_EQ(tree.findNodeByFilePath(pads2)->getAddress(), "Other/");
    EXPECT_EQ(tree.findNodeByFilePath(temp / "Elsewhere"), nullptr);

    // A folder the tree does not know yet is found after one rescan.
    writePatch(makeFolder(pads + "/New"), "Two", Format::Fxp, true);
    const PatchTreeNode::Pointer fresh = tree.findNodeByFilePath(pads + "/New");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getAddress(), "Pads/New/");
}

TEST(PatchTree, DeletingAPatchRemovesItsOwnFilesOnly)
{
    TempFolder temp;
    const std::string a = makeFolder(temp / "A");
    const std::string b = makeFolder(temp / "B");
    const std::string fxp = writePatch(a, "Lead", Format::Fxp, true, newUuid(), 1000);
    const std::string au = writePatch(b, "Lead", Format::Aupreset, true, newUuid(), 2000);
    const std::string sibling = writePatch(a, "Lead 2", Format::Fxp, true);
    const std::string other = a + "/Lead.txt";
    patchtest::writeFile(other, std::string("notes"));
    const std::string bank = writeVersion1Bank(a, "Classic");
    PatchTree tree(settings(groupXml("Lib", {a, b})));
    tree.rebuild(false);

    EXPECT_FALSE(tree.deletePatch("Lead/whatever"));
    EXPECT_TRUE(exists(fxp));
    EXPECT_FALSE(tree.deletePatch("Classic/Program 1"));
    EXPECT_TRUE(exists(bank));

    EXPECT_TRUE(tree.deletePatchLocked("Lead"));
    EXPECT_FALSE(exists(fxp));
    EXPECT_FALSE(exists(au));
    EXPECT_TRUE(exists(sibling));
    EXPECT_TRUE(exists(other));
    // The tree waits for the caller's rescan.
    EXPECT_NE(tree.findNode("Lead"), nullptr);
    tree.rebuild(std::string(), true);
    EXPECT_EQ(tree.findNode("Lead"), nullptr);
}

TEST(PatchTree, PatchNameExistsInAnyFolderOfTheBank)
{
    TempFolder temp;
    const std::string a = makeFolder(temp / "A");
    const std::string b = makeFolder(temp / "B");
    writePatch(b, "Bass", Format::Tfx, true);
    PatchTree tree(settings(groupXml("Lib", {a, b})));
    tree.rebuild(false);
    const auto bank = std::static_pointer_cast<PatchTreeBranch>(tree.findNode(""));
    EXPECT_TRUE(PatchTree::patchNameExists(*bank, "Bass"));
    EXPECT_FALSE(PatchTree::patchNameExists(*bank, "Bass(02)"));
}

TEST(PatchTree, FolderForNodeMakesTheBankInEveryParentFolder)
{
    TempFolder temp;
    const std::string a = makeFolder(temp / "A");
    const std::string b = makeFolder(temp / "B");
    writePatch(makeFolder(a + "/Pads"), "Soft", Format::Fxp, true);
    PatchTree tree(settings(groupXml("Lib", {a, b})));
    tree.rebuild(false);
    const PatchTreeNode::Pointer pads = tree.findNode("Pads/");

    EXPECT_EQ(tree.folderForNode(pads, false).size(), 1u);
    EXPECT_FALSE(exists(b + "/Pads"));
    const std::vector<BankFolder> folders = tree.folderForNode(pads, true);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].path, b + "/Pads");
    EXPECT_TRUE(exists(b + "/Pads"));
    // A patch gives its bank's folders.
    EXPECT_EQ(tree.folderForNode(tree.findNode("Pads/Soft"), false).size(), 2u);
}

TEST(PatchTree, FolderHelpersNeverOverwrite)
{
    TempFolder temp;
    const std::string base = makeFolder(temp / "Base");
    EXPECT_EQ(PatchTree::ensureFolder(base, "New/Deep"), base + "/New/Deep");
    EXPECT_EQ(PatchTree::ensureFolder(base, "New/Deep"), "");
    makeFolder(base + "/Bank");
    makeFolder(base + "/Bank(1)_tmp");
    const std::vector<BankFolder> made = PatchTree::makeTempFolders({BankFolder{base, 0x42}}, "Bank");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].path, base + "/Bank(2)_tmp");
    EXPECT_EQ(made[0].requiredFileTypes, 0x42u);
}

TEST(PatchTree, RebuildWithoutRescanKeepsTheTreeAsItIs)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    PatchTree tree(settings(folderXml(folder)));
    EXPECT_FALSE(tree.hasTree());
    writePatch(folder, "One", Format::Fxp, true);
    // No tree yet: the first look builds one.
    tree.rebuild(std::string(), false);
    EXPECT_TRUE(tree.hasTree());
    writePatch(folder, "Two", Format::Fxp, true);
    tree.rebuild(std::string(), false);
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"One"}));
    tree.rebuild(std::string(), true);
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"One", "Two"}));
}

TEST(PatchTree, RecordsHandedOutOutliveRebuildsOnOtherThreads)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string file = writePatch(folder, "Lead", Format::Fxp, true);
    for (int i = 0; i < 20; ++i)
        writePatch(folder, "Patch " + std::to_string(i), Format::Fxp, true);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);

    std::vector<PatchInfoPointer> kept;
    tree.collectPatches(kept, "");
    const PatchTreeNode::Pointer node = tree.findNode("Lead");
    std::atomic<bool> done{false};
    std::thread rebuilder([&] {
        for (int i = 0; i < 20; ++i)
        {
            setTime(file, 2000000 + i);
            tree.rebuild(i % 5 == 0);
        }
        done = true;
    });
    std::size_t seen = 0;
    while (!done)
    {
        std::vector<PatchInfoPointer> patches;
        tree.collectPatches(patches, "");
        for (const PatchInfoPointer& patch : patches)
            seen += patch->name.size();
        if (const PatchInfoPointer lead = tree.getPatchInfo("Lead"))
            seen += lead->files.size();
        seen += node->getName().size() + node->getParent().use_count();
    }
    rebuilder.join();
    EXPECT_GT(seen, 0u);
    ASSERT_EQ(kept.size(), 21u);
    EXPECT_EQ(kept[0]->name, "Lead");
    EXPECT_EQ(node->getAddress(), "Lead");
}
