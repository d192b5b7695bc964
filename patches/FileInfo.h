#pragma once

#include <cstdint>
#include <string>

// One patch file found by a folder scan.
struct FileInfo
{
    std::string path;
    std::string fileName; // with extension
    std::string stem;     // without extension
    std::int64_t modifyTime = 0;
    // One format bit, with the read-only bit when the file is read-only.
    std::uint32_t fileType = 0;
    // The required file types of the folder it was found in.
    std::uint32_t requiredFileType = 0;
};
