// Any patch file as the library meets it: loaded and classified by its
// extension, whatever its contents.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/PatchFileBytes.h"

#include "patches/PatchFileHandler.h"

namespace
{
const char* const kExtensions[] = {"fxp", "fxb", "aupreset", "tfx", "pst", "FXP", "AUPreset", "txt"};
constexpr int kNumExtensions = sizeof kExtensions / sizeof kExtensions[0];

void writeSeed(const std::string& folder, const std::string& name, int extension, const fuzz::Bytes& file)
{
    fuzz::Bytes seed{static_cast<unsigned char>(extension)};
    seed.insert(seed.end(), file.begin(), file.end());
    fuzz::writeSeed(folder, name, seed);
}

void writeSeeds(const std::string& folder)
{
    const ChunkBuffer chunk = fuzz::defaultPatchChunk(true);
    const std::string path = fuzz::home() + "/seed";
    PatchFileHandler::writeFxp(path, "Program", chunk, true);
    writeSeed(folder, "program", 0, fuzz::readFile(path));
    writeSeed(folder, "bank", 1, patchtest::currentBankFile(fuzz::defaultPatchChunk(false)));
    PatchFileHandler::writeAupreset(path, "Preset", chunk, false);
    writeSeed(folder, "aupreset", 2, fuzz::readFile(path));
    PatchFileHandler::writeTfx(path, chunk, true);
    writeSeed(folder, "host-preset", 3, fuzz::readFile(path));
    writeSeed(folder, "version1-program", 4, patchtest::pstFile(false, "Old"));
    writeSeed(folder, "version1-bank", 1, patchtest::version1BankFile());
}

int load(const std::string& path, ChunkBuffer& chunk)
{
    return PatchFileHandler().loadPatch(path, chunk);
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
    fuzz::readPatchFile(kExtensions[data[0] % kNumExtensions], data + 1, size - 1, load);
    return 0;
}
