// Host preset files (".tfx"): blocks of a header and a payload, the
// plug-in's own block carrying the patch chunk.

#include "tests/fuzz/FuzzSupport.h"

#include "patches/HostPresetFiles.h"

namespace
{
void writeSeeds(const std::string& folder)
{
    const ChunkBuffer chunk = fuzz::defaultPatchChunk(true);
    for (bool isEffect : {false, true})
    {
        const std::string path = fuzz::home() + "/seed.tfx";
        HostPresetFiles::writeTfx(path, chunk, isEffect);
        fuzz::writeSeed(folder, isEffect ? "effect" : "instrument", fuzz::readFile(path));
    }
}

int read(const std::string& path, ChunkBuffer& chunk)
{
    ChunkBuffer scanned;
    HostPresetFiles::scanTfx(path, scanned);
    return HostPresetFiles::readTfx(path, chunk);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::readPatchFile("tfx", data, size, read);
    return 0;
}
