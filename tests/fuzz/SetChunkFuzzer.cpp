// Chunks as a host hands them to setChunk, through the entry point of either
// deliverable. Whatever is read must render, write a chunk and read that back.

#include "Source/Flavour.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <memory>

namespace
{
constexpr int kBlockSize = 64;

std::unique_ptr<fuzz::Plugin> effect;
std::unique_ptr<fuzz::Plugin> instrument;

void writeSeeds(const std::string& folder)
{
    fuzz::Plugin plugin(effectFlavour(), kBlockSize);
    const auto add = [&](const std::string& name, bool program) {
        const fuzz::Bytes chunk = plugin.getChunk(program);
        // The flag byte first: 0 a program chunk, 1 a bank chunk.
        fuzz::Bytes seed{static_cast<unsigned char>(program ? 0 : 1)};
        seed.insert(seed.end(), chunk.begin(), chunk.end());
        fuzz::writeSeed(folder, name, seed);
        // The same document uncompressed, where mutations reach the XML.
        ChunkBuffer buffer(chunk.data(), chunk.size());
        const std::string text = inflateToString(buffer);
        fuzz::Bytes plain{static_cast<unsigned char>(program ? 0 : 1)};
        plain.insert(plain.end(), text.begin(), text.end());
        plain.push_back(0);
        fuzz::writeSeed(folder, name + "-plain", plain);
    };
    add("default-program", true);
    add("default-bank", false);
    for (int index = 0; index < 155; index += 5)
        plugin.effect()->setParameter(plugin.effect(), index, static_cast<float>(index % 11) / 10.0f);
    plugin.render(kBlockSize);
    add("changed-program", true);
    add("changed-bank", false);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    effect = std::make_unique<fuzz::Plugin>(effectFlavour(), kBlockSize);
    instrument = std::make_unique<fuzz::Plugin>(instrumentFlavour(), kBlockSize);
    // Closed before the home folder goes: the last one writes its files there.
    std::atexit([] {
        effect.reset();
        instrument.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool program = (data[0] & 1) == 0;
    fuzz::Plugin& plugin = (data[0] & 2) ? *instrument : *effect;
    const VstIntPtr answer = plugin.setChunk(fuzz::Bytes(data + 1, data + size), program);
    if (answer != 0 && answer != 1)
        fuzz::fail("setChunk answered neither 0 nor 1");
    AEffect* e = plugin.effect();
    for (int index = 0; index < e->numParams; ++index)
    {
        const float value = e->getParameter(e, index);
        if (!(value >= 0.0f && value <= 1.0f))
            fuzz::fail("a parameter outside 0..1");
    }
    plugin.render(kBlockSize);
    if (answer == 1)
    {
        const fuzz::Bytes written = plugin.getChunk(program);
        if (written.empty())
            fuzz::fail("a chunk that was read cannot be written");
        if (plugin.setChunk(written, program) != 1)
            fuzz::fail("a written chunk is not read back");
        plugin.render(kBlockSize);
    }
    return 0;
}
