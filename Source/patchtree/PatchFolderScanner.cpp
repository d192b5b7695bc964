#include "Source/patchtree/PatchFolderScanner.h"

#include "Source/patchtree/PatchTreeLeaf.h"
#include "Source/patchtree/UuidRegistry.h"
#include "Source/shared/Crc32.h"
#include "Source/ticpp/ticpp.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <map>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace
{
struct ScanFormat
{
    const char* extension;
    std::uint32_t bit;
};

// Compared exactly: "A.FXP" is not a patch file.
constexpr ScanFormat kScanFormats[] = {{".fxp", kFileTypeFxp},      {".fxb", kFileTypeFxb},
                                       {".aupreset", kFileTypeAupreset}, {".preset", kFileTypePreset},
                                       {".tfx", kFileTypeTfx}};

std::uint32_t scanFormatOf(const std::string& extension)
{
    for (const ScanFormat& format : kScanFormats)
        if (extension == format.extension)
            return format.bit;
    return 0;
}

bool identityOf(const std::string& path, std::pair<unsigned long, unsigned long>& identity)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return false;
    identity = {static_cast<unsigned long>(status.st_dev), static_cast<unsigned long>(status.st_ino)};
    return true;
}

// The kernel's views of processes, devices and its own state: no patch
// lives there, and some of them never end.
bool isPseudoFileSystem(const std::string& path)
{
    static constexpr unsigned long kPseudo[] = {
        PROC_SUPER_MAGIC,   SYSFS_MAGIC,        DEVPTS_SUPER_MAGIC, DEBUGFS_MAGIC,    SECURITYFS_MAGIC,
        CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, TRACEFS_MAGIC,     PSTOREFS_MAGIC,   BPF_FS_MAGIC,
        0x62656570 /* configfs */, 0x65735543 /* fusectl */, 0x19800202 /* mqueue */, HUGETLBFS_MAGIC,
        BINFMTFS_MAGIC,     EFIVARFS_MAGIC,     SELINUX_MAGIC,      NSFS_MAGIC,       AUTOFS_SUPER_MAGIC,
        0x67596969 /* rpc_pipefs */};
    struct statfs status;
    if (::statfs(path.c_str(), &status) != 0)
        return false;
    const unsigned long type = static_cast<unsigned long>(status.f_type) & 0xFFFFFFFFul;
    return std::find(std::begin(kPseudo), std::end(kPseudo), type) != std::end(kPseudo);
}

std::string joinPath(const std::string& folder, const char* name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

void addToListing(PatchFolderScanner::Listing& listing, const std::string& fileName, std::int64_t modifyTime)
{
    unsigned char time[4];
    for (int i = 0; i < 4; ++i)
        time[i] = static_cast<unsigned char>(static_cast<std::uint64_t>(modifyTime) >> (8 * i));
    listing.crc = crc32Of(fileName.data(), fileName.size(), listing.crc);
    listing.crc = crc32Of(time, sizeof time, listing.crc);
    for (char c : fileName)
        listing.sum += static_cast<unsigned char>(c);
    for (unsigned char byte : time)
        listing.sum += byte;
}

// Whether the node is what placing the record made of its files: a patch
// of those files, or the version-1 bank of its newest file.
bool describes(const PatchTreeNode::Pointer& node, const PatchFileInfo& record)
{
    if (!node || record.files().empty())
        return false;
    if (node->isLeaf())
    {
        const PatchInfoPointer patch = static_cast<const PatchTreeLeaf&>(*node).getPatchInfo();
        const std::vector<std::string>& paths = patch->files;
        if (paths.size() != record.files().size())
            return false;
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (paths[i] != record.files()[i].path)
                return false;
        return true;
    }
    const auto& bank = static_cast<const PatchTreeBranch&>(*node);
    return bank.isVirtual() && bank.firstFolderPath() == record.files().back().path;
}

bool containsName(const std::vector<BankFolderInfo>& groups, const std::string& name)
{
    for (const BankFolderInfo& group : groups)
        if (group.name() == name)
            return true;
    return false;
}
}

PatchFolderScanner::PatchFolderScanner(UuidRegistry& registry) : PatchFolderScanner(registry, Bounds())
{
}

PatchFolderScanner::PatchFolderScanner(UuidRegistry& registry, const Bounds& bounds)
    : m_registry(registry), m_bounds(bounds), m_entriesLeft(bounds.entries), m_foldersLeft(bounds.folders)
{
}

void PatchFolderScanner::createTree(PatchTreeBranch::Pointer& slot, const BankFolderInfo& group,
                                    const std::string& address, const PatchTreeBranch::Pointer& parent)
{
    struct Level
    {
        explicit Level(int& depth) : m_depth(++depth) {}
        ~Level() { --m_depth; }
        int& m_depth;
    } level(m_depth);
    // Each configured folder (or group) has the whole budget, so that one
    // huge folder does not empty the others.
    if (m_depth == 0)
    {
        m_entriesLeft = m_bounds.entries;
        m_foldersLeft = m_bounds.folders;
    }

    std::vector<FolderIdentity> entered;
    for (const FolderInfo& folder : group.folders())
    {
        FolderIdentity identity;
        if (identityOf(folder.path, identity) && m_ancestors.insert(identity).second)
            entered.push_back(identity);
    }

    std::vector<FolderInfo> subFolders;
    std::vector<FileInfo> files;
    Listing listing;
    for (const FolderInfo& folder : group.folders())
        listFolder(folder, subFolders, files, listing);

    std::stable_sort(subFolders.begin(), subFolders.end(),
                     [](const FolderInfo& a, const FolderInfo& b) { return a.name < b.name; });
    std::vector<BankFolderInfo> subGroups;
    for (const FolderInfo& subFolder : subFolders)
    {
        if (!subGroups.empty() && subGroups.back().name() == subFolder.name)
            subGroups.back().addFolderInfo(subFolder);
        else
            subGroups.emplace_back(subFolder, group.requiredFileType());
    }

    buildBranch(slot, group, address, subGroups, std::move(files), &listing, parent);

    for (const FolderIdentity& identity : entered)
        m_ancestors.erase(identity);
}

void PatchFolderScanner::listFolder(const FolderInfo& folder, std::vector<FolderInfo>& subFolders,
                                    std::vector<FileInfo>& files, Listing& listing)
{
    struct stat folderStatus;
    if (m_entriesLeft == 0 || ::stat(folder.path.c_str(), &folderStatus) != 0 || !S_ISDIR(folderStatus.st_mode))
        return;
    if (m_depth == 0 && isPseudoFileSystem(folder.path))
        return;
    // A folder that cannot be listed holds nothing as far as the scan can
    // tell; it never stops the scan.
    DIR* directory = ::opendir(folder.path.c_str());
    if (directory == nullptr)
        return;
    const int descriptor = ::dirfd(directory);
    const bool deeper = m_depth < m_bounds.depth;
    while (m_entriesLeft > 0)
    {
        const dirent* entry = ::readdir(directory);
        if (entry == nullptr)
            break;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        --m_entriesLeft;
        // Only folders and patch files are looked at closer; the type the
        // listing gives spares a status for every other file.
        const char* dot = std::strrchr(name, '.');
        std::uint32_t format = dot != nullptr ? scanFormatOf(dot) : 0;
        const unsigned char type = entry->d_type;
        if (type == DT_REG ? format == 0 : (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN))
            continue;
        if (type == DT_DIR && (!deeper || m_foldersLeft == 0))
            continue;
        struct stat status;
        if (::fstatat(descriptor, name, &status, 0) != 0)
            continue;
        if (S_ISDIR(status.st_mode))
        {
            if (!deeper || m_foldersLeft == 0 ||
                m_ancestors.count({static_cast<unsigned long>(status.st_dev),
                                   static_cast<unsigned long>(status.st_ino)}) != 0)
                continue;
            FolderInfo subFolder;
            subFolder.path = joinPath(folder.path, name);
            // Mount points are where a pseudo file system may start.
            if (status.st_dev != folderStatus.st_dev && isPseudoFileSystem(subFolder.path))
                continue;
            subFolder.name = name;
            subFolder.modifyTime = static_cast<std::int64_t>(status.st_mtim.tv_sec);
            subFolder.requiredFileTypes = folder.requiredFileTypes;
            subFolders.push_back(std::move(subFolder));
            --m_foldersLeft;
            continue;
        }
        if (!S_ISREG(status.st_mode) || format == 0)
            continue;
        FileInfo file;
        file.path = joinPath(folder.path, name);
        file.fileName = name;
        file.stem = file.fileName.substr(0, static_cast<std::size_t>(dot - name));
        // A file named only by its extension would give a patch without a
        // name, whose address is its bank's.
        if (file.stem.empty())
            file.stem = file.fileName;
        file.modifyTime = static_cast<std::int64_t>(status.st_mtim.tv_sec);
        file.modifyTimeNanoseconds = static_cast<std::uint32_t>(status.st_mtim.tv_nsec);
        file.size = static_cast<std::uint64_t>(status.st_size);
        file.fileType = format | (isWritable(status) ? 0 : kFileTypeReadOnly);
        file.requiredFileType = folder.requiredFileTypes;
        addToListing(listing, file.fileName, file.modifyTime);
        files.push_back(std::move(file));
    }
    ::closedir(directory);
}

bool PatchFolderScanner::isWritable(const struct stat& status)
{
    // The files of a library mostly share owner, group and mode: the
    // answer (which asks the system for the process's ids) is kept.
    const Permission permission{static_cast<std::uint32_t>(status.st_mode & 0xFF),
                                static_cast<std::uint32_t>(status.st_uid), static_cast<std::uint32_t>(status.st_gid)};
    if (!m_lastPermissionValid || !(permission == m_lastPermission))
    {
        m_lastPermission = permission;
        m_lastPermissionValid = true;
        m_lastWritable = PatchFileHandler::isWritable(permission.mode, permission.owner, permission.group);
    }
    return m_lastWritable;
}

void PatchFolderScanner::buildBranch(PatchTreeBranch::Pointer& slot, const BankFolderInfo& group,
                                     const std::string& address, const std::vector<BankFolderInfo>& subGroups,
                                     std::vector<FileInfo> files, const Listing* listing,
                                     const PatchTreeBranch::Pointer& parent)
{
    if (!slot)
    {
        slot = std::make_shared<PatchTreeBranch>(group, address, parent);
    }
    else if (!group.folders().empty())
    {
        // Folders that joined or left the group since the last scan.
        std::vector<BankFolder> folders;
        for (const FolderInfo& folder : group.folders())
            folders.push_back(BankFolder{folder.path, folder.requiredFileTypes});
        slot->setFolders(folders);
    }
    PatchTreeBranch& bank = *slot;

    for (const BankFolderInfo& old : bank.banks())
        if (!containsName(subGroups, old.name()))
            bank.removeChild(old.name(), m_registry);

    // The records are always compared with the files as they are: a listing
    // that did not change says nothing of records that a damaged cache got
    // wrong, nor of a file rewritten within the second.
    updatePatches(bank, slot, files, subGroups, address, group.requiredFileType());
    if (listing != nullptr)
        bank.setCrc(listing->crc, listing->sum);

    for (const BankFolderInfo& subGroup : subGroups)
    {
        PatchTreeBranch::Pointer child;
        const PatchTreeNode::Pointer existing = bank.getChild(subGroup.name());
        if (existing)
        {
            auto branch = std::dynamic_pointer_cast<PatchTreeBranch>(existing);
            if (branch && !branch->isVirtual())
                child = branch;
            else
                bank.removeChild(subGroup.name(), m_registry);
        }
        const bool isNew = !child;
        createTree(child, subGroup, address + subGroup.name() + "/", slot);
        child->setPatchType(child->getPatchType() | (subGroup.fileType() & kFileTypeReadOnly));
        if (isNew)
            bank.addChild(child, m_registry);
    }
    bank.banks() = subGroups;
}

void PatchFolderScanner::updatePatches(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer,
                                       const std::vector<FileInfo>& files,
                                       const std::vector<BankFolderInfo>& subGroups, const std::string& address,
                                       std::uint32_t bankRequired)
{
    const std::vector<const FileInfo*> sorted = sortedFiles(files);
    // Most rescans find every folder as it was: nothing to regroup.
    if (isUnchanged(bank, sorted, subGroups))
        return;

    std::vector<PatchFileInfo> fresh = groupPatchFiles(sorted, bankRequired);
    const std::vector<PatchFileInfo>& old = bank.patchFiles();
    std::multimap<std::string, std::size_t> oldByName;
    for (std::size_t i = 0; i < old.size(); ++i)
        oldByName.emplace(old[i].name(), i);
    std::vector<bool> oldKept(old.size(), false);

    // The records of the files on disk, in name order; those whose files
    // are unchanged remember whether they gave a patch.
    enum class Was
    {
        New,
        Placed,
        Invalid
    };
    std::vector<PatchFileInfo> next;
    std::vector<Was> was;
    next.reserve(fresh.size());
    for (PatchFileInfo& record : fresh)
    {
        // A sub-folder of the same name takes the place of the patch.
        if (containsName(subGroups, record.name()))
            continue;
        Was state = Was::New;
        const auto range = oldByName.equal_range(record.name());
        for (auto it = range.first; it != range.second && state == Was::New; ++it)
            if (!oldKept[it->second] && old[it->second].sameFiles(record))
            {
                oldKept[it->second] = true;
                state = old[it->second].isInvalid() ? Was::Invalid : Was::Placed;
            }
        next.push_back(std::move(record));
        was.push_back(state);
    }
    for (std::size_t i = 0; i < old.size(); ++i)
        if (!oldKept[i])
            bank.removeChild(old[i].name(), m_registry);

    // Every patch (or version-1 bank) stands for a record of this listing,
    // and every sub-bank for a sub-folder; what a cache got wrong goes.
    auto recordNamed = [&](const std::string& name) {
        const auto at = std::lower_bound(next.begin(), next.end(), name,
                                         [](const PatchFileInfo& r, const std::string& n) { return r.name() < n; });
        return at != next.end() && at->name() == name ? &*at : nullptr;
    };
    std::vector<std::string> strays;
    for (const PatchTreeBranch::Child& child : bank.children())
    {
        const auto branch = std::dynamic_pointer_cast<PatchTreeBranch>(child.second);
        const bool subBank = branch && !branch->isVirtual();
        if (subBank ? !containsName(subGroups, child.first) : recordNamed(child.first) == nullptr)
            strays.push_back(child.first);
    }
    for (const std::string& name : strays)
        bank.removeChild(name, m_registry);

    for (std::size_t i = 0; i < next.size(); ++i)
    {
        const PatchFileInfo& record = next[i];
        const PatchTreeNode::Pointer child = bank.getChild(record.name());
        if (was[i] == Was::Invalid && !child)
        {
            next[i].markInvalid();
            continue;
        }
        if (was[i] == Was::Placed && describes(child, record))
            continue;
        // New files, or a patch that does not match its files: read them.
        if (child)
            bank.removeChild(record.name(), m_registry);
        if (!placeRecord(bank, bankPointer, record, address, bankRequired))
            next[i].markInvalid();
    }
    for (PatchFileInfo& record : next)
        record.markPlaced();
    bank.patchFiles() = std::move(next);
}

std::vector<const FileInfo*> PatchFolderScanner::sortedFiles(const std::vector<FileInfo>& files)
{
    std::vector<const FileInfo*> sorted;
    sorted.reserve(files.size());
    for (const FileInfo& file : files)
        sorted.push_back(&file);
    std::sort(sorted.begin(), sorted.end(), [](const FileInfo* a, const FileInfo* b) {
        if (a->stem != b->stem)
            return a->stem < b->stem;
        if (a->modifyTime != b->modifyTime)
            return a->modifyTime < b->modifyTime;
        // Files of one time keep one order whatever the listing's order.
        if (a->modifyTimeNanoseconds != b->modifyTimeNanoseconds)
            return a->modifyTimeNanoseconds < b->modifyTimeNanoseconds;
        return a->path < b->path;
    });
    return sorted;
}

std::vector<PatchFileInfo> PatchFolderScanner::groupPatchFiles(const std::vector<const FileInfo*>& sorted,
                                                               std::uint32_t requiredFileType)
{
    std::vector<PatchFileInfo> records;
    for (const FileInfo* file : sorted)
    {
        if (!records.empty() && records.back().name() == file->stem)
            records.back().addFileInfo(*file);
        else
            records.emplace_back(*file, requiredFileType);
    }
    return records;
}

bool PatchFolderScanner::isUnchanged(const PatchTreeBranch& bank, const std::vector<const FileInfo*>& sorted,
                                     const std::vector<BankFolderInfo>& subGroups)
{
    // Files named like a sub-folder have no record: the sub-bank stands there.
    std::size_t next = 0;
    auto skipHidden = [&] {
        while (!subGroups.empty() && next < sorted.size() && containsName(subGroups, sorted[next]->stem))
            ++next;
    };
    std::size_t placed = 0;
    for (const PatchFileInfo& record : bank.patchFiles())
    {
        for (const FileInfo& file : record.files())
        {
            skipHidden();
            if (next == sorted.size())
                return false;
            const FileInfo& found = *sorted[next++];
            if (found.stem != record.name() || found.fileName != file.fileName || found.modifyTime != file.modifyTime ||
                found.modifyTimeNanoseconds != file.modifyTimeNanoseconds || found.size != file.size ||
                found.path != file.path)
                return false;
        }
        // One record per stem: the next file must start another.
        if (next < sorted.size() && sorted[next]->stem == record.name())
            return false;
        const PatchTreeNode::Pointer child = bank.getChild(record.name());
        if (record.isInvalid() ? child != nullptr : !describes(child, record))
            return false;
        placed += record.isInvalid() ? 0 : 1;
    }
    skipHidden();
    if (next != sorted.size())
        return false;
    // No patch without a record, no bank without a sub-folder.
    std::size_t subBanks = 0;
    for (const PatchTreeBranch::Child& child : bank.children())
    {
        if (!child.second->isBranch() || static_cast<const PatchTreeBranch&>(*child.second).isVirtual())
            continue;
        if (!containsName(subGroups, child.first))
            return false;
        ++subBanks;
    }
    return bank.children().size() == placed + subBanks;
}

bool PatchFolderScanner::placeRecord(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer,
                                     const PatchFileInfo& record, const std::string& address,
                                     std::uint32_t bankRequired)
{
    std::uint32_t detected;
    try
    {
        detected = PatchFileHandler::classifyPatchFile(record.files().front().path);
    }
    catch (const std::exception&)
    {
        detected = kFileTypeInvalid;
    }
    std::uint32_t typeWord = detected | (record.fileType() & kFileTypeReadOnly);
    if ((detected & kFileTypeVersion1) == 0)
        typeWord |= record.fileType();

    if ((typeWord & kFileTypeVersion1) != 0 && (typeWord & (kFileTypeFxb | kFileTypeAupreset | kFileTypePreset)) != 0)
    {
        const PatchTreeBranch::Pointer version1Bank = makeVersion1Bank(record, address, bankPointer, bankRequired);
        if (version1Bank)
            bank.addChild(version1Bank, m_registry);
        return version1Bank != nullptr;
    }
    if ((typeWord & kFileTypeInvalid) != 0)
        return false;
    const PatchInfo info = readPatchInfo(record, typeWord);
    if ((info.patchType & kFileTypeInvalid) != 0)
        return false;
    auto leaf = std::make_shared<PatchTreeLeaf>(info, address, bankPointer, typeWord, bankRequired);
    leaf->registerUuid(m_registry);
    bank.addChild(leaf, m_registry);
    return true;
}

PatchTreeBranch::Pointer PatchFolderScanner::makeVersion1Bank(const PatchFileInfo& record, const std::string& address,
                                                              const PatchTreeBranch::Pointer& parent,
                                                              std::uint32_t bankRequired)
{
    const FileInfo& newest = record.files().back();
    ChunkBuffer data;
    if (PatchFileHandler().loadPatch(newest.path, data) != kLoadVersion1Bank)
        return nullptr;
    const std::uint32_t readOnly = newest.fileType & kFileTypeReadOnly;
    BankInfo info;
    info.name = newest.stem;
    info.address = address + info.name + "/";
    info.folders.push_back(BankFolder{newest.path, 0});
    info.patchType = kFileTypeVersion1 | kFileTypeFxb | readOnly;
    info.patchTypeError = kIssueVersion1;
    info.requiredPatchType = bankRequired;
    auto bank = std::make_shared<PatchTreeBranch>(info, parent, true);
    // The names the bank's conversion gives the programs' files.
    const std::vector<std::string> names = Version1Patch::uniqueProgramFileNames(data);
    for (int program = 0; program < static_cast<int>(names.size()); ++program)
    {
        const std::uint32_t typeWord = (bankRequired & kFileTypeFlavours) | readOnly | kFileTypeVersion1 |
                                       kFileTypeFxb | (static_cast<std::uint32_t>(program) << kFileTypeProgramShift);
        bank->addChild(PatchTreeLeaf::makeVersion1Program(names[static_cast<std::size_t>(program)], info.address,
                                                          bank, newest.path, typeWord),
                       m_registry);
    }
    return bank;
}

PatchInfo PatchFolderScanner::readPatchInfo(const PatchFileInfo& record, std::uint32_t typeWord)
{
    // The uuid comes from the file.
    PatchInfo info{Uuid{}};
    info.name = record.name();
    for (const FileInfo& file : record.files())
        info.files.push_back(file.path);
    info.patchType = typeWord;
    info.patchTypeError = record.fileTypeError();
    if ((typeWord & kFileTypeVersion1) != 0)
    {
        info.uuid = Uuid{};
        return info;
    }
    try
    {
        ChunkBuffer chunk;
        const int loaded = PatchFileHandler().loadPatch(info.files.front(), chunk);
        if (loaded != kLoadBankChunk && loaded != kLoadProgramChunk)
            throw std::runtime_error("not a patch chunk");
        ticpp::Document document;
        document.Parse(inflateToString(chunk));
        const std::string text = document.FirstChildElement("zentrova")->GetAttribute("uuid");
        info.uuid = uuidFromString(text);
        if (isNilUuid(info.uuid) && !text.empty() && text != uuidToString(Uuid{}))
            throw std::runtime_error("not a uuid");
    }
    catch (const std::exception&)
    {
        info.patchType |= kFileTypeInvalid;
    }
    return info;
}
