#pragma once

#include "Source/PatchTreeBranch.h"
#include "patches/BankFolderInfo.h"
#include "patches/FileInfo.h"
#include "patches/PatchFileInfo.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

class UuidRegistry;

// Turns folder groups into banks and patches. A bank remembers what it was
// built from (its patch groups, sub-folder groups and a CRC of its listing),
// so a rescan rebuilds only what changed on disk. Runs under the tree's lock.
class PatchFolderScanner
{
public:
    // CRC-32 and byte sum of a folder listing: the names and times of its
    // patch files.
    struct Listing
    {
        std::uint32_t crc = 0;
        std::uint32_t sum = 0;
    };

    explicit PatchFolderScanner(UuidRegistry& registry);

    // Scans the group's folders into the bank in slot (made when empty).
    void createTree(PatchTreeBranch::Pointer& slot, const BankFolderInfo& group, const std::string& address,
                    const PatchTreeBranch::Pointer& parent);
    // Brings the bank in slot (made when empty) up to date with its patch
    // files and sub-folder groups; without a listing the files are always
    // compared.
    void buildBranch(PatchTreeBranch::Pointer& slot, const BankFolderInfo& group, const std::string& address,
                     const std::vector<BankFolderInfo>& subGroups, std::vector<FileInfo> files,
                     const Listing* listing, const PatchTreeBranch::Pointer& parent);

private:
    using FolderIdentity = std::pair<unsigned long, unsigned long>;

    static std::vector<PatchFileInfo> groupPatchFiles(std::vector<FileInfo> files, std::uint32_t requiredFileType);
    void placeRecord(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer, const PatchFileInfo& record,
                     const std::string& address, std::uint32_t bankRequired);
    PatchTreeBranch::Pointer makeVersion1Bank(const PatchFileInfo& record, const std::string& address,
                                              const PatchTreeBranch::Pointer& parent, std::uint32_t bankRequired);
    // The patch's record from its oldest file; its type word gets the
    // invalid bit when that file yields no patch chunk with a readable uuid.
    static PatchInfo readPatchInfo(const PatchFileInfo& record, std::uint32_t typeWord);

    UuidRegistry& m_registry;
    // The folders being scanned, from the configured ones down: a link back
    // to one of them is not followed again.
    std::set<FolderIdentity> m_ancestors;
};
