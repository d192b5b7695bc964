#include "Source/state/ZentrovaStateOwner.h"

#include "patches/PatchTypeBits.h"

ZentrovaStateOwner::~ZentrovaStateOwner() = default;

std::string ZentrovaStateOwner::getCurrentBankAddress() const
{
    return std::string();
}

void ZentrovaStateOwner::selectBank(const std::string&) {}

bool ZentrovaStateOwner::engineReads(const ZentrovaState&) const
{
    return false;
}

bool ZentrovaStateOwner::findLibraryPatch(const Uuid&, PatchInfo&)
{
    return false;
}

int ZentrovaStateOwner::showLibraryPatch(const PatchInfo&)
{
    return 0;
}

ZentrovaStateOwner::PatchFileSettings ZentrovaStateOwner::getPatchFileSettings() const
{
    return PatchFileSettings{kFileTypeFxp | kFileTypeEffect, true, false};
}
