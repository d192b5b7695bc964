#include "Source/patchtree/UuidRegistry.h"

UuidRegistry::UuidRegistry() = default;

UuidRegistry::~UuidRegistry() = default;

bool UuidRegistry::insert(const Uuid& uuid, PatchTreeLeaf* leaf)
{
    const auto inserted = m_entries.emplace(uuid, leaf);
    return inserted.second || inserted.first->second == leaf;
}

void UuidRegistry::remove(const Uuid& uuid, const PatchTreeLeaf* leaf)
{
    const auto at = m_entries.find(uuid);
    if (at != m_entries.end() && at->second == leaf)
        m_entries.erase(at);
}

PatchTreeLeaf* UuidRegistry::find(const Uuid& uuid) const
{
    const auto at = m_entries.find(uuid);
    return at != m_entries.end() ? at->second : nullptr;
}

void UuidRegistry::clear()
{
    m_entries.clear();
}
