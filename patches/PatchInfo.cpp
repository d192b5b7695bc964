#include "patches/PatchInfo.h"

PatchInfo::PatchInfo() : uuid(generateUuid())
{
}

PatchInfo::~PatchInfo() = default;
