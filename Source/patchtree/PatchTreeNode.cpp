#include "Source/patchtree/PatchTreeNode.h"

#include "Source/patchtree/PatchTreeBranch.h"

PatchTreeNode::PatchTreeNode(const std::shared_ptr<PatchTreeBranch>& parent) : m_parent(parent)
{
}

PatchTreeNode::~PatchTreeNode() = default;

bool PatchTreeNode::isLeaf() const
{
    return false;
}

bool PatchTreeNode::isBranch() const
{
    return false;
}

bool PatchTreeNode::hasErrors() const
{
    return getPatchTypeError() != 0;
}

std::shared_ptr<PatchTreeBranch> PatchTreeNode::getParent() const
{
    return m_parent.lock();
}

void PatchTreeNode::splitAddress(const std::string& address, std::string& head, std::string& rest)
{
    const std::size_t slash = address.find('/');
    if (slash == std::string::npos)
    {
        head = address;
        rest.clear();
    }
    else
    {
        head = address.substr(0, slash);
        rest = address.substr(slash + 1);
    }
}
