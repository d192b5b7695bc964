// The patch-tree cache ("patchtree.bin", binary or the older XML, each
// compressed or not), read for the settings it claims and then brought up
// to date with the folders: a cache that is read must
// give a tree that walks, writes a cache that reads back to the same tree,
// and survives the rescan.

#include "tests/fuzz/FuzzSupport.h"

#include "Source/patchtree/PatchTree.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"
#include "patches/Uuid.h"

#include <cstdlib>
#include <filesystem>

namespace
{
// The cache names its folders: they must be the same wherever the target
// runs, or no seed would match the settings.
const std::string kLibrary = "/tmp/zentrova-fuzz-patch-library";

void writePatch(const std::string& folder, const std::string& name, bool isEffect, int format)
{
    std::filesystem::create_directories(folder);
    const std::string text = "<?xml version=\"1.0\" ?>\n<zentrova version=\"2.0\" platform=\"linux\" uuid=\"" +
                             uuidToString(generateUuid()) + "\">\n    <patch name=\"" + name +
                             "\" />\n</zentrova>\n";
    ChunkBuffer chunk;
    chunk.assignCompressed(text);
    const std::string path = folder + "/" + name;
    if (format == 0)
        PatchFileHandler::writeFxp(path + ".fxp", name, chunk, isEffect);
    else if (format == 1)
        PatchFileHandler::writeAupreset(path + ".aupreset", name, chunk, isEffect);
    else
        PatchFileHandler::writeTfx(path + ".tfx", chunk, isEffect);
}

void makeLibrary()
{
    std::error_code ignored;
    std::filesystem::remove_all(kLibrary, ignored);
    writePatch(kLibrary + "/Instrument/Pads", "Soft", false, 0);
    writePatch(kLibrary + "/Instrument/Pads", "Soft", false, 1);
    writePatch(kLibrary + "/Instrument/Pads", "Twin", false, 2);
    writePatch(kLibrary + "/Instrument", "Stray", true, 0);
    writePatch(kLibrary + "/Instrument/Leads/Mono", "Saw", false, 0);
    writePatch(kLibrary + "/Effect/Wash", "Wide", true, 0);
    writePatch(kLibrary + "/Effect/Wash", "Wide", true, 1);
}

PatchTreeSettings settings()
{
    PatchTreeSettings result;
    result.instrumentFolders = "<folder name=\"Factory\" path=\"" + kLibrary + "/Instrument\"/>";
    result.effectFolders = "<foldergroup name=\"Effects\"><folder path=\"" + kLibrary +
                           "/Effect\"/><folder path=\"" + kLibrary + "/Missing\"/></foldergroup>";
    result.patchFormatFlags = kFileTypeFxp | kFileTypeAupreset | kFileTypeEffect;
    return result;
}

// Everything the tree shows of itself, as text.
std::string describe(PatchTree& tree)
{
    std::string text;
    std::vector<BankInfo> banks;
    tree.collectBanks(banks);
    std::vector<std::string> lines;
    for (const BankInfo& bank : banks)
    {
        text += bank.name + "|" + bank.address + "|" + std::to_string(bank.patchType) + "|" +
                std::to_string(bank.patchTypeError) + "\n";
        for (const std::string& path : bank.folderPaths())
            text += "  " + path + "\n";
        PatchFileHandler::describeIssues(lines, tree, bank.address);
    }
    std::vector<PatchInfoPointer> patches;
    tree.collectPatches(patches, "");
    for (const PatchInfoPointer& patch : patches)
    {
        text += patch->address + "|" + uuidToString(patch->uuid) + "|" + std::to_string(patch->patchType) + "|" +
                std::to_string(patch->patchTypeError) + "\n";
        for (const std::string& file : patch->files)
            text += "  " + file + "\n";
        if (!tree.findNode(patch->address))
            fuzz::fail("a listed patch is not found at its address");
        tree.findLeafByUuid(patch->uuid);
        PatchFileHandler::describeIssues(lines, tree, patch->address);
    }
    return text;
}

void writeSeeds(const std::string& folder)
{
    makeLibrary();
    PatchTree tree(settings());
    tree.rebuild(false);
    const std::string path = fuzz::home() + "/seed.bin";
    tree.writeCache(path);
    const fuzz::Bytes compressed = fuzz::readFile(path);
    fuzz::writeSeed(folder, "compressed", compressed);
    // The binary document itself, where mutations reach its words.
    ChunkBuffer chunk(compressed.data(), compressed.size());
    std::string binary;
    inflateBytes(chunk, binary, 64u << 20);
    if (!binary.empty())
        binary.pop_back();
    fuzz::writeSeed(folder, "binary", binary);
    // The XML document older versions wrote, where mutations reach the XML.
    std::string text = tree.cacheDocumentText();
    text.push_back('\0');
    fuzz::writeSeed(folder, "plain", text);
    std::error_code ignored;
    std::filesystem::remove_all(kLibrary, ignored);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    makeLibrary();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(kLibrary, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::writeInput("patchtree.bin", data, size);
    PatchTree tree(settings());
    if (tree.readCache(path))
    {
        const std::string read = describe(tree);
        const std::string written = fuzz::home() + "/written.bin";
        if (!tree.writeCache(written))
            fuzz::fail("a cache that was read cannot be written");
        PatchTree again(settings());
        if (!again.readCache(written))
            fuzz::fail("a written cache is not read back");
        if (describe(again) != read)
            fuzz::fail("a written cache reads back to another tree");
    }
    tree.rebuild(false);
    describe(tree);
    return 0;
}
