// Bank files (".fxb"): the bank chunk kind hosts write and the version-1
// kind of 36 programs.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/PatchFileBytes.h"

#include "patches/ProgramBankFiles.h"

namespace
{
void writeSeeds(const std::string& folder)
{
    fuzz::writeSeed(folder, "bank-chunk", patchtest::currentBankFile(fuzz::defaultPatchChunk(false)));
    fuzz::writeSeed(folder, "program-chunk", patchtest::currentBankFile(fuzz::defaultPatchChunk(true)));
    fuzz::writeSeed(folder, "version1", patchtest::version1BankFile());
}

int read(const std::string& path, ChunkBuffer& chunk)
{
    const int result = ProgramBankFiles::readFxb(path, chunk);
    ProgramBankFiles::classifyFxb(path);
    return result;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::readPatchFile("fxb", data, size, read);
    return 0;
}
