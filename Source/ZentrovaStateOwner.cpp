#include "Source/ZentrovaStateOwner.h"

ZentrovaStateOwner::~ZentrovaStateOwner() = default;

std::string ZentrovaStateOwner::getCurrentBankAddress() const
{
    return std::string();
}

void ZentrovaStateOwner::selectBank(const std::string&) {}

bool ZentrovaStateOwner::findLibraryPatch(const Uuid&, PatchInfo&)
{
    return false;
}

int ZentrovaStateOwner::showLibraryPatch(const PatchInfo&)
{
    return 0;
}
