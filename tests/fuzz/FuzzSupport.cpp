#include "tests/fuzz/FuzzSupport.h"

#include "Source/Flavour.h"
#include "Source/entry/PluginEntry.h"
#include "Source/shared/Alerts.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/Version1Patch.h"
#include "tests/support/MidiEvents.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace fuzz
{
namespace
{
std::string homeFolder;

// Millions of damaged inputs would otherwise print millions of messages.
class QuietAlerts : public AlertHandler
{
public:
    void showAlert(const char*, const char*) override {}
    int askSkipStop(const char*, const char*) override { return kAnswerSkipAll; }
};

QuietAlerts quietAlerts;

void removeHome()
{
    std::error_code ignored;
    std::filesystem::remove_all(homeFolder, ignored);
}

VstTimeInfo timeInfo{};

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterProcessEvents:
    case audioMasterWantMidi:
        return 1;
    default:
        return 0;
    }
}
} // namespace

void initialise(SeedWriter writeSeeds)
{
    // Inside ZENTROVA_FUZZ_TMPDIR when set (a run's own folder, removed with
    // whatever a crashed target left), else in memory where there is such a
    // folder: the configuration and the caches flush every file they write.
    const char* parent = std::getenv("ZENTROVA_FUZZ_TMPDIR");
    if (!parent)
        parent = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(parent) + "/zentrova-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        fail("no temporary folder");
    homeFolder = pattern;
    for (const char* folder : {"/.config", "/.local/share", "/share", "/etc"})
        std::filesystem::create_directories(homeFolder + folder);
    setenv("HOME", homeFolder.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (homeFolder + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (homeFolder + "/.local/share").c_str(), 1);
    setenv("XDG_DATA_DIRS", (homeFolder + "/share").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (homeFolder + "/etc").c_str(), 1);
    std::atexit(removeHome);
    setAlertHandler(&quietAlerts);

    timeInfo.sampleRate = 44100.0;
    timeInfo.tempo = 120.0;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;

    if (const char* seeds = std::getenv("ZENTROVA_FUZZ_SEEDS"))
    {
        std::filesystem::create_directories(seeds);
        writeSeeds(seeds);
        std::exit(0);
    }
}

const std::string& home()
{
    return homeFolder;
}

VstTimeInfo& hostTimeInfo()
{
    return timeInfo;
}

std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = homeFolder + "/" + name;
    writeFile(path, Bytes(data, data + size));
    return path;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        fail("cannot write an input file");
}

void writeFile(const std::string& path, const std::string& text)
{
    writeFile(path, Bytes(text.begin(), text.end()));
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeSeed(const std::string& folder, const std::string& name, const Bytes& bytes)
{
    writeFile(folder + "/" + name, bytes);
}

void writeSeed(const std::string& folder, const std::string& name, const std::string& text)
{
    writeFile(folder + "/" + name, text);
}

void fail(const char* message)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", message);
    std::abort();
}

void checkLoadedPatch(int result, const ChunkBuffer& chunk)
{
    if (result < kLoadNotUsable || result > kLoadProgramChunk)
        fail("a reader gave an unknown result");
    if (result == kLoadVersion1Bank || result == kLoadVersion1Program)
    {
        if (!Version1Patch::isBank(chunk))
            fail("a version-1 result without the version-1 bank");
        for (int slot = 0; slot < Version1Patch::kBankPrograms; ++slot)
        {
            Version1Patch program;
            if (!Version1Patch::getProgram(chunk, slot, &program))
                fail("a slot of the version-1 bank cannot be read");
            if (program.nameText().size() >= Version1Patch::kNameSize)
                fail("a version-1 name without its terminator");
            for (float value : program.values)
                if (!(value >= 0.0f && value <= 1.0f))
                    fail("a version-1 value outside 0..1");
        }
    }
    else if (result != kLoadNotUsable)
    {
        if (chunk.empty())
            fail("a chunk result without a chunk");
        inflateToString(chunk);
    }
}

void readPatchFile(const std::string& extension, const std::uint8_t* data, std::size_t size, PatchReader read)
{
    const std::string path = writeInput("input." + extension, data, size);
    ChunkBuffer chunk;
    checkLoadedPatch(read(path, chunk), chunk);
    if (PatchFileHandler::classifyPatchFile(path) >= 0x400)
        fail("a classification beyond the file type bits");
}

ChunkBuffer defaultPatchChunk(bool program)
{
    Plugin plugin(effectFlavour(), 64);
    const Bytes bytes = plugin.getChunk(program);
    return ChunkBuffer(bytes.data(), bytes.size());
}

Plugin::Plugin(const Flavour& flavour, int maxBlockSize)
    : m_effect(createPluginInstance(hostCallback, flavour)), m_maxBlockSize(maxBlockSize),
      m_buffers(static_cast<std::size_t>(4 * maxBlockSize))
{
    if (!m_effect)
        fail("the entry point gave no instance");
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, maxBlockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
}

Plugin::~Plugin()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
}

VstIntPtr Plugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

void Plugin::sendEvents(std::vector<VstMidiEvent> events)
{
    std::vector<unsigned char> storage;
    dispatch(effProcessEvents, 0, 0, eventList(events, storage));
}

void Plugin::render(int frames)
{
    if (frames < 1 || frames > m_maxBlockSize)
        fail("a block the buffers cannot hold");
    const auto block = static_cast<std::size_t>(m_maxBlockSize);
    std::fill(m_buffers.begin(), m_buffers.begin() + static_cast<std::ptrdiff_t>(2 * block), 0.0f);
    float* inputs[] = {m_buffers.data(), m_buffers.data() + block};
    float* outputs[] = {m_buffers.data() + 2 * block, m_buffers.data() + 3 * block};
    m_effect->processReplacing(m_effect, inputs, outputs, frames);
    for (float* output : outputs)
        for (int i = 0; i < frames; ++i)
            if (!std::isfinite(output[i]))
                fail("the plug-in rendered a sample that is not finite");
}

Bytes Plugin::getChunk(bool program)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return Bytes(bytes, bytes + size);
}

VstIntPtr Plugin::setChunk(Bytes chunk, bool program)
{
    return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunk.size()),
                    chunk.empty() ? nullptr : chunk.data());
}
} // namespace fuzz
