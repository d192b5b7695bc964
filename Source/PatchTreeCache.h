#pragma once

#include "Source/PatchTreeBranch.h"
#include "patches/BankFolderInfo.h"

#include <cstdint>
#include <string>
#include <vector>

class UuidRegistry;

// The patch tree as the cache file "patchtree.bin" keeps it: an XML
// document of the settings it was built for and its two top trees.
class PatchTreeCache
{
public:
    // The folder groups and formats a tree was built for, as printed in the
    // cache: a cache whose settings differ belongs to another library.
    static std::string settingsText(std::uint32_t formatFlags, const std::vector<BankFolderInfo>& instrumentGroups,
                                    const std::vector<BankFolderInfo>& effectGroups);

    static std::string documentText(std::uint32_t formatFlags, const std::vector<BankFolderInfo>& instrumentGroups,
                                    const std::vector<BankFolderInfo>& effectGroups,
                                    const PatchTreeBranch* instrumentTree, const PatchTreeBranch* effectTree);

    struct Trees
    {
        PatchTreeBranch::Pointer instrument;
        PatchTreeBranch::Pointer effect;
    };

    // The trees of a cache document whose settings print as settings;
    // their leaves are registered. Throws ticpp::Exception for a document
    // that is malformed, belongs to other settings, or whose records break
    // the tree's invariants (the registry then holds stray entries).
    static Trees read(const std::string& text, const std::string& settings, const std::string& instrumentAddress,
                      bool hasInstrument, bool hasEffect, UuidRegistry& registry);
};
