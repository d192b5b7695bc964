#pragma once

#include "Source/patchtree/PatchConverter.h"
#include "Source/state/ZentrovaState.h"

class ZentrovaStateOwner;

// Library conversions done over a patch state of their own, which neither
// the engine nor the editor sees. Nothing here calls a locked operation of
// the patch tree or takes the configuration's lock: conversions run inside
// the tree's lock.
class StatePatchConverter : public PatchConverter
{
public:
    explicit StatePatchConverter(ZentrovaStateOwner* owner);
    ~StatePatchConverter() override;

    bool renamePatch(ChunkBuffer& chunk, const std::string& name) override;
    bool convertSinglePatch(const ChunkBuffer& version1Data, const PatchTreeBranch& bank,
                            std::uint32_t formatFlags) override;
    bool convertBank(const ChunkBuffer& version1Bank, const std::vector<BankFolder>& folders,
                     std::uint32_t formatFlags) override;

private:
    ZentrovaState m_state;
};
