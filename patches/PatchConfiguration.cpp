#include "patches/PatchConfiguration.h"

#include "Source/patchtree/PatchTree.h"
#include "Source/ticpp/ticpp.h"
#include "patches/ConfigurationText.h"
#include "patches/PatchTypeBits.h"

#include <filesystem>

namespace
{
constexpr char kInstrumentFolder[] = "Patches/Instrument";
constexpr char kEffectFolder[] = "Patches/Effect";
constexpr char kSnapshotFolder[] = "/Snapshots";
constexpr char kUserFolderName[] = "User";
constexpr char kCacheFileName[] = "/patchtree.bin";

// "/" as home abbreviates nothing: every path would start with it.
std::string homeWithoutTrailingSlash(const std::string& home)
{
    std::string trimmed = home;
    while (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    return trimmed;
}

bool isMemoryText(const std::string& text)
{
    return isPlainValue(text) && text.find(';') == std::string::npos;
}

// The save bank of one flavour's folders: the tree's prefix, then the
// default folder's name.
std::string defaultBank(const char* prefix, const std::string& folderList)
{
    std::string address = prefix;
    const std::string name = PatchConfiguration::defaultFolderName(folderList);
    if (!name.empty())
        address += "/" + name;
    return address;
}
} // namespace

PatchConfiguration::PatchConfiguration(bool isEffect)
    : m_patchFormat(static_cast<int>(kFileTypeFxp)), m_isEffect(isEffect)
{
}

PatchConfiguration::~PatchConfiguration() = default;

int PatchConfiguration::getPatchFormatFlags() const
{
    const int flavourBit = static_cast<int>(m_isEffect ? kFileTypeEffect : kFileTypeInstrument);
    return m_patchFormat.load(std::memory_order_relaxed) | flavourBit;
}

std::string PatchConfiguration::getSnapshotFolder(bool isEffect) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return isEffect ? m_fxSnapshotFolder : m_instSnapshotFolder;
}

std::string PatchConfiguration::getDefaultSaveFolder(bool isEffect) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return isEffect ? m_fxDefaultSaveFolder : m_instDefaultSaveFolder;
}

bool PatchConfiguration::usesInstrumentMemories() const
{
    return !m_isEffect || m_mirrorMemories;
}

std::string PatchConfiguration::getPatchMemory(int slot) const
{
    if (slot < 0 || slot >= kNumPatchMemories)
        return std::string();
    std::lock_guard<std::mutex> lock(m_mutex);
    return usesInstrumentMemories() ? m_instMemories[slot] : m_fxMemories[slot];
}

bool PatchConfiguration::setPatchMemory(int slot, const std::string& text)
{
    if (slot < 0 || slot >= kNumPatchMemories || !isMemoryText(text))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    (usesInstrumentMemories() ? m_instMemories[slot] : m_fxMemories[slot]) = text;
    return true;
}

std::string PatchConfiguration::getInstPatchFolders() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_instPatchFolders;
}

std::string PatchConfiguration::getFxPatchFolders() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fxPatchFolders;
}

bool PatchConfiguration::getSharedFolders() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sharedFolders;
}

void PatchConfiguration::createPatchTree()
{
    m_patchTree.reset();
    m_patchTree.reset(new PatchTree(getPatchTreeSettings()));
}

PatchTreeSettings PatchConfiguration::getPatchTreeSettings() const
{
    PatchTreeSettings settings;
    settings.instrumentFolders = getInstPatchFolders();
    settings.effectFolders = getSharedFolders() ? std::string() : getFxPatchFolders();
    settings.patchFormatFlags = static_cast<std::uint32_t>(getPatchFormatFlags());
    settings.deleteOriginalOnConvert = getDeleteOriginal();
    return settings;
}

std::string PatchConfiguration::getPatchTreeCachePath() const
{
    return getSupportFiles().userFolder + kCacheFileName;
}

void PatchConfiguration::readPatchTreeCache()
{
    // Without a support folder there is no cache, and no "/patchtree.bin".
    if (!getSupportFiles().userFolder.empty())
        m_patchTree->readCache(getPatchTreeCachePath());
    // The cache spares the folders whose listing did not change; the rest is
    // read now, so that the plug-ins list the library without a rescan.
    m_patchTree->rebuild(false);
}

void PatchConfiguration::writePatchTreeCache()
{
    if (m_patchTree && !getSupportFiles().userFolder.empty())
        m_patchTree->writeCache(getPatchTreeCachePath());
}

std::string PatchConfiguration::abbreviateHome(const std::string& folderList, const std::string& home)
{
    const std::string trimmed = homeWithoutTrailingSlash(home);
    if (trimmed.empty())
        return folderList;
    std::string abbreviated;
    abbreviated.reserve(folderList.size());
    std::size_t i = 0;
    while (i < folderList.size())
    {
        if (folderList[i] == '"' && folderList.compare(i + 1, trimmed.size(), trimmed) == 0)
        {
            const std::size_t after = i + 1 + trimmed.size();
            if (after < folderList.size() && (folderList[after] == '/' || folderList[after] == '"'))
            {
                abbreviated += "\"~";
                i = after;
                continue;
            }
        }
        abbreviated += folderList[i++];
    }
    return abbreviated;
}

std::string PatchConfiguration::expandHome(const std::string& folderList, const std::string& home)
{
    if (home.empty())
        return folderList;
    const std::string trimmed = homeWithoutTrailingSlash(home);
    std::string expanded;
    expanded.reserve(folderList.size());
    std::size_t i = 0;
    while (i < folderList.size())
    {
        if (folderList.compare(i, 3, "\"~/") == 0)
        {
            expanded += "\"" + trimmed + "/";
            i += 3;
        }
        else if (folderList.compare(i, 3, "\"~\"") == 0)
        {
            expanded += "\"" + (trimmed.empty() ? std::string("/") : trimmed) + "\"";
            i += 3;
        }
        else
        {
            expanded += folderList[i++];
        }
    }
    return expanded;
}

std::string PatchConfiguration::defaultFolderName(const std::string& folderList)
{
    std::string first;
    try
    {
        ticpp::Document document;
        document.Parse(folderList);
        ticpp::Iterator<ticpp::Element> folder("folder");
        bool isFirst = true;
        for (folder = folder.begin(&document); folder != folder.end(); folder++)
        {
            const std::string name = folder->GetAttribute("name");
            if (name == kUserFolderName)
                return name;
            if (isFirst)
                first = name;
            isFirst = false;
        }
    }
    catch (const ticpp::Exception&)
    {
        return std::string();
    }
    return first;
}

void PatchConfiguration::applyFolderDefaults()
{
    const SupportFiles& folders = getSupportFiles();
    const bool localIsUsers = !folders.localFolder.empty() && folders.localFolder == folders.userFolder;
    auto useDefault = [&](const char* folder, std::string& list, std::string& firstMemory) {
        const std::string path = folders.localFolder + "/" + folder;
        list = "<folder name=\"\" path=\"" + xmlAttributeText(path) + "\"/>";
        firstMemory = path;
        if (localIsUsers)
        {
            std::error_code ignored;
            std::filesystem::create_directories(path, ignored);
        }
    };
    if (m_instPatchFolders.empty())
        useDefault(kInstrumentFolder, m_instPatchFolders, m_instMemories[0]);
    if (!m_sharedFolders && m_fxPatchFolders.empty())
        useDefault(kEffectFolder, m_fxPatchFolders, m_fxMemories[0]);

    const std::string home = SupportFiles::homeFolder();
    m_instPatchFolders = expandHome(m_instPatchFolders, home);
    m_fxPatchFolders = expandHome(m_fxPatchFolders, home);

    const char* instPrefix = m_sharedFolders ? "" : "Inst";
    if (m_instDefaultSaveFolder.empty())
        m_instDefaultSaveFolder = defaultBank(instPrefix, m_instPatchFolders);
    if (m_fxDefaultSaveFolder.empty())
        m_fxDefaultSaveFolder = m_sharedFolders ? m_instDefaultSaveFolder : defaultBank("FX", m_fxPatchFolders);
    if (m_instSnapshotFolder.empty())
        m_instSnapshotFolder = defaultBank(instPrefix, m_instPatchFolders) + kSnapshotFolder;
    if (m_fxSnapshotFolder.empty())
        m_fxSnapshotFolder =
            m_sharedFolders ? m_instSnapshotFolder : defaultBank("FX", m_fxPatchFolders) + kSnapshotFolder;
}
