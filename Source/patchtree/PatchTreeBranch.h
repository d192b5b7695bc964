#pragma once

#include "Source/patchtree/PatchTreeNode.h"
#include "patches/BankFolderInfo.h"
#include "patches/PatchFileInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A bank of the library: a folder group, a version-1 bank file, or a bank
// that only holds other banks. Its record is replaced, never changed in
// place, so a copy handed out stays as it was.
class PatchTreeBranch : public PatchTreeNode
{
public:
    using Pointer = std::shared_ptr<PatchTreeBranch>;
    using Child = std::pair<std::string, PatchTreeNode::Pointer>;

    // A bank of a folder group: its name, folders and words; issue word 0.
    PatchTreeBranch(const BankFolderInfo& group, const std::string& address, const Pointer& parent);
    // A bank of the given record.
    PatchTreeBranch(const BankInfo& info, const Pointer& parent, bool isVirtual);
    ~PatchTreeBranch() override;

    std::string getName() const override;
    std::string getAddress() const override;
    bool isBranch() const override;
    std::uint32_t getPatchTypeError() const override;
    std::uint32_t getPatchType() const override;
    const char* typeName() const override;
    BankInfo getBankInfo() const;
    std::string firstFolderPath() const;
    // The bank stands for one version-1 bank file.
    bool isVirtual() const { return m_isVirtual; }

    // Under the tree's lock.
    void collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address) const override;
    void listBanks(std::vector<BankInfo>& out, const std::string& parentAddress, int depth) const override;
    PatchInfoPointer getPatchInfo(const std::string& address) const override;
    PatchTreeNode::Pointer findNode(const std::string& address) override;
    void setName(const std::string& name) override;
    std::uint32_t convert(PatchConversion& conversion) override;
    void unregisterUuids(UuidRegistry& registry) override;
    void writeXml(ticpp::Element& parent) const override;
    // The same element under another name (the top trees of the cache).
    void writeXml(ticpp::Element& parent, const std::string& elementName) const;

    // The children's patches and banks with the children taken from the last
    // to the first, the bank itself first and unindented.
    void collectPatchesFlat(std::vector<PatchInfoPointer>& out) const;
    void listBanksFlat(std::vector<BankInfo>& out) const;
    // Takes the node; a child of the same name leaves the tree (and the
    // registry). The child's issues join the bank's.
    void addChild(const PatchTreeNode::Pointer& node, UuidRegistry& registry);
    void removeChild(const std::string& name, UuidRegistry& registry);
    PatchTreeNode::Pointer getChild(const std::string& name) const;
    const std::vector<Child>& children() const { return m_children; }
    void setPatchTypeError(std::uint32_t bits);
    void setPatchType(std::uint32_t bits);
    void setFolders(const std::vector<BankFolder>& folders);
    // The issue word becomes the OR of the children's.
    void refreshIssues();
    // The same for every bank below, the deepest first.
    void refreshIssuesBelow();
    // The bank's folders; with create, the bank's folder is first made in
    // every folder of its parent that lacks it, and added.
    std::vector<BankFolder> folderEntries(bool create);

    // What the last scan built the bank from.
    std::uint32_t crc() const { return m_crc; }
    std::uint32_t checksum() const { return m_checksum; }
    void setCrc(std::uint32_t crc, std::uint32_t checksum);
    std::vector<PatchFileInfo>& patchFiles() { return m_patchFiles; }
    const std::vector<PatchFileInfo>& patchFiles() const { return m_patchFiles; }
    std::vector<BankFolderInfo>& banks() { return m_banks; }
    const std::vector<BankFolderInfo>& banks() const { return m_banks; }

private:
    std::shared_ptr<const BankInfo> info() const;
    template <typename Change>
    void changeInfo(Change change);
    template <typename Children>
    static auto childAt(Children& children, const std::string& name) -> decltype(children.begin());
    std::uint32_t convertVersion1Bank(PatchConversion& conversion);

    // Read and replaced atomically.
    std::shared_ptr<const BankInfo> m_info;
    const bool m_isVirtual;
    // Sorted by name, byte-wise; one child per name.
    std::vector<Child> m_children;
    std::uint32_t m_crc = 0;
    std::uint32_t m_checksum = 0;
    std::vector<PatchFileInfo> m_patchFiles;
    std::vector<BankFolderInfo> m_banks;
};
