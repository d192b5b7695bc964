#pragma once

// Shared by the patch tree tests: real patch folders in a temporary folder
// (with HOME and the XDG folders pointed inside it) and the patch files in
// them.

#include "Source/patchtree/PatchTree.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchTypeBits.h"

#include "tests/patches/PatchFileTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

namespace librarytest
{
using patchtest::TempFolder;

// A patch document carrying a uuid, compressed as a patch state writes it.
inline ChunkBuffer patchChunk(const std::string& name, const std::string& uuid)
{
    ChunkBuffer chunk;
    const std::string text = "<?xml version=\"1.0\" ?>\n<zentrova version=\"2.0\" platform=\"linux\" uuid=\"" + uuid +
                             "\">\n    <patch name=\"" + name + "\" />\n</zentrova>\n";
    EXPECT_EQ(chunk.assignCompressed(text), 0);
    return chunk;
}

inline std::string newUuid()
{
    return uuidToString(generateUuid());
}

// Sets the file's modification time, in seconds since the epoch.
inline void setTime(const std::string& path, long seconds)
{
    struct utimbuf times;
    times.actime = seconds;
    times.modtime = seconds;
    ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

inline std::string makeFolder(const std::string& path)
{
    EXPECT_EQ(std::system(("mkdir -p '" + path + "'").c_str()), 0);
    return path;
}

enum class Format
{
    Fxp,
    Aupreset,
    Tfx
};

// Writes a patch file of the format; returns its path.
inline std::string writePatch(const std::string& folder, const std::string& name, Format format,
                              bool isEffect = false, const std::string& uuid = newUuid(), long time = 1000000)
{
    const ChunkBuffer chunk = patchChunk(name, uuid);
    std::string path;
    switch (format)
    {
    case Format::Fxp:
        path = folder + "/" + name + ".fxp";
        EXPECT_EQ(PatchFileHandler::writeFxp(path, name, chunk, isEffect), 0);
        break;
    case Format::Aupreset:
        path = folder + "/" + name + ".aupreset";
        EXPECT_EQ(PatchFileHandler::writeAupreset(path, name, chunk, isEffect), 0);
        break;
    case Format::Tfx:
        path = folder + "/" + name + ".tfx";
        EXPECT_EQ(PatchFileHandler::writeTfx(path, chunk, isEffect), 0);
        break;
    }
    setTime(path, time);
    return path;
}

inline std::string writeVersion1Bank(const std::string& folder, const std::string& name)
{
    const std::string path = folder + "/" + name + ".fxb";
    patchtest::writeFile(path, patchtest::version1BankFile());
    setTime(path, 1000000);
    return path;
}

inline std::string writeVersion1Program(const std::string& folder, const std::string& name)
{
    ByteVector file;
    patchtest::appendVersion1Program(file, name, 0);
    const std::string path = folder + "/" + name + ".fxp";
    patchtest::writeFile(path, file);
    setTime(path, 1000000);
    return path;
}

inline std::string folderXml(const std::string& path, const std::string& name = "", const std::string& patchType = "")
{
    std::string xml = "<folder name=\"" + name + "\" path=\"" + path + "\"";
    if (!patchType.empty())
        xml += " patchtype=\"" + patchType + "\"";
    return xml + "/>";
}

inline std::string groupXml(const std::string& name, const std::vector<std::string>& paths)
{
    std::string xml = "<foldergroup name=\"" + name + "\">";
    for (const std::string& path : paths)
        xml += "<folder path=\"" + path + "\"/>";
    return xml + "</foldergroup>";
}

// The effect build's settings unless flags say otherwise.
inline PatchTreeSettings settings(const std::string& instrumentFolders, const std::string& effectFolders = "",
                                  std::uint32_t flags = kFileTypeFxp | kFileTypeEffect)
{
    PatchTreeSettings result;
    result.instrumentFolders = instrumentFolders;
    result.effectFolders = effectFolders;
    result.patchFormatFlags = flags;
    return result;
}

inline std::vector<std::string> patchAddresses(PatchTree& tree, const std::string& address = "")
{
    std::vector<PatchInfoPointer> patches;
    tree.collectPatches(patches, address);
    std::vector<std::string> addresses;
    for (const PatchInfoPointer& patch : patches)
        addresses.push_back(patch->address);
    return addresses;
}

inline std::vector<std::string> bankNames(PatchTree& tree)
{
    std::vector<BankInfo> banks;
    tree.collectBanks(banks);
    std::vector<std::string> names;
    for (const BankInfo& bank : banks)
        names.push_back(bank.name);
    return names;
}

inline std::uint32_t issuesAt(PatchTree& tree, const std::string& address)
{
    const PatchTreeNode::Pointer node = tree.findNode(address);
    EXPECT_NE(node, nullptr) << address;
    return node ? node->getPatchTypeError() : 0xFFFFFFFFu;
}

inline bool exists(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}
}
