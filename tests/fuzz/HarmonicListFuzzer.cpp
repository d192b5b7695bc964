// The harmonic waveform file ("Zentrova2.hrm"), read by the first client of
// the list: every wave read is saved by the last client and read back alike.

#include "tests/fuzz/FuzzSupport.h"

#include "patches/HarmonicList.h"
#include "patches/HarmonicListMessagePipe.h"

#include <filesystem>
#include <vector>

namespace
{
std::string contentFolder;

struct Wave
{
    std::string name;
    Harmonics harmonics;
    bool operator==(const Wave& other) const { return name == other.name && harmonics == other.harmonics; }
};

// Acquires the list from the content folder, takes its waves and releases it,
// which saves it.
std::vector<Wave> readList()
{
    HarmonicListMessagePipe pipe;
    std::uint64_t id = 0;
    HarmonicList* list = HarmonicList::acquire(id, &pipe, contentFolder);
    std::vector<Wave> waves;
    for (int index = 1; index <= list->size(); ++index)
    {
        const HarmonicWave wave = list->getWaveAt(index);
        if (list->getIndexFor(wave.harmonics()) != index)
            fuzz::fail("a stored wave is not found at its index");
        waves.push_back({wave.name(), wave.harmonics()});
    }
    HarmonicListMessage message;
    int added = 0;
    while (pipe.pop(message))
        added += message.kind == HarmonicListMessage::kAdded ? 1 : 0;
    if (added != list->size())
        fuzz::fail("the new client was not told of every wave");
    HarmonicList::release(id);
    return waves;
}

void writeSeeds(const std::string& folder)
{
    contentFolder = fuzz::home() + "/content";
    std::filesystem::create_directories(contentFolder);
    HarmonicListMessagePipe pipe;
    std::uint64_t id = 0;
    HarmonicList* list = HarmonicList::acquire(id, &pipe, contentFolder);
    unsigned char levels[Harmonics::kCount] = {};
    for (int wave = 0; wave < 4; ++wave)
    {
        for (int i = 0; i < Harmonics::kCount; ++i)
            levels[i] = static_cast<unsigned char>((wave * 37 + i * 11) % 256);
        list->storeWave(std::string("Wave ") + static_cast<char>('A' + wave), Harmonics(levels));
    }
    HarmonicList::release(id);
    fuzz::writeSeed(folder, "waves", fuzz::readFile(contentFolder + "/" + HarmonicList::kFileName));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initialise(writeSeeds);
    contentFolder = fuzz::home() + "/content";
    std::filesystem::create_directories(contentFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file = contentFolder + "/" + HarmonicList::kFileName;
    fuzz::writeFile(file, fuzz::Bytes(data, data + size));
    const std::vector<Wave> read = readList();
    if (readList() != read)
        fuzz::fail("the saved list does not read back to the same waves");
    return 0;
}
