#pragma once

#include <mutex>
#include <string>

class PatchTreeNode;

// The patch library as a tree of banks and patches. Every public operation
// holds the tree's lock for its whole run.
class PatchTree
{
public:
    PatchTree();
    ~PatchTree();

    PatchTree(const PatchTree&) = delete;
    PatchTree& operator=(const PatchTree&) = delete;

    // Rebuilds the tree below address, scanning the patch folders again when
    // rescan is set.
    void rebuild(const std::string& address, bool rescan);
    // The node at a "/"-separated address, or null.
    PatchTreeNode* findNode(const std::string& address);
    bool hasTree();

private:
    std::mutex m_mutex;
    PatchTreeNode* m_root = nullptr;
};
