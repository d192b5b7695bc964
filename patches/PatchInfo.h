#pragma once

#include "patches/Uuid.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The record of one patch in the library, also held by a patch state.
class PatchInfo
{
public:
    // Empty texts and words, a new time-based uuid.
    PatchInfo();
    // Empty texts and words, the given uuid: for records whose uuid is
    // known (the cache's), so that none is generated for nothing.
    explicit PatchInfo(const Uuid& knownUuid);
    PatchInfo(const PatchInfo&) = default;
    PatchInfo& operator=(const PatchInfo&) = default;
    ~PatchInfo();

    // The program of a version-1 bank file that this patch stands for (kept
    // in the high half of the type word); 0 for every other patch.
    int programInFile() const;
    // The newest file, the one a load reads; empty when there is none.
    std::string lastFile() const;
    // The name where there is one, else the last file's name (a file named
    // only by its extension gives the patch no name of its own).
    std::string shownName() const;

    std::string name;
    // The bank's tree address followed by the patch name; empty when the
    // patch is not in the library.
    std::string address;
    std::string description;
    // The patch's files, oldest first.
    std::vector<std::string> files;
    // FileTypeBits; bits 16-21 hold the program within a version-1 bank file.
    std::uint32_t patchType = 0;
    std::uint32_t patchTypeError = 0;
    Uuid uuid;
};

// The library hands out shared records: a list taken from the tree stays
// valid while the tree is rebuilt on another thread.
using PatchInfoPointer = std::shared_ptr<const PatchInfo>;
