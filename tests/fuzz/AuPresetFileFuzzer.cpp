// AU preset files (".aupreset"): a property list around the Base64 patch
// chunk, or around a version-1 bank.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/PatchFileBytes.h"

#include "Source/shared/Base64.h"
#include "Source/ticpp/Exception.h"
#include "patches/AuPresetFiles.h"

namespace
{
void writeSeeds(const std::string& folder)
{
    const ChunkBuffer chunk = fuzz::defaultPatchChunk(true);
    for (bool isEffect : {false, true})
    {
        const std::string path = fuzz::home() + "/seed.aupreset";
        AuPresetFiles::writeAupreset(path, isEffect ? "Effect" : "Instrument", chunk, isEffect);
        fuzz::writeSeed(folder, isEffect ? "effect" : "instrument", fuzz::readFile(path));
    }
    // A version-1 bank: 36 records of a name and 120 values.
    ByteVector bank;
    for (int program = 0; program < 36; ++program)
    {
        patchtest::appendName(bank, "P" + std::to_string(program), 64);
        for (int i = 0; i < 120; ++i)
            patchtest::appendFloatBigEndian(bank, patchtest::version1Value(program, i));
    }
    fuzz::writeSeed(folder, "version1",
                    "<plist><dict><key>data</key><data>" + base64Encode(bank.data(), static_cast<int>(bank.size())) +
                        "</data><key>manufacturer</key><integer>1448301600</integer><key>subtype</key><integer>"
                        "2053467764</integer><key>type</key><integer>1635085685</integer><key>version</key>"
                        "<real>3</real></dict></plist>");
}

int read(const std::string& path, ChunkBuffer& chunk)
{
    // Structural damage is reported by the XML layer's exception.
    try
    {
        AuPresetFiles::parseAupreset(path);
    }
    catch (const ticpp::Exception&)
    {
    }
    try
    {
        return AuPresetFiles::readAupreset(path, chunk);
    }
    catch (const ticpp::Exception&)
    {
        return -1;
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::readPatchFile("aupreset", data, size, read);
    return 0;
}
