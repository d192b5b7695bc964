// The scan's bounds: whatever a patch folder holds (the whole file system,
// the kernel's pseudo file systems, deep or huge trees behind links, files
// that inflate without end), a scan ends soon and keeps what lies within.

#include "Source/patchtree/PatchFolderScanner.h"
#include "Source/patchtree/PatchTree.h"
#include "Source/patchtree/UuidRegistry.h"
#include "patches/PatchTypeBits.h"

#include "tests/Source/patchtree/PatchLibraryTestSupport.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TimeBudget.h"

#include <chrono>
#include <sys/stat.h>
#include <unistd.h>

using namespace librarytest;

namespace
{
double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One configured folder scanned with the given bounds.
PatchTreeBranch::Pointer scan(const std::string& path, const PatchFolderScanner::Bounds& bounds, UuidRegistry& registry)
{
    FolderInfo folder;
    folder.path = path;
    folder.name = "Library";
    folder.requiredFileTypes = kFileTypeFxp | kFileTypeFlavours;
    PatchFolderScanner scanner(registry, bounds);
    PatchTreeBranch::Pointer bank;
    scanner.createTree(bank, BankFolderInfo(folder, folder.requiredFileTypes), "", nullptr);
    return bank;
}

std::size_t countBanks(const PatchTreeBranch& bank)
{
    std::size_t count = 1;
    for (const PatchTreeBranch::Child& child : bank.children())
        if (child.second->isBranch())
            count += countBanks(static_cast<const PatchTreeBranch&>(*child.second));
    return count;
}

std::size_t countPatches(const PatchTreeBranch& bank)
{
    std::vector<PatchInfoPointer> patches;
    bank.collectPatches(patches, "");
    return patches.size();
}

// A real patch document padded with spaces to the given size.
ChunkBuffer paddedPatch(std::size_t padding)
{
    ChunkBuffer chunk;
    const std::string text = "<zentrova version=\"2.0\" uuid=\"" + newUuid() +
                             "\">\n<patch name=\"Padded\" />\n</zentrova>" + std::string(padding, ' ');
    EXPECT_EQ(chunk.assignCompressed(text), 0);
    return chunk;
}
} // namespace

TEST(PatchFolderScanner, TheWholeFileSystemIsScannedWithinItsBounds)
{
    for (const char* folder : {"/", "/proc", "/sys"})
    {
        const auto start = std::chrono::steady_clock::now();
        PatchTree tree(settings(folderXml(folder, "Everything")));
        tree.rebuild(false);
        // Only a guard against a scan without end, which "/" unbounded is:
        // the bounds below are what keep it short.
        EXPECT_LT(secondsSince(start), 60.0 * kTimeBudgetScale) << folder;
        std::vector<BankInfo> banks;
        tree.collectBanks(banks);
        EXPECT_LE(banks.size(), PatchFolderScanner::Bounds().folders + 1) << folder;
        for (const BankInfo& bank : banks)
            for (const std::string& path : bank.folderPaths())
                EXPECT_TRUE(path.rfind("/proc/", 0) != 0 && path.rfind("/sys/", 0) != 0) << path;
    }
}

TEST(PatchFolderScanner, DepthEntriesAndFoldersAreBounded)
{
    TempFolder temp;
    const std::string library = makeFolder(temp / "Library");
    std::string deep = library;
    for (int level = 1; level <= 6; ++level)
    {
        deep = makeFolder(deep + "/L" + std::to_string(level));
        writePatch(deep, "Depth" + std::to_string(level), Format::Fxp, true);
    }
    for (int i = 0; i < 30; ++i)
        writePatch(library, "Wide" + std::to_string(i), Format::Fxp, true);

    UuidRegistry registry;
    PatchFolderScanner::Bounds roomy;
    const PatchTreeBranch::Pointer all = scan(library, roomy, registry);
    EXPECT_EQ(countPatches(*all), 36u);
    EXPECT_EQ(countBanks(*all), 7u);

    PatchFolderScanner::Bounds shallow;
    shallow.depth = 3;
    UuidRegistry registry2;
    const PatchTreeBranch::Pointer cut = scan(library, shallow, registry2);
    EXPECT_EQ(countBanks(*cut), 4u);
    EXPECT_NE(cut->findNode("L1/L2/L3/Depth3"), nullptr);
    EXPECT_EQ(cut->findNode("L1/L2/L3/L4/"), nullptr);

    PatchFolderScanner::Bounds few;
    few.entries = 10;
    few.folders = 2;
    UuidRegistry registry3;
    const PatchTreeBranch::Pointer small = scan(library, few, registry3);
    EXPECT_LE(countPatches(*small), 10u);
    EXPECT_LE(countBanks(*small), 3u);
}

TEST(PatchFolderScanner, LinksOutOfTheLibraryAreFollowedWithinTheBounds)
{
    TempFolder temp;
    const std::string library = makeFolder(temp / "Library");
    const std::string outside = makeFolder(temp / "Elsewhere");
    writePatch(outside, "Borrowed", Format::Fxp, true);
    const std::string huge = makeFolder(temp / "Huge");
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(::mkdir((huge + "/F" + std::to_string(i)).c_str(), 0755), 0);
    ASSERT_EQ(::symlink(outside.c_str(), (library + "/Linked").c_str()), 0);
    ASSERT_EQ(::symlink(huge.c_str(), (library + "/Huge").c_str()), 0);
    // A link back up is no way down.
    ASSERT_EQ(::symlink(temp.path().c_str(), (outside + "/Up").c_str()), 0);

    UuidRegistry registry;
    PatchFolderScanner::Bounds bounds;
    bounds.folders = 10;
    const PatchTreeBranch::Pointer bank = scan(library, bounds, registry);
    EXPECT_NE(bank->findNode("Linked/Borrowed"), nullptr);
    EXPECT_LE(countBanks(*bank), 11u);
}

TEST(PatchFolderScanner, FilesThatInflateBeyondAnyPatchAreLeftOutQuickly)
{
    TempFolder temp;
    const std::string library = makeFolder(temp / "Library");
    // Each some 60 KB on disk.
    const ChunkBuffer bomb = paddedPatch(60u << 20);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(PatchFileHandler::writeFxp(library + "/Bomb" + std::to_string(i) + ".fxp", "Bomb", bomb, true), 0);
    ASSERT_EQ(PatchFileHandler::writeFxp(library + "/Padded.fxp", "Padded", paddedPatch(100000), true), 0);

    const PeakMemory memory;
    PatchTree tree(settings(folderXml(library)));
    tree.rebuild(false);
#if !defined(__SANITIZE_ADDRESS__)
    // Inflated whole, each holds some 65 MB at once; left out, 3 MB at most.
    // (AddressSanitizer keeps the blocks freed on the way resident.)
    EXPECT_LT(memory.megabytesAboveStart(), 6u);
#endif
    EXPECT_EQ(patchAddresses(tree), (std::vector<std::string>{"Padded"}));
}
