#include "Source/PatchFolderScanner.h"

#include "Source/Crc32.h"
#include "Source/PatchTreeLeaf.h"
#include "Source/UuidRegistry.h"
#include "Source/ticpp/ticpp.h"
#include "patches/ChunkBuffer.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"
#include "patches/Version1Patch.h"

#include <boost/filesystem.hpp>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace fs = boost::filesystem;

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

std::int64_t modifyTimeOf(const fs::path& path)
{
    boost::system::error_code error;
    const std::time_t time = fs::last_write_time(path, error);
    return error ? 0 : static_cast<std::int64_t>(time);
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

// Records of one list that the other lacks, by name; the old one first.
struct Difference
{
    const PatchFileInfo* record;
    bool old;
};

std::vector<Difference> differenceOf(const std::vector<PatchFileInfo>& old, const std::vector<PatchFileInfo>& fresh)
{
    std::multimap<std::string, const PatchFileInfo*> oldByName, freshByName;
    for (const PatchFileInfo& record : old)
        oldByName.emplace(record.name(), &record);
    for (const PatchFileInfo& record : fresh)
        freshByName.emplace(record.name(), &record);
    auto hasEqual = [](const std::multimap<std::string, const PatchFileInfo*>& list, const PatchFileInfo& record) {
        auto range = list.equal_range(record.name());
        for (auto it = range.first; it != range.second; ++it)
            if (it->second->sameFiles(record))
                return true;
        return false;
    };
    std::vector<Difference> difference;
    for (const PatchFileInfo& record : old)
        if (!hasEqual(freshByName, record))
            difference.push_back({&record, true});
    for (const PatchFileInfo& record : fresh)
        if (!hasEqual(oldByName, record))
            difference.push_back({&record, false});
    std::stable_sort(difference.begin(), difference.end(), [](const Difference& a, const Difference& b) {
        if (a.record->name() != b.record->name())
            return a.record->name() < b.record->name();
        return a.old && !b.old;
    });
    return difference;
}

bool containsName(const std::vector<BankFolderInfo>& groups, const std::string& name)
{
    for (const BankFolderInfo& group : groups)
        if (group.name() == name)
            return true;
    return false;
}
}

PatchFolderScanner::PatchFolderScanner(UuidRegistry& registry) : m_registry(registry)
{
}

void PatchFolderScanner::createTree(PatchTreeBranch::Pointer& slot, const BankFolderInfo& group,
                                    const std::string& address, const PatchTreeBranch::Pointer& parent)
{
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
    {
        boost::system::error_code error;
        // A folder that cannot be listed holds nothing as far as the scan
        // can tell; it never stops the scan.
        for (fs::directory_iterator entry(folder.path, error), end; !error && entry != end; entry.increment(error))
        {
            const fs::path& path = entry->path();
            boost::system::error_code statusError;
            const fs::file_status status = fs::status(path, statusError);
            if (statusError)
                continue;
            if (fs::is_directory(status))
            {
                FolderIdentity identity;
                if (!identityOf(path.string(), identity) || m_ancestors.count(identity) != 0)
                    continue;
                FolderInfo subFolder;
                subFolder.path = path.string();
                subFolder.name = path.filename().string();
                subFolder.modifyTime = modifyTimeOf(path);
                subFolder.requiredFileTypes = folder.requiredFileTypes;
                subFolders.push_back(subFolder);
                continue;
            }
            if (!fs::is_regular_file(status))
                continue;
            const std::uint32_t format = scanFormatOf(path.extension().string());
            if (format == 0)
                continue;
            FileInfo file;
            file.path = path.string();
            file.fileName = path.filename().string();
            file.stem = path.stem().string();
            // A file named only by its extension would give a patch without a
            // name, whose address is its bank's.
            if (file.stem.empty())
                file.stem = file.fileName;
            file.modifyTime = modifyTimeOf(path);
            file.fileType = format | (PatchFileHandler::isReadOnly(file.path) ? kFileTypeReadOnly : 0);
            file.requiredFileType = folder.requiredFileTypes;
            addToListing(listing, file.fileName, file.modifyTime);
            files.push_back(file);
        }
    }

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

    bool changed = false;
    for (const BankFolderInfo& old : bank.banks())
        if (!containsName(subGroups, old.name()))
        {
            bank.removeChild(old.name(), m_registry);
            changed = true;
        }

    // A bank whose removed sub-bank hid a patch of its name compares its
    // files again, so that the patch comes back.
    const bool unchanged = listing != nullptr && listing->crc == bank.crc() && listing->sum == bank.checksum();
    if (!unchanged || changed)
    {
        std::vector<PatchFileInfo> fresh = groupPatchFiles(std::move(files), group.requiredFileType());
        for (const Difference& difference : differenceOf(bank.patchFiles(), fresh))
        {
            if (difference.old)
                bank.removeChild(difference.record->name(), m_registry);
            // A sub-folder of the same name takes the place of the patch.
            else if (!containsName(subGroups, difference.record->name()))
                placeRecord(bank, slot, *difference.record, address, group.requiredFileType());
        }
        if (listing != nullptr)
            bank.setCrc(listing->crc, listing->sum);
        std::vector<PatchFileInfo> placed;
        for (PatchFileInfo& record : fresh)
            if (!containsName(subGroups, record.name()))
            {
                record.markPlaced();
                placed.push_back(std::move(record));
            }
        bank.patchFiles() = std::move(placed);
    }

    for (const BankFolderInfo& subGroup : subGroups)
    {
        PatchTreeBranch::Pointer child;
        const PatchTreeNode::Pointer existing = bank.getChild(subGroup.name());
        if (existing)
        {
            auto branch = std::dynamic_pointer_cast<PatchTreeBranch>(existing);
            if (branch && !branch->isVirtual())
            {
                child = branch;
            }
            else
            {
                // A patch (or version-1 bank) named like the sub-folder
                // gives way; it is placed again once the folder is gone.
                bank.removeChild(subGroup.name(), m_registry);
                auto& records = bank.patchFiles();
                records.erase(std::remove_if(records.begin(), records.end(),
                                             [&](const PatchFileInfo& r) { return r.name() == subGroup.name(); }),
                              records.end());
            }
        }
        const bool isNew = !child;
        createTree(child, subGroup, address + subGroup.name() + "/", slot);
        child->setPatchType(child->getPatchType() | (subGroup.fileType() & kFileTypeReadOnly));
        if (isNew)
            bank.addChild(child, m_registry);
    }
    bank.banks() = subGroups;
}

std::vector<PatchFileInfo> PatchFolderScanner::groupPatchFiles(std::vector<FileInfo> files,
                                                               std::uint32_t requiredFileType)
{
    std::stable_sort(files.begin(), files.end(), [](const FileInfo& a, const FileInfo& b) {
        if (a.stem != b.stem)
            return a.stem < b.stem;
        return a.modifyTime < b.modifyTime;
    });
    std::vector<PatchFileInfo> records;
    for (const FileInfo& file : files)
    {
        if (!records.empty() && records.back().name() == file.stem)
            records.back().addFileInfo(file);
        else
            records.emplace_back(file, requiredFileType);
    }
    return records;
}

void PatchFolderScanner::placeRecord(PatchTreeBranch& bank, const PatchTreeBranch::Pointer& bankPointer,
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
        if (const PatchTreeBranch::Pointer version1Bank = makeVersion1Bank(record, address, bankPointer, bankRequired))
            bank.addChild(version1Bank, m_registry);
        return;
    }
    if ((typeWord & kFileTypeInvalid) != 0)
        return;
    const PatchInfo info = readPatchInfo(record, typeWord);
    if ((info.patchType & kFileTypeInvalid) != 0)
        return;
    auto leaf = std::make_shared<PatchTreeLeaf>(info, address, bankPointer, typeWord, bankRequired);
    leaf->registerUuid(m_registry);
    bank.addChild(leaf, m_registry);
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
    PatchInfo info;
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
