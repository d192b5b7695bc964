#include "Source/UuidRegistry.h"

#include <algorithm>

UuidRegistry::UuidRegistry() = default;

UuidRegistry::~UuidRegistry() = default;

std::vector<UuidRegistry::Entry>::const_iterator UuidRegistry::lowerBound(const Uuid& uuid) const
{
    return std::lower_bound(m_entries.begin(), m_entries.end(), uuid,
                            [](const Entry& entry, const Uuid& key) { return entry.first < key; });
}

bool UuidRegistry::insert(const Uuid& uuid, PatchTreeLeaf* leaf)
{
    auto at = lowerBound(uuid);
    if (at != m_entries.end() && at->first == uuid)
        return at->second == leaf;
    m_entries.insert(at, Entry(uuid, leaf));
    return true;
}

void UuidRegistry::remove(const Uuid& uuid, const PatchTreeLeaf* leaf)
{
    auto at = lowerBound(uuid);
    if (at != m_entries.end() && at->first == uuid && at->second == leaf)
        m_entries.erase(at);
}

PatchTreeLeaf* UuidRegistry::find(const Uuid& uuid) const
{
    auto at = lowerBound(uuid);
    return at != m_entries.end() && at->first == uuid ? at->second : nullptr;
}

void UuidRegistry::clear()
{
    m_entries.clear();
}
