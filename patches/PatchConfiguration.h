#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "Source/patchtree/PatchTreeSettings.h"
#include "patches/ConfigurationBase.h"

class PatchTree;

// The patch side of the configuration: the instrument and effect patch
// folders, where new patches and snapshots go, the eight patch memories of
// each flavour, the formats patches are saved in, how older patches are
// converted, and the patch tree built from the folders.
class PatchConfiguration : public ConfigurationBase
{
public:
    static constexpr int kNumPatchMemories = 8;

    enum ConvertMode
    {
        kConvertNone = 0,
        kConvertVersion1 = 1,
        kConvertVersion2 = 2,
        kConvertBoth = 3,
    };

    // The deliverable decides the patch type bit and which memories are its
    // own.
    explicit PatchConfiguration(bool isEffect);
    ~PatchConfiguration() override;

    bool isEffect() const { return m_isEffect; }

    // The configured formats (1 AU, 2 VST, 4 RTAS) with this deliverable's
    // patch type bit (0x40 effect, 0x80 instrument).
    int getPatchFormatFlags() const;
    int getConvertMode() const { return m_convertMode.load(std::memory_order_relaxed); }
    bool getDeleteOriginal() const { return m_deleteOriginal.load(std::memory_order_relaxed); }

    // Tree addresses of the flavour's snapshot and default save banks.
    std::string getSnapshotFolder(bool isEffect) const;
    std::string getDefaultSaveFolder(bool isEffect) const;

    // This deliverable's patch memory of slot 0-7 (the effect's follow the
    // instrument's while they mirror them); empty for other slots.
    std::string getPatchMemory(int slot) const;
    // False, changing nothing, for another slot or a text the configuration
    // file cannot hold (a ";", "}" or line break).
    bool setPatchMemory(int slot, const std::string& text);

    // The folder lists: XML "folder" and "foldergroup" elements.
    std::string getInstPatchFolders() const;
    std::string getFxPatchFolders() const;
    // Set when the effect side has no folder list of its own.
    bool getSharedFolders() const;

    // Replaces the patch tree by a new, empty one over the present settings.
    void createPatchTree();
    // What the patch tree takes of the configuration; a tree told of new
    // settings (PatchTree::setSettings) rebuilds itself afresh.
    PatchTreeSettings getPatchTreeSettings() const;
    PatchTree* getPatchTree() { return m_patchTree.get(); }
    std::string getPatchTreeCachePath() const;

    // The folder list with each quoted path that starts with the home folder
    // starting with "~" instead; only whole path components are replaced.
    static std::string abbreviateHome(const std::string& folderList, const std::string& home);
    // The reverse: a quoted path "~" or starting with "~/" gets the home
    // folder back.
    static std::string expandHome(const std::string& folderList, const std::string& home);
    // "User" when a folder of the list is so named, else the name of its
    // first folder; empty when the list does not parse or has no folder.
    static std::string defaultFolderName(const std::string& folderList);

protected:
    // The callers below hold the lock or run before the object is shared.

    // Fills in what a configuration file left empty: the default folders
    // (made on disk when they lie in the user's folder), their memories and
    // the save and snapshot banks.
    void applyFolderDefaults();
    // Reads the cache and brings the tree up to date with the folders.
    void readPatchTreeCache();
    void writePatchTreeCache();

    std::atomic<int> m_convertMode{kConvertNone};
    std::atomic<int> m_patchFormat;
    std::array<std::string, kNumPatchMemories> m_instMemories;
    std::array<std::string, kNumPatchMemories> m_fxMemories;
    std::atomic<bool> m_deleteOriginal{false};
    bool m_mirrorMemories = false;
    std::string m_instPatchFolders;
    std::string m_fxPatchFolders;
    bool m_sharedFolders = false;
    std::string m_instDefaultSaveFolder;
    std::string m_fxDefaultSaveFolder;
    std::string m_instSnapshotFolder;
    std::string m_fxSnapshotFolder;

private:
    // The effect's memories follow the instrument's while they mirror them.
    bool usesInstrumentMemories() const;

    const bool m_isEffect;
    std::unique_ptr<PatchTree> m_patchTree;
};
