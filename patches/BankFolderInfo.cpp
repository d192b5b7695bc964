#include "patches/BankFolderInfo.h"

#include "patches/PatchTypeBits.h"

#include <cassert>

BankFolderInfo::BankFolderInfo(std::uint32_t requiredFileType) : m_requiredFileType(requiredFileType)
{
    checkInvariants();
}

BankFolderInfo::BankFolderInfo(const FolderInfo& folder) : m_name(folder.name)
{
    add(folder);
    checkInvariants();
}

BankFolderInfo::BankFolderInfo(const FolderInfo& folder, std::uint32_t requiredFileType)
    : m_name(folder.name), m_requiredFileType(requiredFileType)
{
    add(folder);
    checkInvariants();
}

BankFolderInfo::BankFolderInfo(const std::vector<FolderInfo>& folders)
{
    if (!folders.empty())
        m_name = folders.front().name;
    for (const FolderInfo& folder : folders)
        add(folder);
    checkInvariants();
}

BankFolderInfo::BankFolderInfo(const BankFolderInfo& other) = default;

BankFolderInfo& BankFolderInfo::operator=(const BankFolderInfo& other) = default;

void BankFolderInfo::addFolderInfo(const FolderInfo& folder)
{
    add(folder);
    checkInvariants();
}

bool BankFolderInfo::wordsAreValid(std::uint32_t fileType, std::uint32_t requiredFileType)
{
    return requiredFileType != 0 && requiredFileType < kRequiredTypeLimit && fileType < kRecordWordLimit;
}

void BankFolderInfo::add(const FolderInfo& folder)
{
    m_folders.push_back(folder);
    m_fileType |= folder.containedFileTypes;
    if (folder.readOnly)
        m_fileType |= kFileTypeReadOnly;
    m_requiredFileType |= folder.requiredFileTypes;
}

void BankFolderInfo::checkInvariants() const
{
    assert(m_requiredFileType != 0 && "requiredFileType != 0");
    assert(m_requiredFileType < kRequiredTypeLimit && "requiredFileType < 256");
    assert(m_fileType < kRecordWordLimit && "fileType < 32768");
}
