#include "patches/PatchInfo.h"

#include "patches/PatchTypeBits.h"

PatchInfo::PatchInfo() : uuid(generateUuid())
{
}

PatchInfo::PatchInfo(const Uuid& knownUuid) : uuid(knownUuid)
{
}

PatchInfo::~PatchInfo() = default;

int PatchInfo::programInFile() const
{
    return static_cast<int>((patchType & kFileTypeProgramMask) >> kFileTypeProgramShift);
}

std::string PatchInfo::lastFile() const
{
    return files.empty() ? std::string() : files.back();
}

std::string PatchInfo::shownName() const
{
    if (!name.empty() || files.empty())
        return name;
    const std::size_t slash = files.back().rfind('/');
    return slash == std::string::npos ? files.back() : files.back().substr(slash + 1);
}
