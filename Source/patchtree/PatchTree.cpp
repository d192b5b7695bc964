#include "Source/patchtree/PatchTree.h"

#include "Source/patchtree/PatchConversion.h"
#include "Source/patchtree/PatchFolderScanner.h"
#include "Source/patchtree/PatchTreeCache.h"
#include "Source/ticpp/Exception.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchFolderList.h"
#include "patches/PatchTypeBits.h"

#include <boost/filesystem.hpp>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <zlib.h>

namespace fs = boost::filesystem;

namespace
{
const char kRootName[] = "All Patches";
const char kInstrumentName[] = "Inst";
const char kEffectName[] = "FX";
const char kInstrumentPrefix[] = "Inst/";
const char kEffectPrefix[] = "FX/";
const char kTempSuffix[] = "_tmp";
const char* const kPatchExtensions[] = {".fxp", ".aupreset", ".tfx"};

// A cache holds the whole library; far beyond any real one.
constexpr std::uint64_t kMaxCacheFileSize = 256ull << 20;
constexpr std::uint64_t kMaxCacheTextSize = 256ull << 20;
// The cache is written at every close: fast compression, most of the gain.
constexpr int kCacheCompression = 1;

std::uint32_t effectRequired(std::uint32_t formatFlags)
{
    return (formatFlags & ~kFileTypeFlavours) | kFileTypeEffect;
}

// A broken folder list names no folders; it must not stop the plug-in.
std::vector<BankFolderInfo> readFolderList(const std::string& text, std::uint32_t required)
{
    try
    {
        return PatchFolderList::read(text, required);
    }
    catch (const ticpp::Exception&)
    {
        return std::vector<BankFolderInfo>();
    }
}

bool pathExists(const std::string& path)
{
    boost::system::error_code error;
    return fs::exists(path, error);
}

void buildTop(PatchFolderScanner& scanner, PatchTreeBranch::Pointer& slot, const std::vector<BankFolderInfo>& groups,
              const std::string& prefix, std::uint32_t required)
{
    if (groups.empty())
        slot = nullptr;
    else if (groups.size() == 1)
        scanner.createTree(slot, groups.front(), prefix, nullptr);
    else
        scanner.buildBranch(slot, BankFolderInfo(required), prefix, groups, std::vector<FileInfo>(), nullptr,
                            nullptr);
}
}

PatchTree::PatchTree(const PatchTreeSettings& settings)
    : m_settings(settings),
      m_flatListing((settings.patchFormatFlags & kFileTypeInstrument) != 0 &&
                    !readFolderList(settings.effectFolders, effectRequired(settings.patchFormatFlags)).empty())
{
}

PatchTree::~PatchTree() = default;

void PatchTree::setSettings(const PatchTreeSettings& settings)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings = settings;
}

PatchTree::Groups PatchTree::readGroups() const
{
    Groups groups;
    const std::uint32_t formats = m_settings.patchFormatFlags & ~kFileTypeFlavours;
    groups.effectRequired = effectRequired(m_settings.patchFormatFlags);
    groups.effect = readFolderList(m_settings.effectFolders, groups.effectRequired);
    // Without effect folders one tree takes both flavours, addressed from "".
    const bool shared = groups.effect.empty();
    groups.instrumentRequired = formats | (shared ? kFileTypeFlavours : kFileTypeInstrument);
    groups.instrumentPrefix = shared ? "" : kInstrumentPrefix;
    groups.instrument = readFolderList(m_settings.instrumentFolders, groups.instrumentRequired);
    return groups;
}

void PatchTree::rebuild(const std::string&, bool rescan)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (rescan || !m_root)
        rebuildLocked(false);
}

void PatchTree::rebuild(bool dropAll)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    rebuildLocked(dropAll);
}

void PatchTree::rebuildLocked(bool dropAll)
{
    m_groups = readGroups();
    const std::string builtFor =
        PatchTreeCache::settingsText(m_settings.patchFormatFlags, m_groups.instrument, m_groups.effect);
    // Other folders or formats change the shape and the issues of everything.
    if (builtFor != m_builtFor)
        dropAll = true;
    m_builtFor = builtFor;
    if (dropAll)
    {
        m_root = nullptr;
        m_instrumentTree = nullptr;
        m_effectTree = nullptr;
        m_registry.clear();
    }
    PatchFolderScanner scanner(m_registry);
    buildTop(scanner, m_effectTree, m_groups.effect, kEffectPrefix, m_groups.effectRequired);
    buildTop(scanner, m_instrumentTree, m_groups.instrument, m_groups.instrumentPrefix, m_groups.instrumentRequired);
    if (!m_root)
        buildRoot();
    // Bank issues follow their patches, also where patches left or changed.
    if (m_root)
        m_root->refreshIssuesBelow();
    m_folderPaths.clear();
    if (m_root)
        fillFolderPaths(*m_root);
}

void PatchTree::buildRoot()
{
    if (m_effectTree)
    {
        BankInfo info;
        info.name = kRootName;
        m_root = std::make_shared<PatchTreeBranch>(info, nullptr, false);
        if (m_instrumentTree)
        {
            m_instrumentTree->setName(kInstrumentName);
            m_root->addChild(m_instrumentTree, m_registry);
        }
        m_effectTree->setName(kEffectName);
        m_root->addChild(m_effectTree, m_registry);
    }
    else if (m_instrumentTree)
    {
        m_instrumentTree->setName(kRootName);
        m_root = m_instrumentTree;
    }
}

void PatchTree::fillFolderPaths(const PatchTreeBranch& bank)
{
    const BankInfo info = bank.getBankInfo();
    if (info.folders.empty())
    {
        for (const PatchTreeBranch::Child& child : bank.children())
            if (child.second->isBranch())
                fillFolderPaths(static_cast<const PatchTreeBranch&>(*child.second));
        return;
    }
    for (const BankFolder& folder : info.folders)
        m_folderPaths.emplace_back(folder.path, info.address);
}

PatchTreeNode::Pointer PatchTree::findNodeLocked(const std::string& address) const
{
    return m_root ? m_root->findNode(address) : nullptr;
}

void PatchTree::collectBanks(std::vector<BankInfo>& out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    out.clear();
    if (!m_root)
        return;
    if (m_flatListing)
        m_root->listBanksFlat(out);
    else
        m_root->listBanks(out, std::string(), 0);
}

void PatchTree::collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    collectPatchesLocked(out, address);
}

bool PatchTree::tryCollectPatches(std::vector<PatchInfoPointer>& out, const std::string& address)
{
    std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    collectPatchesLocked(out, address);
    return true;
}

void PatchTree::collectPatchesLocked(std::vector<PatchInfoPointer>& out, const std::string& address) const
{
    out.clear();
    if (!m_root)
        return;
    if (m_flatListing && address.empty())
        m_root->collectPatchesFlat(out);
    else
        m_root->collectPatches(out, address);
}

PatchTreeNode::Pointer PatchTree::findNode(const std::string& address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return findNodeLocked(address);
}

bool PatchTree::tryFindNode(const std::string& address, PatchTreeNode::Pointer& out)
{
    std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    out = findNodeLocked(address);
    return true;
}

PatchTreeNode::Pointer PatchTree::findNodeByFilePath(const std::string& path)
{
    std::string address;
    bool mapped = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& entry : m_folderPaths)
        {
            const std::string& folder = entry.first;
            if (path.compare(0, folder.size(), folder) != 0)
                continue;
            // "/p/Pads" is no prefix of "/p/Pads2".
            const bool atBoundary = path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
            if (!atBoundary)
                continue;
            std::size_t restStart = folder.size();
            if (restStart < path.size() && path[restStart] == '/')
                ++restStart;
            address = entry.second + path.substr(std::min(restStart, path.size()));
            mapped = true;
            break;
        }
    }
    if (!mapped)
        return nullptr;
    if (PatchTreeNode::Pointer node = findNode(address))
        return node;
    rebuild(false);
    return findNode(address);
}

std::shared_ptr<PatchTreeLeaf> PatchTree::findLeafByUuid(const Uuid& uuid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    PatchTreeLeaf* leaf = m_registry.find(uuid);
    return leaf != nullptr ? std::static_pointer_cast<PatchTreeLeaf>(leaf->shared_from_this()) : nullptr;
}

PatchInfoPointer PatchTree::getPatchInfo(const std::string& address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root ? m_root->getPatchInfo(address) : nullptr;
}

bool PatchTree::hasTree()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root != nullptr;
}

void PatchTree::convertAt(const std::string& address, std::uint32_t formatFlags, PatchConverter* converter)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    PatchTreeNode::Pointer node = findNodeLocked(address);
    if (!node)
        return;
    // A program of a version-1 bank is converted with its whole bank.
    const std::uint32_t version1Bank = kFileTypeVersion1 | kFileTypeFxb;
    if (node->isLeaf() && (node->getPatchType() & version1Bank) == version1Bank && node->getParent())
        node = node->getParent();
    PatchConversion conversion;
    conversion.formatFlags = formatFlags;
    conversion.deleteOriginal = m_settings.deleteOriginalOnConvert;
    conversion.converter = converter;
    try
    {
        node->convert(conversion);
    }
    catch (...)
    {
        rebuildLocked(false);
        throw;
    }
    // The converted files replace the old ones in the tree.
    rebuildLocked(false);
}

std::vector<BankFolder> PatchTree::folderForNode(const PatchTreeNode::Pointer& node, bool create)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!node)
        return std::vector<BankFolder>();
    std::shared_ptr<PatchTreeBranch> bank =
        node->isBranch() ? std::static_pointer_cast<PatchTreeBranch>(node) : node->getParent();
    return bank ? bank->folderEntries(create) : std::vector<BankFolder>();
}

bool PatchTree::deletePatch(const std::string& address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const PatchTreeNode::Pointer node = findNodeLocked(address);
    if (!node || !node->isLeaf() || node->getAddress() != address)
        return false;
    const std::shared_ptr<PatchTreeBranch> bank = node->getParent();
    // The file of a version-1 bank holds 35 other patches.
    if (bank && bank->isVirtual())
        return false;
    for (const std::string& file : static_cast<const PatchTreeLeaf&>(*node).getFiles())
        fs::remove(file);
    return true;
}

bool PatchTree::writeCache(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string document = PatchTreeCache::binaryDocument(
        m_settings.patchFormatFlags, m_groups.instrument, m_groups.effect, m_instrumentTree.get(), m_effectTree.get());
    // Most closes find the library as the cache already has it: the file
    // is left alone when it is the one read or written last, untouched.
    const CacheFile same = cacheFileOf(path, document);
    if (same.valid && same == m_cacheOnDisk)
        return true;
    ChunkBuffer compressed;
    if (compressed.assignCompressed(document, kCacheCompression) != 0)
        return false;
    if (!writeFileReplacing(path, ByteVector(compressed.data, compressed.data + compressed.size)))
        return false;
    m_cacheOnDisk = cacheFileOf(path, document);
    return true;
}

PatchTree::CacheFile PatchTree::cacheFileOf(const std::string& path, const std::string& document)
{
    CacheFile file;
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return file;
    file.path = path;
    file.documentCrc = ::crc32(0, reinterpret_cast<const Bytef*>(document.data()), static_cast<uInt>(document.size()));
    file.documentSize = document.size();
    file.fileSize = static_cast<std::uint64_t>(status.st_size);
    file.modifySeconds = static_cast<std::int64_t>(status.st_mtim.tv_sec);
    file.modifyNanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    file.valid = true;
    return file;
}

std::string PatchTree::cacheDocumentText()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return PatchTreeCache::documentText(m_settings.patchFormatFlags, m_groups.instrument, m_groups.effect,
                                        m_instrumentTree.get(), m_effectTree.get());
}

bool PatchTree::readCache(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_root = nullptr;
    m_instrumentTree = nullptr;
    m_effectTree = nullptr;
    m_registry.clear();
    m_folderPaths.clear();
    m_cacheOnDisk = CacheFile();
    m_groups = readGroups();
    m_builtFor = PatchTreeCache::settingsText(m_settings.patchFormatFlags, m_groups.instrument, m_groups.effect);

    ByteVector bytes;
    if (!readWholeFile(path, &bytes, kMaxCacheFileSize) || bytes.empty())
        return false;
    std::string document;
    {
        const ChunkBuffer chunk(bytes.data(), bytes.size());
        bool tooLarge = false;
        if (inflateBytes(chunk, document, kMaxCacheTextSize, &tooLarge))
        {
            // The chunk compression's NUL ends every compressed document.
            if (!document.empty() && document.back() == '\0')
                document.pop_back();
        }
        else
        {
            if (tooLarge)
                return false;
            // Not compressed: the document itself.
            document.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        }
    }
    try
    {
        PatchTreeCache::Trees trees;
        if (PatchTreeCache::isBinaryDocument(document))
        {
            trees = PatchTreeCache::readBinary(document, m_builtFor, m_groups.instrumentPrefix,
                                               !m_groups.instrument.empty(), !m_groups.effect.empty(), m_registry);
        }
        else
        {
            // The XML form older versions wrote, as text up to its NUL.
            document.resize(std::strlen(document.c_str()));
            trees = PatchTreeCache::read(document, m_builtFor, m_groups.instrumentPrefix,
                                         !m_groups.instrument.empty(), !m_groups.effect.empty(), m_registry);
        }
        m_instrumentTree = trees.instrument;
        m_effectTree = trees.effect;
        m_cacheOnDisk = cacheFileOf(path, document);
    }
    catch (const ticpp::Exception&)
    {
        m_registry.clear();
        return false;
    }
    catch (const PatchTreeCache::Malformed&)
    {
        m_registry.clear();
        return false;
    }
    buildRoot();
    if (m_root)
        fillFolderPaths(*m_root);
    return true;
}

std::string PatchTree::ensureFolder(const std::string& base, const std::string& sub)
{
    const std::string path = base + "/" + sub;
    if (pathExists(path))
        return std::string();
    boost::system::error_code error;
    fs::create_directories(path, error);
    return !error && isDirectory(path) ? path : std::string();
}

std::vector<BankFolder> PatchTree::makeTempFolders(const std::vector<BankFolder>& folders, const std::string& name)
{
    std::vector<BankFolder> made;
    // Far more banks of one name than anyone keeps.
    constexpr int kMaxSuffix = 10000;
    std::string candidate;
    for (int n = 0;; ++n)
    {
        if (n > kMaxSuffix)
            return made;
        char suffix[16] = "";
        if (n > 0)
            std::snprintf(suffix, sizeof suffix, "(%d)", n);
        candidate = name + suffix;
        bool taken = false;
        for (const BankFolder& folder : folders)
        {
            const std::string path = folder.path + "/" + candidate;
            taken = taken || pathExists(path) || pathExists(path + kTempSuffix);
        }
        if (!taken)
            break;
    }
    for (const BankFolder& folder : folders)
    {
        const std::string path = folder.path + "/" + candidate + kTempSuffix;
        boost::system::error_code error;
        fs::create_directories(path, error);
        if (isDirectory(path))
            made.push_back(BankFolder{path, folder.requiredFileTypes});
    }
    return made;
}

bool PatchTree::patchNameExists(const PatchTreeBranch& bank, const std::string& name)
{
    // Saving makes the same file name of the patch name.
    const std::string fileName = safePatchFileName(name);
    for (const BankFolder& folder : bank.getBankInfo().folders)
        for (const char* extension : kPatchExtensions)
            if (pathExists(folder.path + "/" + fileName + extension))
                return true;
    return false;
}
