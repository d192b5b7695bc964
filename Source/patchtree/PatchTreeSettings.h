#pragma once

#include "patches/PatchTypeBits.h"

#include <cstdint>
#include <string>

// What the patch tree takes from the configuration.
struct PatchTreeSettings
{
    // The folder lists of the two trees ("folder" and "foldergroup"
    // elements); an empty effect list makes one tree for both flavours.
    std::string instrumentFolders;
    std::string effectFolders;
    // The configured patch formats with this build's flavour bit.
    std::uint32_t patchFormatFlags = kFileTypeFxp | kFileTypeEffect;
    // "Delete Original Patch On Convert".
    bool deleteOriginalOnConvert = false;
};
