// The configuration file: whatever it holds is read leniently, and what the
// configuration then writes reads back to the same file.

#include "tests/fuzz/FuzzSupport.h"

#include "Source/Flavour.h"
#include "patches/Configuration.h"

#include <cstdlib>

namespace
{
Configuration* configuration = nullptr;
std::uint64_t clientId = 0;

void writeSeeds(const std::string& folder)
{
    std::uint64_t id = 0;
    Configuration* written = Configuration::acquire(id, nullptr, !effectFlavour().isSynth, nullptr);
    written->save(folder + "/default");
    written->setMidiController(3, 20, 0);
    written->setMidiController(40, 74, 0);
    written->setMidiBankPath(2, 5, "Inst/Pads/Soft");
    written->setMidiBankPath(20, 127, "FX/Wash & \"Wide\"/<Echo>");
    written->setKnobMode(2);
    written->setDamperScale(0.25f);
    written->setHold2Scale(3.5f);
    written->setLayoutName("Large");
    written->save(folder + "/changed");
    Configuration::release(id);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    configuration = Configuration::acquire(clientId, nullptr, !effectFlavour().isSynth, nullptr);
    std::atexit([] { Configuration::release(clientId); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    configuration->load(fuzz::writeInput("input.sup", data, size));
    const std::string written = fuzz::home() + "/written.sup";
    const std::string rewritten = fuzz::home() + "/rewritten.sup";
    if (configuration->save(written) != Configuration::kFileDone)
        fuzz::fail("the configuration cannot be written");
    if (configuration->load(written) != Configuration::kFileDone)
        fuzz::fail("the written configuration is not read");
    configuration->save(rewritten);
    if (fuzz::readFile(written) != fuzz::readFile(rewritten))
        fuzz::fail("the written configuration does not read back to itself");
    return 0;
}
