#pragma once

#include "patches/Uuid.h"

#include <cstddef>
#include <map>

class PatchTreeLeaf;

// Which leaf of the patch tree holds each uuid: at most one leaf per uuid,
// the first one registered. Used under the tree's lock only.
class UuidRegistry
{
public:
    UuidRegistry();
    ~UuidRegistry();

    // False, and nothing inserted, when another leaf holds the uuid already.
    bool insert(const Uuid& uuid, PatchTreeLeaf* leaf);
    // Removes the entry only when it belongs to that leaf: a duplicate never
    // took the entry of the leaf that holds the uuid.
    void remove(const Uuid& uuid, const PatchTreeLeaf* leaf);
    PatchTreeLeaf* find(const Uuid& uuid) const;
    void clear();
    std::size_t size() const { return m_entries.size(); }

private:
    // Ordered by the 16 bytes compared as unsigned bytes in order. A tree
    // rather than a sorted vector: a cache read registers its leaves in name
    // order, which is no order of their uuids.
    std::map<Uuid, PatchTreeLeaf*> m_entries;
};
