#pragma once

#include "patches/BankInfo.h"
#include "patches/ChunkBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

class PatchTreeBranch;

// What a conversion of the patch library needs of a patch state: reading a
// chunk, changing it and writing it back. The plug-in core implements it
// over a temporary patch state that neither the engine nor the editor uses.
// It runs inside the tree's lock: it must not call a locked operation of
// the tree (chunks are read without resolving their uuid) and must not take
// the configuration's lock, whose holder may be waiting for the tree.
class PatchConverter
{
public:
    virtual ~PatchConverter();

    // Rewrites a patch chunk as a program chunk named name; false when the
    // chunk cannot be read.
    virtual bool renamePatch(ChunkBuffer& chunk, const std::string& name) = 0;
    // Saves program 0 of version-1 data as one patch in formatFlags into the
    // bank's folders, under a name the bank does not hold yet
    // (PatchTree::patchNameExists).
    virtual bool convertSinglePatch(const ChunkBuffer& version1Data, const PatchTreeBranch& bank,
                                    std::uint32_t formatFlags) = 0;
    // Saves the 36 programs of version-1 bank data as single patches in
    // formatFlags into the folders.
    virtual bool convertBank(const ChunkBuffer& version1Bank, const std::vector<BankFolder>& folders,
                             std::uint32_t formatFlags) = 0;
};
