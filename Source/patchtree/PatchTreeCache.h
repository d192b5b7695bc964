#pragma once

#include "Source/patchtree/PatchTreeBranch.h"
#include "patches/BankFolderInfo.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class UuidRegistry;

// The patch tree as the cache file "patchtree.bin" keeps it: the settings
// it was built for and its two top trees, with everything a rescan needs to
// tell unchanged files from changed ones.
//
// The cache is written in a binary form (read and written in a few
// milliseconds for a library of ten thousand patches): "ZPTC", a format
// number, then little-endian 32- and 64-bit words, strings as a length and
// their bytes, file paths kept relative to their bank's folders. The XML
// document that older versions wrote is still read; either form may be
// compressed or not.
class PatchTreeCache
{
public:
    // A binary cache that is cut short or breaks its own rules.
    struct Malformed : std::runtime_error
    {
        using std::runtime_error::runtime_error;
    };

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

    static std::string binaryDocument(std::uint32_t formatFlags, const std::vector<BankFolderInfo>& instrumentGroups,
                                      const std::vector<BankFolderInfo>& effectGroups,
                                      const PatchTreeBranch* instrumentTree, const PatchTreeBranch* effectTree);
    static bool isBinaryDocument(const std::string& bytes);
    // As read, for the binary form; throws Malformed where read throws
    // ticpp::Exception.
    static Trees readBinary(const std::string& bytes, const std::string& settings, const std::string& instrumentAddress,
                            bool hasInstrument, bool hasEffect, UuidRegistry& registry);

    // The trees of a cache document whose settings print as settings;
    // their leaves are registered. Throws ticpp::Exception for a document
    // that is malformed, belongs to other settings, or whose records break
    // the tree's invariants (the registry then holds stray entries).
    static Trees read(const std::string& text, const std::string& settings, const std::string& instrumentAddress,
                      bool hasInstrument, bool hasEffect, UuidRegistry& registry);
};
