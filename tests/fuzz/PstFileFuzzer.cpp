// Version-1 program files (".pst") in either byte order.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/PatchFileBytes.h"

#include "patches/PstFiles.h"

namespace
{
void writeSeeds(const std::string& folder)
{
    fuzz::writeSeed(folder, "big-endian", patchtest::pstFile(true, "Seed"));
    fuzz::writeSeed(folder, "little-endian", patchtest::pstFile(false, "Seed"));
}

int read(const std::string& path, ChunkBuffer& chunk)
{
    PstFiles::hasPstHeader(path);
    return PstFiles::readPst(path, chunk);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::readPatchFile("pst", data, size, read);
    return 0;
}
