#include "Source/state/StatePatchConverter.h"

#include <utility>

StatePatchConverter::StatePatchConverter(ZentrovaStateOwner* owner) : m_state(owner) {}

StatePatchConverter::~StatePatchConverter() = default;

bool StatePatchConverter::renamePatch(ChunkBuffer& chunk, const std::string& name)
{
    // Read without resolving the patch in the library, keeping the bank:
    // the name read is the one given.
    m_state.m_patchInfo.name = name;
    if (!m_state.readChunkXml(chunk, false, false, true))
        return false;
    ChunkBuffer renamed;
    if (!m_state.writeChunkXml(renamed, true))
        return false;
    chunk = std::move(renamed);
    return true;
}

bool StatePatchConverter::convertSinglePatch(const ChunkBuffer& version1Data, const PatchTreeBranch& bank,
                                             std::uint32_t formatFlags)
{
    return m_state.convertSinglePatch(version1Data, bank, formatFlags);
}

bool StatePatchConverter::convertBank(const ChunkBuffer& version1Bank, const std::vector<BankFolder>& folders,
                                      std::uint32_t formatFlags)
{
    return m_state.convertBank(version1Bank, folders, formatFlags);
}
