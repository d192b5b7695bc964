#include "patches/BankInfo.h"

BankInfo::BankInfo() = default;

BankInfo::~BankInfo() = default;

std::string BankInfo::lastFolderPath() const
{
    return folders.empty() ? std::string() : folders.back().path;
}

std::string BankInfo::firstFolderPath() const
{
    return folders.empty() ? std::string() : folders.front().path;
}

std::vector<std::string> BankInfo::folderPaths() const
{
    std::vector<std::string> paths;
    for (const BankFolder& folder : folders)
        paths.push_back(folder.path);
    return paths;
}
