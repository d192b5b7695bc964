#include "Source/patchtree/PatchTree.h"
#include "patches/PatchTypeBits.h"

#include "tests/Source/patchtree/PatchLibraryTestSupport.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

using namespace librarytest;

namespace
{
struct Library
{
    Library() : instrument(makeFolder(temp / "Instrument")), effect(makeFolder(temp / "Effect")), cache(temp / "patchtree.bin")
    {
        const std::string pads = makeFolder(instrument + "/Pads");
        writePatch(pads, "Soft", Format::Fxp, false, duplicate, 1000);
        writePatch(pads, "Soft", Format::Aupreset, false, newUuid(), 2000);
        writePatch(pads, "Twin", Format::Fxp, false, duplicate, 3000);
        writePatch(instrument, "Stray", Format::Fxp, true);
        writeVersion1Bank(instrument, "Classic");
        writePatch(makeFolder(effect + "/Wash"), "Wide", Format::Fxp, true);
    }

    PatchTreeSettings both() const { return settings(folderXml(instrument, "Factory"), folderXml(effect)); }

    // A tree of both folders, scanned and cached.
    std::unique_ptr<PatchTree> scannedAndCached() const
    {
        auto tree = std::make_unique<PatchTree>(both());
        tree->rebuild(false);
        EXPECT_TRUE(tree->writeCache(cache));
        return tree;
    }

    TempFolder temp;
    std::string instrument;
    std::string effect;
    std::string cache;
    std::string duplicate = newUuid();
};

// Everything the tree shows of itself, as text.
std::string describe(PatchTree& tree)
{
    std::string text;
    std::vector<BankInfo> banks;
    tree.collectBanks(banks);
    for (const BankInfo& bank : banks)
    {
        text += bank.name + "|" + bank.address + "|" + std::to_string(bank.patchType) + "|" +
                std::to_string(bank.patchTypeError) + "|" + std::to_string(bank.requiredPatchType);
        for (const std::string& path : bank.folderPaths())
            text += "|" + path;
        text += "\n";
    }
    std::vector<PatchInfoPointer> patches;
    tree.collectPatches(patches, "");
    for (const PatchInfoPointer& patch : patches)
    {
        text += patch->address + "|" + uuidToString(patch->uuid) + "|" + std::to_string(patch->patchType) + "|" +
                std::to_string(patch->patchTypeError);
        for (const std::string& file : patch->files)
            text += "|" + file;
        text += "\n";
    }
    return text;
}

void writeText(const std::string& path, const std::string& text)
{
    patchtest::writeFile(path, text + std::string(1, '\0'));
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}
}

TEST(PatchTreeCache, RoundTripKeepsTheWholeTree)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;

    PatchTree read(library.both());
    ASSERT_TRUE(read.readCache(library.cache));
    EXPECT_EQ(describe(read), describe(written));
    // The duplicate is found again on reading.
    EXPECT_EQ(issuesAt(read, "Inst/Pads/Twin"), kIssueUuid);
    EXPECT_EQ(read.findLeafByUuid(uuidFromString(library.duplicate))->getAddress(), "Inst/Pads/Soft");
    EXPECT_EQ(read.findNodeByFilePath(library.instrument + "/Pads")->getAddress(), "Inst/Pads/");
    // Scan records come back too: writing again gives the same document.
    ASSERT_TRUE(read.writeCache(library.temp / "again.bin"));
    EXPECT_EQ(patchtest::readFile(library.temp / "again.bin"), patchtest::readFile(library.cache));
    EXPECT_EQ(read.cacheDocumentText(), written.cacheDocumentText());
    EXPECT_NE(written.cacheDocumentText().find("<settings version=\"2.0.3\">"), std::string::npos);
}

TEST(PatchTreeCache, RescanAfterReadingLeavesUnchangedFoldersUnread)
{
    Library library;
    library.scannedAndCached();

    // Damage a patch file without changing its name, size or time: only a
    // scan that reads it again would notice.
    const std::string wide = library.effect + "/Wash/Wide.fxp";
    patchtest::writeFile(wide, std::string(patchtest::readFile(wide).size(), 'x'));
    setTime(wide, 1000000);

    PatchTree read(library.both());
    read.readCache(library.cache);
    read.rebuild(std::string(), true);
    EXPECT_NE(read.findNode("FX/Wash/Wide"), nullptr);
    read.rebuild(true);
    EXPECT_EQ(read.findNode("FX/Wash/Wide"), nullptr);
}

TEST(PatchTreeCache, OnlyAnInstrumentTreeIsTheRootAgain)
{
    Library library;
    PatchTree written(settings(folderXml(library.instrument)));
    written.rebuild(false);
    written.writeCache(library.cache);
    EXPECT_EQ(written.cacheDocumentText().find("<effect"), std::string::npos);

    PatchTree read(settings(folderXml(library.instrument)));
    ASSERT_TRUE(read.readCache(library.cache));
    EXPECT_EQ(read.findNode("")->getName(), "All Patches");
    EXPECT_NE(read.getPatchInfo("Pads/Soft"), nullptr);
    EXPECT_EQ(describe(read), describe(written));
}

TEST(PatchTreeCache, CacheOfOtherSettingsIsIgnored)
{
    Library library;
    library.scannedAndCached();

    const std::string extra = makeFolder(library.temp / "Extra");
    const std::vector<PatchTreeSettings> others = {
        settings(groupXml("Factory", {library.instrument, extra}), folderXml(library.effect)),
        settings(folderXml(library.instrument, "Renamed"), folderXml(library.effect)),
        settings(folderXml(library.instrument, "Factory"), folderXml(library.effect), 0x3 | kFileTypeEffect),
    };
    for (const PatchTreeSettings& other : others)
    {
        PatchTree read(other);
        EXPECT_FALSE(read.readCache(library.cache));
        EXPECT_FALSE(read.hasTree());
        read.rebuild(std::string(), false);
        EXPECT_TRUE(read.hasTree());
    }
    ::chmod(library.effect.c_str(), 0555);
    PatchTree readOnly(library.both());
    EXPECT_FALSE(readOnly.readCache(library.cache));
    ::chmod(library.effect.c_str(), 0755);
}

TEST(PatchTreeCache, UnreadableCachesAreIgnoredQuietly)
{
    Library library;
    PatchTree tree(library.both());
    EXPECT_FALSE(tree.readCache(library.temp / "missing.bin"));
    patchtest::writeFile(library.cache, std::string());
    EXPECT_FALSE(tree.readCache(library.cache));
    patchtest::writeFile(library.cache, std::string("\x78\x9c garbage that is no zlib stream"));
    EXPECT_FALSE(tree.readCache(library.cache));

    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;
    ByteVector truncated = patchtest::readFile(library.cache);
    truncated.resize(truncated.size() / 2);
    patchtest::writeFile(library.cache, truncated);
    EXPECT_FALSE(tree.readCache(library.cache));
    EXPECT_FALSE(tree.hasTree());
    EXPECT_FALSE(written.writeCache(library.temp / "no such folder/patchtree.bin"));
}

TEST(PatchTreeCache, PlainTextCacheIsRead)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;
    writeText(library.cache, written.cacheDocumentText());
    PatchTree read(library.both());
    EXPECT_TRUE(read.readCache(library.cache));
    EXPECT_EQ(describe(read), describe(written));

    // And compressed, as older versions wrote it.
    ChunkBuffer compressed;
    ASSERT_EQ(compressed.assignCompressed(written.cacheDocumentText()), 0);
    patchtest::writeFile(library.cache, ByteVector(compressed.data, compressed.data + compressed.size));
    PatchTree again(library.both());
    EXPECT_TRUE(again.readCache(library.cache));
    EXPECT_EQ(describe(again), describe(written));
}

TEST(PatchTreeCache, CacheBreakingTheTreesRulesIsIgnored)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;
    const std::string good = written.cacheDocumentText();

    const std::vector<std::pair<std::string, std::string>> damages = {
        {"required_file_types=\"130\"", "required_file_types=\"0\""},
        {"required_file_types=\"130\"", "required_file_types=\"300\""},
        {"file_type_error=\"0\"", "file_type_error=\"40000\""},
        {"contained_file_types=\"0\"", "contained_file_types=\"65536\""},
        {"required_file_type=\"130\"", "required_file_type=\"256\""},
        {"name=\"Twin\" address=\"Inst/Pads/Twin\"", "name=\"Soft\" address=\"Inst/Pads/Soft\""},
        {"address=\"Inst/Pads/Twin\"", "address=\"Elsewhere/Twin\""},
        {"name=\"Wash\" address=\"FX/Wash/\"", "name=\"Wa/sh\" address=\"FX/Wa/sh/\""},
        {"<patchfiles>", "<nothing>"},
        {"uuid=\"" + library.duplicate + "\"", "uuid=\"not a uuid\""},
        {"<effect ", "<other "},
    };
    for (const auto& damage : damages)
    {
        std::string text = good;
        replaceOnce(text, damage.first, damage.second);
        if (damage.first == "<patchfiles>")
            replaceOnce(text, "</patchfiles>", "</nothing>");
        if (damage.first == "<effect ")
            replaceOnce(text, "</effect>", "</other>");
        writeText(library.cache, text);
        PatchTree read(library.both());
        EXPECT_FALSE(read.readCache(library.cache)) << damage.second;
        EXPECT_FALSE(read.hasTree()) << damage.second;
        EXPECT_EQ(read.findLeafByUuid(uuidFromString(library.duplicate)), nullptr);
        read.rebuild(std::string(), false);
        EXPECT_EQ(describe(read), describe(written)) << damage.second;
    }
}

TEST(PatchTreeCache, ElementsOfNoKindAreSkipped)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;
    std::string text = written.cacheDocumentText();
    replaceOnce(text, "<children>", "<children><comment note=\"left by hand\" />");
    writeText(library.cache, text);
    PatchTree read(library.both());
    EXPECT_TRUE(read.readCache(library.cache));
    EXPECT_EQ(describe(read), describe(written));
}

TEST(PatchTreeCache, BinaryCachesCutShortOrLengthenedAreIgnored)
{
    Library library;
    library.scannedAndCached();
    const ByteVector compressed = patchtest::readFile(library.cache);
    std::string document;
    ASSERT_TRUE(inflateBytes(ChunkBuffer(compressed.data(), compressed.size()), document, 64u << 20));
    document.pop_back(); // the compression's NUL
    // Uncompressed, the document itself is a cache too.
    patchtest::writeFile(library.cache, ByteVector(document.begin(), document.end()));
    PatchTree whole(library.both());
    ASSERT_TRUE(whole.readCache(library.cache));

    for (std::size_t cut = 0; cut < document.size(); cut += 1 + cut / 8)
    {
        patchtest::writeFile(library.cache, ByteVector(document.begin(), document.begin() + cut));
        PatchTree read(library.both());
        EXPECT_FALSE(read.readCache(library.cache)) << cut;
        EXPECT_FALSE(read.hasTree()) << cut;
        EXPECT_EQ(read.findLeafByUuid(uuidFromString(library.duplicate)), nullptr) << cut;
    }
    patchtest::writeFile(library.cache, document + std::string("\x01", 1));
    PatchTree lengthened(library.both());
    EXPECT_FALSE(lengthened.readCache(library.cache));
}

TEST(PatchTreeCache, RecordsAreCheckedAgainstTheFilesTheyDescribe)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;

    // A cache that still reads but names a file that does not exist where
    // one that does is: the folder's listing is the same as when written.
    std::string text = written.cacheDocumentText();
    for (std::size_t at = text.find("Stray"); at != std::string::npos; at = text.find("Stray", at))
        text.replace(at, 5, "Ghost");
    writeText(library.cache, text);
    PatchTree read(library.both());
    ASSERT_TRUE(read.readCache(library.cache));
    ASSERT_NE(read.findNode("Inst/Ghost"), nullptr);
    EXPECT_EQ(read.findNode("Inst/Stray"), nullptr);

    read.rebuild(std::string(), true);
    EXPECT_EQ(read.findNode("Inst/Ghost"), nullptr);
    EXPECT_NE(read.findNode("Inst/Stray"), nullptr);
    EXPECT_EQ(describe(read), describe(written));
}

TEST(PatchTreeCache, APatchRewrittenWithinTheSecondIsReadAgain)
{
    TempFolder temp;
    const std::string folder = makeFolder(temp / "Lib");
    const std::string cache = temp / "patchtree.bin";
    const std::string first = newUuid();
    const std::string lead = writePatch(folder, "Lead", Format::Fxp, true, first, 1000000);
    PatchTree tree(settings(folderXml(folder)));
    tree.rebuild(false);
    ASSERT_TRUE(tree.writeCache(cache));

    auto setNanoseconds = [&](long nanoseconds) {
        const struct timespec times[2] = {{1000000, nanoseconds}, {1000000, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, lead.c_str(), times, 0), 0);
    };
    auto uuidOfLead = [](PatchTree& library) {
        const PatchInfoPointer patch = library.getPatchInfo("Lead");
        return patch ? uuidToString(patch->uuid) : std::string("none");
    };

    // The same size, the same second: only the nanoseconds tell.
    const std::string second = newUuid();
    writePatch(folder, "Lead", Format::Fxp, true, second, 1000000);
    setNanoseconds(500000000);
    PatchTree cached(settings(folderXml(folder)));
    ASSERT_TRUE(cached.readCache(cache));
    EXPECT_EQ(uuidOfLead(cached), first);
    cached.rebuild(std::string(), true);
    EXPECT_EQ(uuidOfLead(cached), second);
    tree.rebuild(false);
    EXPECT_EQ(uuidOfLead(tree), second);

    // The same time to the nanosecond: only the size tells.
    ChunkBuffer longer = patchChunk("Lead, rewritten", newUuid());
    ASSERT_EQ(PatchFileHandler::writeFxp(lead, "Lead", longer, true), 0);
    setNanoseconds(500000000);
    tree.rebuild(false);
    EXPECT_NE(uuidOfLead(tree), second);
    EXPECT_NE(uuidOfLead(tree), "none");
}

TEST(PatchTreeCache, AnUnchangedTreeLeavesItsCacheFileAlone)
{
    Library library;
    library.scannedAndCached();
    struct stat before;
    ASSERT_EQ(::stat(library.cache.c_str(), &before), 0);

    PatchTree read(library.both());
    ASSERT_TRUE(read.readCache(library.cache));
    read.rebuild(std::string(), true);
    ASSERT_TRUE(read.writeCache(library.cache));
    struct stat after;
    ASSERT_EQ(::stat(library.cache.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    writePatch(library.instrument, "Fresh", Format::Fxp, false);
    read.rebuild(std::string(), true);
    ASSERT_TRUE(read.writeCache(library.cache));
    PatchTree again(library.both());
    ASSERT_TRUE(again.readCache(library.cache));
    EXPECT_NE(again.findNode("Inst/Fresh"), nullptr);
}

TEST(PatchTreeCache, OlderCachesWithoutSizesAreReadAndCheckedOnce)
{
    Library library;
    const std::unique_ptr<PatchTree> scanned = library.scannedAndCached();
    PatchTree& written = *scanned;
    std::string text = written.cacheDocumentText();
    for (const char* name : {" modify_time_ns=\"", " size=\""})
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
            text.erase(at, text.find('"', at + std::strlen(name)) + 1 - at);
    ASSERT_EQ(text.find("size="), std::string::npos);
    writeText(library.cache, text);

    PatchTree read(library.both());
    ASSERT_TRUE(read.readCache(library.cache));
    read.rebuild(std::string(), true);
    EXPECT_EQ(describe(read), describe(written));
    EXPECT_EQ(read.cacheDocumentText(), written.cacheDocumentText());
}
