// Program files (".fxp"): the current chunk kind and the version-1 kind,
// read into any program slot.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/PatchFileBytes.h"

#include "patches/ProgramBankFiles.h"

namespace
{
int slot = 0;

void writeSeeds(const std::string& folder)
{
    const ChunkBuffer chunk = fuzz::defaultPatchChunk(true);
    for (bool isEffect : {false, true})
    {
        const std::string path = fuzz::home() + "/seed.fxp";
        ProgramBankFiles::writeFxp(path, isEffect ? "Effect" : "Instrument", chunk, isEffect);
        fuzz::Bytes seed{0};
        const fuzz::Bytes file = fuzz::readFile(path);
        seed.insert(seed.end(), file.begin(), file.end());
        fuzz::writeSeed(folder, isEffect ? "effect" : "instrument", seed);
    }
    fuzz::Bytes version1{7};
    patchtest::appendVersion1Program(version1, "Old", 3);
    fuzz::writeSeed(folder, "version1", version1);
}

int read(const std::string& path, ChunkBuffer& chunk)
{
    const int result = ProgramBankFiles::readFxp(path, slot, chunk);
    ProgramBankFiles::classifyFxp(path);
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
    if (size < 1)
        return 0;
    // Slots outside 0..35 too.
    slot = static_cast<int>(data[0] % 40) - 2;
    fuzz::readPatchFile("fxp", data + 1, size - 1, read);
    return 0;
}
