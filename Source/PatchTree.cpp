#include "Source/PatchTree.h"

PatchTree::PatchTree() = default;

PatchTree::~PatchTree() = default;

void PatchTree::rebuild(const std::string&, bool)
{
    std::lock_guard<std::mutex> lock(m_mutex);
}

PatchTreeNode* PatchTree::findNode(const std::string&)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root;
}

bool PatchTree::hasTree()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_root != nullptr;
}
