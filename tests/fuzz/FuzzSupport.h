#pragma once

// What every fuzz target shares: a private home folder, input files, a quiet
// alert handler, the plug-in built through its entry point, and the writing
// of its seed corpus.

#include "Source/vst/VstDeclarations.h"
#include "patches/ChunkBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Flavour;

namespace fuzz
{
using Bytes = std::vector<unsigned char>;
using SeedWriter = void (*)(const std::string& folder);

// Called from LLVMFuzzerInitialize: points HOME and the XDG folders at a
// fresh temporary folder (removed at exit), silences alerts and, when
// ZENTROVA_FUZZ_SEEDS names a folder, writes the target's seeds there with
// writeSeeds and exits.
void initialise(SeedWriter writeSeeds);

// The temporary home folder.
const std::string& home();

// Writes the bytes to the file name inside the home folder; the path.
std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size);

void writeFile(const std::string& path, const Bytes& bytes);
void writeFile(const std::string& path, const std::string& text);
Bytes readFile(const std::string& path);

// A seed file named name in folder.
void writeSeed(const std::string& folder, const std::string& name, const Bytes& bytes);
void writeSeed(const std::string& folder, const std::string& name, const std::string& text);

// Aborts with the message: the fuzzer reports it as a crash with its input.
[[noreturn]] void fail(const char* message);

// The time information every instance of the process is given: fuzz
// targets change it between blocks.
VstTimeInfo& hostTimeInfo();

// What a patch file reader gave must be usable as that kind of patch.
void checkLoadedPatch(int result, const ChunkBuffer& chunk);

// Writes the bytes to a file named "input" with the extension, reads it
// with read (a PatchLoadResult), checks the result and the file's
// classification.
using PatchReader = int (*)(const std::string& path, ChunkBuffer& chunk);
void readPatchFile(const std::string& extension, const std::uint8_t* data, std::size_t size, PatchReader read);

// The patch chunk of a new effect instance, as its state writes it.
ChunkBuffer defaultPatchChunk(bool program);

// A plug-in instance created through the deliverable's entry point, opened,
// at 44.1 kHz with blocks of up to maxBlockSize, and resumed.
class Plugin
{
public:
    Plugin(const Flavour& flavour, int maxBlockSize);
    ~Plugin();

    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    AEffect* effect() const { return m_effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Hands the events over through the dispatcher, as one list.
    void sendEvents(std::vector<VstMidiEvent> events);
    // Renders frames (up to maxBlockSize) of silent input; aborts when the
    // output is not finite.
    void render(int frames);
    Bytes getChunk(bool program);
    // The plug-in's answer.
    VstIntPtr setChunk(Bytes chunk, bool program);

private:
    AEffect* m_effect = nullptr;
    int m_maxBlockSize;
    std::vector<float> m_buffers;
};
} // namespace fuzz
