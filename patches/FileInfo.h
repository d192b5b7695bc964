#pragma once

#include <cstdint>
#include <string>

// One patch file found by a folder scan.
struct FileInfo
{
    // The size of a file recorded by a cache that did not keep sizes: no
    // file on disk has it, so such a record is read again.
    static constexpr std::uint64_t kUnknownFileSize = ~std::uint64_t(0);

    std::string path;
    std::string fileName; // with extension
    std::string stem;     // without extension
    std::int64_t modifyTime = 0;
    // What tells a rewritten file from the one a record describes, even
    // within the same second.
    std::uint32_t modifyTimeNanoseconds = 0;
    std::uint64_t size = kUnknownFileSize;
    // One format bit, with the read-only bit when the file is read-only.
    std::uint32_t fileType = 0;
    // The required file types of the folder it was found in.
    std::uint32_t requiredFileType = 0;
};
