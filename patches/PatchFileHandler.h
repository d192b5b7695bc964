#pragma once

#include "patches/AuPresetFiles.h"
#include "patches/ChunkBuffer.h"
#include "patches/HostPresetFiles.h"
#include "patches/ProgramBankFiles.h"
#include "patches/PstFiles.h"

#include <cstdint>
#include <string>
#include <vector>

class PatchTree;

// The single entry to the patch file formats: loads any supported file into a
// chunk, saves a chunk in the configured formats over a bank's folders, tells
// a file's type and tests permissions. It holds no state; the format units'
// readers and writers are its operations too (PatchFileHandler::readFxp, ...).
class PatchFileHandler : public ProgramBankFiles, public AuPresetFiles, public HostPresetFiles, public PstFiles
{
public:
    // One folder of a bank and the file types required there.
    struct Folder
    {
        std::string path;
        std::uint32_t requiredFileTypes = 0;
    };

    virtual ~PatchFileHandler();

    // By the path's extension (letters compared in lower case): a PatchLoadResult.
    // Never throws for a malformed file: every unusable file gives -1.
    virtual int loadPatch(const std::string& path, ChunkBuffer& chunk);

    // Writes the chunk as patchName in each format of (formatMask AND each
    // folder's required types), and once every one of those writes succeeded
    // retires the folders' files of that name in the other formats (renamed
    // with "._bk" appended, or removed with deleteOriginal). Read-only files
    // are skipped; a save with files it could not write raises one alert that
    // names the first and why. Returns the number of files that could not be
    // written; a save that has no file to write counts one (and alerts), as
    // the patch is then nowhere.
    virtual int savePatch(const std::vector<Folder>& folders, const std::string& patchName, const ChunkBuffer& chunk,
                          std::uint32_t formatMask, bool isEffect, bool deleteOriginal);

    // FileTypeBits from the extension and the contents; 0 for a file of no
    // patch format. A malformed preset gives its format bit with 0x200.
    static std::uint32_t classifyPatchFile(const std::string& path);

    // Puts a converted or replaced file out of the way: renamed with "._bk"
    // appended, or removed with deleteOriginal. False when that failed.
    static bool retireFile(const std::string& path, bool deleteOriginal);

    // Fills lines with the issues text of the node at address: its kind and
    // name, its address one component a line, and one line per issue.
    static void describeIssues(std::vector<std::string>& lines, PatchTree& tree, const std::string& address);

    // From the owner, group and permission bits; false from both when the path
    // does not exist.
    static bool isWritable(const std::string& path);
    static bool isReadOnly(const std::string& path);
    // The same test on a status the caller already has (mode bits, owner
    // and group ids).
    static bool isWritable(std::uint32_t mode, std::uint32_t owner, std::uint32_t group);

    // The extension from the last "." with A-Z lowered; empty when there is none.
    static std::string extensionOf(const std::string& path);
};
