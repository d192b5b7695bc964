#pragma once

#include "patches/PatchFileHandler.h"

#include <cstdint>
#include <string>
#include <vector>

// One folder of a bank on disk and the file types it requires (0 for the
// file of a version-1 bank).
using BankFolder = PatchFileHandler::Folder;

// The record of one bank of the patch library, copied by value.
class BankInfo
{
public:
    BankInfo();
    BankInfo(const BankInfo&) = default;
    BankInfo& operator=(const BankInfo&) = default;
    ~BankInfo();

    // The last (first) folder path; empty when there is none.
    std::string lastFolderPath() const;
    std::string firstFolderPath() const;
    std::vector<std::string> folderPaths() const;

    // In the bank list the name is indented by four spaces per tree depth.
    std::string name;
    // Ends with "/"; empty for the root.
    std::string address;
    std::vector<BankFolder> folders;
    std::uint32_t patchType = 0;
    std::uint32_t patchTypeError = 0;
    std::uint32_t requiredPatchType = 0;
};
