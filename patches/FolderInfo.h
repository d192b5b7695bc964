#pragma once

#include <cstdint>
#include <string>

// One folder found by a folder scan, or named by a folder list.
struct FolderInfo
{
    std::string path;
    std::string name;
    std::int64_t modifyTime = 0; // 0 for configured folders
    std::uint32_t requiredFileTypes = 0;
    std::uint32_t containedFileTypes = 0;
    bool readOnly = false;
};
