#pragma once

#include "patches/FolderInfo.h"

#include <cstdint>
#include <string>
#include <vector>

// The same-named folders that together make one bank.
class BankFolderInfo
{
public:
    // An empty group: no folders, the given required word.
    explicit BankFolderInfo(std::uint32_t requiredFileType);
    explicit BankFolderInfo(const FolderInfo& folder);
    // One folder, in a bank that requires at least requiredFileType.
    BankFolderInfo(const FolderInfo& folder, std::uint32_t requiredFileType);
    // Named after the first member.
    explicit BankFolderInfo(const std::vector<FolderInfo>& folders);
    BankFolderInfo(const BankFolderInfo& other);
    BankFolderInfo& operator=(const BankFolderInfo& other);

    void addFolderInfo(const FolderInfo& folder);

    const std::string& name() const { return m_name; }
    // The members' contained types, with the read-only bit when any member
    // is read-only.
    std::uint32_t fileType() const { return m_fileType; }
    std::uint32_t requiredFileType() const { return m_requiredFileType; }
    const std::vector<FolderInfo>& folders() const { return m_folders; }

    // Whether a record with these words keeps the invariants the
    // constructors assert.
    static bool wordsAreValid(std::uint32_t fileType, std::uint32_t requiredFileType);

private:
    void add(const FolderInfo& folder);
    void checkInvariants() const;

    std::string m_name;
    std::uint32_t m_fileType = 0;
    std::uint32_t m_requiredFileType = 0;
    std::vector<FolderInfo> m_folders;
};
