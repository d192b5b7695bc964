#pragma once

#include "patches/BankInfo.h"
#include "patches/PatchInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ticpp
{
class Element;
}

class PatchTreeBranch;
class UuidRegistry;
struct PatchConversion;

// A bank or a patch of the patch library. Nodes are shared: a node handed
// out by the tree stays alive, with the records it had, when a rebuild drops
// it. The queries of the first group may be used from any thread on a node
// the caller holds; the rest walk or change the tree and run only under the
// tree's lock.
class PatchTreeNode : public std::enable_shared_from_this<PatchTreeNode>
{
public:
    using Pointer = std::shared_ptr<PatchTreeNode>;

    explicit PatchTreeNode(const std::shared_ptr<PatchTreeBranch>& parent);
    virtual ~PatchTreeNode();

    PatchTreeNode(const PatchTreeNode&) = delete;
    PatchTreeNode& operator=(const PatchTreeNode&) = delete;

    // Safe on a held node.
    virtual std::string getName() const = 0;
    virtual std::string getAddress() const = 0;
    virtual bool isLeaf() const;
    virtual bool isBranch() const;
    bool hasErrors() const;
    virtual std::uint32_t getPatchTypeError() const = 0;
    virtual std::uint32_t getPatchType() const = 0;
    // "Bank" or "Patch".
    virtual const char* typeName() const = 0;
    // The bank that holds this node; null for the top trees.
    std::shared_ptr<PatchTreeBranch> getParent() const;

    // Under the tree's lock.
    virtual void collectPatches(std::vector<PatchInfoPointer>& out, const std::string& address) const = 0;
    virtual void listBanks(std::vector<BankInfo>& out, const std::string& parentAddress, int depth) const = 0;
    virtual PatchInfoPointer getPatchInfo(const std::string& address) const = 0;
    virtual Pointer findNode(const std::string& address) = 0;
    virtual void setName(const std::string& name) = 0;
    // Converts the node's files to the conversion's formats; returns the
    // issue word left.
    virtual std::uint32_t convert(PatchConversion& conversion) = 0;
    virtual void unregisterUuids(UuidRegistry& registry) = 0;
    // Appends the node's cache element to parent.
    virtual void writeXml(ticpp::Element& parent) const = 0;

protected:
    // An address split at its first "/": rest is empty when there is none.
    static void splitAddress(const std::string& address, std::string& head, std::string& rest);

private:
    // Fixed at construction, so reading it needs no lock.
    const std::weak_ptr<PatchTreeBranch> m_parent;
};
