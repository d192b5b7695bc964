#pragma once

#include "Source/patchtree/PatchTreeBranch.h"
#include "patches/BankFolderInfo.h"
#include "patches/FileInfo.h"
#include "patches/PatchFileInfo.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

class UuidRegistry;
struct stat;

// Turns folder groups into banks and patches. A bank remembers what it was
// built from (its patch groups, sub-folder groups and a CRC of its listing),
// so a rescan reads only the patch files that changed on disk. Runs under
// the tree's lock.
//
// A configured folder may be anything, "/" included: the scan skips the
// kernel's pseudo file systems and, for each configured folder (or group),
// goes no deeper and looks at no more entries and folders than its bounds
// allow (links are followed within them, loops never); what lies beyond is
// not in the tree.
class PatchFolderScanner
{
public:
    struct Bounds
    {
        // Folders below a configured folder.
        int depth = 16;
        // Far more than a library of ten thousand patches in every format
        // holds; a folder such as "/" stops within a few seconds even when
        // nothing of it is in the system's caches.
        std::uint64_t entries = 200000;
        std::uint64_t folders = 5000;
    };

    // CRC-32 and byte sum of a folder listing: the names and times of its
    // patch files.
    struct Listing
    {
        std::uint32_t crc = 0;
        std::uint32_t sum = 0;
    };

    explicit PatchFolderScanner(UuidRegistry& registry);
    PatchFolderScanner(UuidRegistry& registry, const Bounds& bounds);

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

    bool isWritable(const struct stat& status);
    void listFolder(const FolderInfo& folder, std::vector<FolderInfo>& subFolders, std::vector<FileInfo>& files,
                    Listing& listing);
    // By stem, then by age: a patch's files oldest first.
    static std::vector<const FileInfo*> sortedFiles(const std::vector<FileInfo>& files);
    static std::vector<PatchFileInfo> groupPatchFiles(const std::vector<const FileInfo*>& sorted,
                                                      std::uint32_t requiredFileType);
    // Whether the bank's records are those of the sorted files and its
    // patches and sub-banks are what they make.
    static bool isUnchanged(const PatchTreeBranch& bank, const std::vector<const FileInfo*>& sorted,
                            const std::vector<BankFolderInfo>& subGroups);
    // Brings the bank's patches in line with the records of its files as
    // they are on disk; records and patches of files that are gone leave.
    void updatePatches(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer,
                       const std::vector<FileInfo>& files, const std::vector<BankFolderInfo>& subGroups,
                       const std::string& address, std::uint32_t bankRequired);
    // False when the record gives no patch (nothing added).
    bool placeRecord(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer, const PatchFileInfo& record,
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
    struct Permission
    {
        std::uint32_t mode, owner, group;
        bool operator==(const Permission& other) const
        {
            return mode == other.mode && owner == other.owner && group == other.group;
        }
    };
    Permission m_lastPermission{0, 0, 0};
    bool m_lastPermissionValid = false;
    bool m_lastWritable = false;
    const Bounds m_bounds;
    // -1 above the configured folders, 0 in one of them.
    int m_depth = -1;
    std::uint64_t m_entriesLeft = 0;
    std::uint64_t m_foldersLeft = 0;
};
