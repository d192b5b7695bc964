#pragma once

#include "patches/Uuid.h"

#include <cstdint>
#include <string>
#include <vector>

// The record of one patch in the library, also held by a patch state.
class PatchInfo
{
public:
    // Empty texts and words, a new time-based uuid.
    PatchInfo();
    PatchInfo(const PatchInfo&) = default;
    PatchInfo& operator=(const PatchInfo&) = default;
    ~PatchInfo();

    std::string name;
    // The bank's tree address followed by the patch name; empty when the
    // patch is not in the library.
    std::string address;
    std::string description;
    // The patch's files, oldest first.
    std::vector<std::string> files;
    std::uint32_t patchType = 0;
    std::uint32_t patchTypeError = 0;
    Uuid uuid;
};
