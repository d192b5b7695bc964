#pragma once

#include "Source/patchtree/PatchTreeBranch.h"
#include "Source/patchtree/PatchTreeLeaf.h"
#include "Source/patchtree/PatchTreeSettings.h"
#include "Source/patchtree/UuidRegistry.h"
#include "patches/BankFolderInfo.h"
#include "patches/BankInfo.h"
#include "patches/PatchInfo.h"
#include "patches/Uuid.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class PatchConverter;

// The patch library as a tree: a root ("All Patches"), an instrument and an
// effect tree (or one tree for both), banks and patches. A tree address is
// the node names joined by "/"; a bank's ends with "/".
//
// Every operation that walks or changes the tree holds the tree's lock for
// its whole run; the lock is not recursive. What the tree hands out is
// shared: nodes and records stay valid, as they were, when another thread
// rebuilds the tree.
class PatchTree
{
public:
    explicit PatchTree(const PatchTreeSettings& settings = PatchTreeSettings());
    ~PatchTree();

    PatchTree(const PatchTree&) = delete;
    PatchTree& operator=(const PatchTree&) = delete;

    // A change of folders or formats makes the next rebuild start afresh.
    void setSettings(const PatchTreeSettings& settings);

    // Brings the tree up to date with the folders when rescan is set, or
    // when there is no tree yet; otherwise leaves it as it is. The whole
    // tree is rescanned: folders whose listing did not change cost a look
    // at the listing only.
    void rebuild(const std::string& address, bool rescan);
    // Rescans the folders; dropAll first drops every node.
    void rebuild(bool dropAll);
    void rebuild(const char*) = delete;

    // Every bank, each name indented by four spaces per depth.
    void collectBanks(std::vector<BankInfo>& out);
    void collectAll(std::vector<BankInfo>& out) { collectBanks(out); }
    // The patches under the address in tree order; all for an empty address.
    void collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address);
    // The node at the address (a patch for any address below it too), or null.
    PatchTreeNode::Pointer findNode(const std::string& address);
    // The node that a folder below a configured folder stands for; a folder
    // that maps to no node makes one rescan first.
    PatchTreeNode::Pointer findNodeByFilePath(const std::string& path);
    // For the audio thread, which must not wait for a rescan: the same
    // lookups, but false at once, with out untouched, while another thread
    // holds the tree.
    bool tryFindNode(const std::string& address, PatchTreeNode::Pointer& out);
    bool tryCollectPatches(std::vector<PatchInfoPointer>& out, const std::string& address);
    std::shared_ptr<PatchTreeLeaf> findLeafByUuid(const Uuid& uuid);
    PatchInfoPointer getPatchInfo(const std::string& address);
    bool hasTree();
    // Whether the instrument build lists both flavours' patches flat.
    bool isFlatListing() const { return m_flatListing; }

    // Converts the patches at the address to formatFlags, asking whether to
    // go on at read-only patches, then rescans. What needs a patch state is
    // done through converter and skipped without one. File-system errors
    // pass to the caller.
    void convertAt(const std::string& address, std::uint32_t formatFlags, PatchConverter* converter = nullptr);
    // The disk folders of a bank (of a patch's bank), made on disk in every
    // folder of the parent bank that lacks them when create is set.
    std::vector<BankFolder> folderForNode(const PatchTreeNode::Pointer& node, bool create);
    // Removes the files of the patch at exactly this address; a program of a
    // version-1 bank file is not removed. The tree is left as it is: the
    // caller rescans. File-system errors pass to the caller.
    bool deletePatch(const std::string& address);
    bool deletePatchLocked(const std::string& address) { return deletePatch(address); }

    // The cache file: written complete or not at all, and not at all when
    // the file is still the one this tree read or wrote and holds this
    // tree; a cache that belongs to other settings, is malformed or breaks
    // the tree's rules is not read, leaving no tree until the next rebuild.
    // Neither reports errors.
    bool writeCache(const std::string& path);
    bool readCache(const std::string& path);
    // The tree as the XML document older versions wrote as their cache,
    // which readCache still reads.
    std::string cacheDocumentText();

    // base/sub made with its parents; empty when it existed or failed.
    static std::string ensureFolder(const std::string& base, const std::string& sub);
    // name, or name(1), name(2) ... whichever none of the folders holds,
    // made in every folder with "_tmp" appended; the folders that exist
    // afterwards, with their folder's type word.
    static std::vector<BankFolder> makeTempFolders(const std::vector<BankFolder>& folders, const std::string& name);
    // Whether any folder of the bank holds a patch file of that name.
    static bool patchNameExists(const PatchTreeBranch& bank, const std::string& name);

private:
    struct Groups
    {
        std::vector<BankFolderInfo> instrument;
        std::vector<BankFolderInfo> effect;
        std::uint32_t instrumentRequired = 0;
        std::uint32_t effectRequired = 0;
        std::string instrumentPrefix;
    };

    // A cache file as this tree last read or wrote it.
    struct CacheFile
    {
        bool valid = false;
        std::string path;
        std::uint32_t documentCrc = 0;
        std::uint64_t documentSize = 0;
        std::uint64_t fileSize = 0;
        std::int64_t modifySeconds = 0;
        std::int64_t modifyNanoseconds = 0;
        bool operator==(const CacheFile& other) const
        {
            return valid == other.valid && path == other.path && documentCrc == other.documentCrc &&
                   documentSize == other.documentSize && fileSize == other.fileSize &&
                   modifySeconds == other.modifySeconds && modifyNanoseconds == other.modifyNanoseconds;
        }
    };
    static CacheFile cacheFileOf(const std::string& path, const std::string& document);

    Groups readGroups() const;
    void rebuildLocked(bool dropAll);
    void buildRoot();
    void fillFolderPaths(const PatchTreeBranch& bank);
    PatchTreeNode::Pointer findNodeLocked(const std::string& address) const;
    void collectPatchesLocked(std::vector<PatchInfoPointer>& out, const std::string& address) const;

    std::mutex m_mutex;
    PatchTreeSettings m_settings;
    const bool m_flatListing;
    UuidRegistry m_registry;
    PatchTreeBranch::Pointer m_root;
    PatchTreeBranch::Pointer m_instrumentTree;
    PatchTreeBranch::Pointer m_effectTree;
    Groups m_groups;
    // The settings the tree was built for, as the cache prints them.
    std::string m_builtFor;
    CacheFile m_cacheOnDisk;
    // {folder path, bank address} of the banks backed by folders.
    std::vector<std::pair<std::string, std::string>> m_folderPaths;
};
