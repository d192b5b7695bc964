// The plug-in as a host sees it, each deliverable's built library loaded
// through its exported entry point. What tells the two apart is checked
// with the instrument flavour.

#include "Source/shared/Utf8.h"
#include "patches/PatchFileHandler.h"
#include "patches/Uuid.h"
#include "tests/support/Deliverables.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TimeBudget.h"
#include "tools/HostedPlugin.h"
#include "tools/MidiSequence.h"
#include "tools/OfflineRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace
{
class ZentrovaPlugin : public ::testing::TestWithParam<Deliverable>
{
protected:
    std::unique_ptr<HostedPlugin> load(int blockSize = 256) { return loadPlugin(GetParam(), blockSize); }

    TemporaryHome home;
};

// What the process writes to standard error while the object lives.
class StandardErrorCapture
{
public:
    StandardErrorCapture() : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_file)
            ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardErrorCapture()
    {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        if (m_file)
            std::fclose(m_file);
    }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    std::string text() const
    {
        std::fflush(stderr);
        std::string text;
        if (!m_file)
            return text;
        std::rewind(m_file);
        for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file))
            text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* m_file;
    int m_saved = -1;
};

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Well-formed UTF-8 with no C0 or C1 control character and no DEL.
bool isCleanText(const std::string& text)
{
    for (std::size_t at = 0; at < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead < 0xE0)
            length = 2;
        else if (lead >= 0xE0 && lead < 0xF0)
            length = 3;
        else if (lead >= 0xF0 && lead < 0xF5)
            length = 4;
        if (length == 0 || at + length > text.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t i = 1; i < length; ++i)
        {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000) || code < 0x20 ||
            (code >= 0x7F && code < 0xA0))
            return false;
        at += length;
    }
    return true;
}
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(ZentrovaPlugin);

TEST_P(ZentrovaPlugin, RecordAnnouncesThePlugin)
{
    auto plugin = load();
    const AEffect* record = plugin->effect();
    EXPECT_EQ(plugin->library().entryName(), "VSTPluginMain");
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(record->numPrograms, 128);
    EXPECT_EQ(record->numParams, 155);
    EXPECT_EQ(record->numOutputs, 2);
    const VstInt32 shared = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor;
    EXPECT_EQ(record->flags & ~effFlagsIsSynth, shared);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->ioRatio, 1.0f);
}

TEST_P(ZentrovaPlugin, AnswersItsVendorAndVersions)
{
    auto plugin = load();
    EXPECT_EQ(plugin->vendorString(), "Vorlix");
    EXPECT_EQ(plugin->dispatch(effGetVendorVersion), 2);
    EXPECT_EQ(plugin->dispatch(effGetVstVersion), 2400);
}

TEST_P(ZentrovaPlugin, CanDoAnswersForMidiInAndOutOnly)
{
    auto plugin = load();
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "vVstEvents", "sendVstMidiEvent"})
        EXPECT_EQ(plugin->canDo(yes), 1) << yes;
    for (const char* no : {"receiveVstTimeInfo", "bypass", ""})
        EXPECT_EQ(plugin->canDo(no), -1) << no;
}

TEST_P(ZentrovaPlugin, OutputPinsAreLabelledStereoPairs)
{
    auto plugin = load();
    VstPinProperties pin;
    ASSERT_TRUE(plugin->pinProperties(false, 0, pin));
    EXPECT_STREQ(pin.label, "Zentrova 1 Out");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    ASSERT_TRUE(plugin->pinProperties(false, 1, pin));
    EXPECT_STREQ(pin.label, "Zentrova 2 Out");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_FALSE(plugin->pinProperties(false, 2, pin));
    EXPECT_FALSE(plugin->pinProperties(false, -1, pin));
}

TEST_P(ZentrovaPlugin, VendorSpecificAnswersTheMakerQueries)
{
    auto plugin = load();
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, fourCharCode("Vrlx"), fourCharCode("gCtl")), -1);
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, fourCharCode("Vrlx"), fourCharCode("Draw")), 0);
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, fourCharCode("Vrlx"), 0), 0);
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, fourCharCode("stCA"), fourCharCode("Whee"), nullptr, 1.0f), 0);
    EXPECT_EQ(plugin->dispatch(effVendorSpecific, 0, fourCharCode("gCtl")), 0);
}

TEST_P(ZentrovaPlugin, MakesNoHostCallBeforeTheEntryPointReturns)
{
    auto plugin = load();
    // Loading asks for the host's version; opening and setting the rate and
    // block size call nothing back.
    EXPECT_EQ(plugin->hostCalls(), (std::vector<VstInt32>{audioMasterVersion}));
}

TEST_P(ZentrovaPlugin, AsksForMidiWhenResumed)
{
    auto plugin = load();
    plugin->clearHostCalls();
    plugin->resume();
    EXPECT_EQ(plugin->countHostCalls(audioMasterWantMidi), 1);
}

TEST_P(ZentrovaPlugin, SendsOneEventListPerBlockAndPlaysThePhrase)
{
    auto plugin = load(256);
    plugin->resume();
    plugin->clearHostCalls();
    const OfflineRenderer::Result result = OfflineRenderer::render(*plugin, MidiSequence::builtInPhrase(), 1.0);
    EXPECT_EQ(result.statistics.blocks(), 188);
    EXPECT_EQ(plugin->countHostCalls(audioMasterProcessEvents), result.statistics.blocks());
    // Only the patch re-sent by resume, echoed once on each mapped controller.
    EXPECT_EQ(plugin->midiEventsReceived(), 101);
    ASSERT_EQ(result.left.size(), 48000u);
    float peak = 0.0f;
    for (std::size_t i = 0; i < result.left.size(); ++i)
    {
        ASSERT_TRUE(std::isfinite(result.left[i])) << i;
        ASSERT_TRUE(std::isfinite(result.right[i])) << i;
        peak = std::max({peak, std::fabs(result.left[i]), std::fabs(result.right[i])});
    }
    EXPECT_GT(peak, 0.01f);
}

TEST_P(ZentrovaPlugin, LargerBlocksThanAnnouncedAreRenderedWithinItsBuffers)
{
    auto plugin = load(64);
    plugin->resume();
    const int frames = 1000;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> left(frames, nan), right(frames, nan), inLeft(frames, 0.5f), inRight(frames, 0.5f);
    float* outputs[] = {left.data(), right.data()};
    float* inputs[] = {inLeft.data(), inRight.data()};
    plugin->clearHostCalls();
    plugin->effect()->processReplacing(plugin->effect(), inputs, outputs, frames);
    // Silence, but for what the effects' denormal guard leaves of it.
    for (int i = 0; i < frames; ++i)
    {
        ASSERT_LT(std::fabs(left[i]), 1e-12f) << i;
        ASSERT_LT(std::fabs(right[i]), 1e-12f) << i;
    }
    EXPECT_EQ(plugin->countHostCalls(audioMasterProcessEvents), 16) << "1000 frames in blocks of 64";
}

TEST_P(ZentrovaPlugin, ProcessesBeforeAnyBlockSizeIsSet)
{
    TemporaryHome otherHome;
    // Build the instance by hand so that nothing is set before processing.
    PluginLibrary library(GetParam().libraryPath);
    static auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    AEffect* effect = library.entryPoint()(host);
    ASSERT_NE(effect, nullptr);
    std::vector<float> left(3000, 1.0f), right(3000, 1.0f);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 3000);
    EXPECT_EQ(left[2999], 0.0f);
    EXPECT_EQ(right[0], 0.0f);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

// The wave tables wait for the host's rate; a host that only resumes, or only
// sets the block size, still hears its notes at the default rate.
TEST_P(ZentrovaPlugin, AHostThatSetsNoRateHearsItsNotes)
{
    PluginLibrary library(GetParam().libraryPath);
    static auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    for (const bool resume : {true, false})
    {
        AEffect* effect = library.entryPoint()(host);
        ASSERT_NE(effect, nullptr);
        if (resume)
            effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        else
            effect->dispatcher(effect, effSetBlockSize, 0, 64, nullptr, 0.0f);
        std::vector<VstMidiEvent> note = {midiEvent(0, 0x90, 69, 100)};
        std::vector<unsigned char> storage;
        effect->dispatcher(effect, effProcessEvents, 0, 0, eventList(note, storage), 0.0f);
        std::vector<float> left(64), right(64), silence(64, 0.0f);
        float* outputs[] = {left.data(), right.data()};
        float* inputs[] = {silence.data(), silence.data()};
        float peak = 0.0f;
        for (int block = 0; block < 200; ++block)
        {
            effect->processReplacing(effect, inputs, outputs, 64);
            for (float sample : left)
                peak = std::max(peak, std::fabs(sample));
        }
        EXPECT_GT(peak, 0.01f) << resume;
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    }
}

TEST_P(ZentrovaPlugin, HostIndicesOutsideTheRangesAnswerNothing)
{
    auto plugin = load();
    for (int index : {-1, 155, 100000})
    {
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
        plugin->setParameter(index, 0.7f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
        EXPECT_EQ(plugin->parameterName(index), "");
        EXPECT_EQ(plugin->parameterDisplay(index), "");
        EXPECT_EQ(plugin->parameterLabel(index), "");
    }
    char name[64] = "unchanged";
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 128, 0, name), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, -1, 0, name), 0);
    EXPECT_STREQ(name, "unchanged");
    plugin->dispatch(effSetProgram, 0, 128);
    plugin->dispatch(effSetProgram, 0, -5);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
}

TEST_P(ZentrovaPlugin, KeepsParameterValuesAndNamesUnusedPrograms)
{
    auto plugin = load();
    plugin->setParameter(0, 0.25f);
    plugin->setParameter(154, 0.75f);
    EXPECT_EQ(plugin->getParameter(0), 0.25f);
    EXPECT_EQ(plugin->getParameter(154), 0.75f);
    char name[64];
    for (int program : {64, 127})
    {
        ASSERT_EQ(plugin->dispatch(effGetProgramNameIndexed, program, 0, name), 1);
        EXPECT_STREQ(name, "empty");
    }
    // The current program goes by the name of the patch that plays, as
    // hosts' menus expect.
    char current[64];
    ASSERT_EQ(plugin->dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
    plugin->dispatch(effGetProgramName, 0, 0, current);
    EXPECT_STREQ(name, current);
    EXPECT_STREQ(name, "Default");
    // With no patch in the bank every program falls back to program 0.
    plugin->dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
}

TEST_P(ZentrovaPlugin, LifecycleCallsInAnyOrderAreHarmless)
{
    {
        auto plugin = load(); // opened, closed at once
    }
    auto plugin = load();
    plugin->dispatch(effOpen);
    plugin->dispatch(effOpen);
    plugin->dispatch(effMainsChanged, 0, 0);
    plugin->dispatch(effMainsChanged, 0, 0);
    plugin->resume();
    plugin->resume();
    plugin->suspend();
    plugin->dispatch(effSetBlockSize, 0, 128);
    plugin->dispatch(effSetBlockSize, 0, 512);
    plugin->dispatch(effSetBlockSize, 0, 0);
    plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    plugin->dispatch(effEditClose);
    plugin->dispatch(effEditIdle);
    const OfflineRenderer::Result result = OfflineRenderer::render(*plugin, MidiSequence::builtInPhrase(), 0.1);
    EXPECT_EQ(result.left.size(), 4800u);
}

TEST_P(ZentrovaPlugin, EditorOpenWithoutAWindowAnswersZero)
{
    auto plugin = load();
    ERect* rect = reinterpret_cast<ERect*>(1);
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_GT(rect->right, 0) << "the layout's window size, known before any window";
    EXPECT_GT(rect->bottom, 0);
    EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, nullptr), 0);
    plugin->setParameter(3, 0.5f);
    plugin->dispatch(effEditIdle);
    EXPECT_EQ(plugin->dispatch(effSetEditKnobMode, 0, 2), 1);
    plugin->dispatch(effEditClose);
    plugin->dispatch(effEditClose);
}

TEST_P(ZentrovaPlugin, ProgramNamesReachTheHostAsCleanText)
{
    // Whatever the patch files are called, on disk names may hold any byte.
    const std::string folder = home.path() + "/.local/share/Vorlix/Zentrova2/" + GetParam().patchFolder;
    std::filesystem::create_directories(folder);
    std::string accents;
    for (int i = 0; i < 12; ++i)
        accents += "\xC3\xA9";
    const std::vector<std::string> names = {"Line\nFeed", "Tab\tStop", "Latin\xE9\xFF", "Esc\x1B[1m\x7F",
                                            "\xC2\x85Next", "", "Long" + accents};
    for (const std::string& name : names)
    {
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed("<zentrova version=\"2.0\" platform=\"linux\" uuid=\"" +
                                         uuidToString(generateUuid()) +
                                         "\">\n<patch name=\"x\">\n<parameter name=\"FilterType\" "
                                         "value=\"Hi Pass\" />\n</patch>\n</zentrova>\n"),
                  0);
        ASSERT_EQ(PatchFileHandler::writeFxp(folder + "/" + name + ".fxp", "x", chunk, GetParam().isEffect), 0);
    }

    auto plugin = load();
    char text[64];
    int listed = 0, nameless = -1;
    for (int program = 0; program < 128; ++program)
    {
        ASSERT_EQ(plugin->dispatch(effGetProgramNameIndexed, program, 0, text), 1);
        EXPECT_TRUE(isCleanText(text)) << program << ": " << text;
        EXPECT_NE(text[0], 0) << program;
        EXPECT_LT(std::strlen(text), 24u);
        listed += std::string(text) != "empty" ? 1 : 0;
        if (std::string(text) == ".fxp")
            nameless = program;
    }
    EXPECT_EQ(listed, static_cast<int>(names.size()));

    // The file without a name is a patch of its own, not the default one.
    ASSERT_GE(nameless, 0) << "a file named only by its extension shows its file name";
    plugin->dispatch(effSetProgram, 0, nameless);
    plugin->dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, ".fxp");
    EXPECT_EQ(plugin->getParameter(0), 0.25f);

    char given[] = "Set\tBy\nHost";
    plugin->dispatch(effSetProgramName, 0, 0, given);
    plugin->dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Set By Host");
}

TEST_P(ZentrovaPlugin, ALongProgramNameFromTheHostIsCutBetweenCharacters)
{
    // The room is 23 bytes; the 24th is the second byte of an accent.
    std::string accents;
    for (int i = 0; i < 12; ++i)
        accents += "\xC3\xA9";
    std::string given = "Long" + accents;
    auto plugin = load();
    plugin->dispatch(effSetProgramName, 0, 0, given.data());
    char text[64] = {};
    plugin->dispatch(effGetProgramName, 0, 0, text);
    const std::string kept = "Long" + accents.substr(0, 18);
    EXPECT_EQ(std::string(text), kept);
    const std::string document = chunkText(plugin->getChunk(true));
    EXPECT_TRUE(Utf8::isValid(document.data(), document.size()));
    EXPECT_NE(document.find("name=\"" + kept + "\""), std::string::npos);
}

TEST_P(ZentrovaPlugin, AConfigurationWithAByteOrderMarkKeepsItsSettings)
{
    const std::string file = home.path() + "/.config/com.vorlixworks.Zentrova2.sup";
    {
        std::ofstream out(file, std::ios::binary);
        out << "\xEF\xBB\xBF\nZentrova Configuration File\n{Knob Mode}{Linear}\n{Flt Q}{71}\n"
               "{Midi Banks}{<bank><program midi=\"3\" path=\"FX/Pads/Warm\"/></bank>}\n";
    }
    load().reset();
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("{Knob Mode}{Linear}\n"), std::string::npos) << text;
    EXPECT_NE(text.find("{Flt Q}{71}\n"), std::string::npos);
    EXPECT_NE(text.find("path=\"FX/Pads/Warm\""), std::string::npos);
}

TEST_P(ZentrovaPlugin, AConfigurationThatCannotBeReadIsToldOnceAndLeftAsItIs)
{
    // A folder where the file should be: read by no one, the superuser
    // included, like a file its user has no permission to read.
    const std::string preferences = home.path() + "/.config";
    const std::string file = preferences + "/com.vorlixworks.Zentrova2.sup";
    std::filesystem::create_directory(file);
    std::ofstream(file + "/inside") << "kept";
    // Kept loaded meanwhile, as a host keeps a library it has used.
    void* library = dlopen(GetParam().libraryPath, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    StandardErrorCapture errors;
    {
        auto first = load();
        EXPECT_NE(errors.text().find("Configuration Not Read\n" + file + " cannot be read"), std::string::npos)
            << "told as the first instance reads it: " << errors.text();
        auto second = load();
    }
    // A configuration made again finds the file as it was.
    load().reset();
    const std::string told = errors.text();
    dlclose(library);
    EXPECT_EQ(occurrences(told, file), 1u) << told;
    std::ifstream inside(file + "/inside");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(inside)), std::istreambuf_iterator<char>()), "kept");
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(preferences))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"com.vorlixworks.Zentrova2.sup"}) << "no backup, no new file";
}

TEST_P(ZentrovaPlugin, APatchFolderOfTheWholeFileSystemDoesNotHoldCreation)
{
    // This deliverable's patch folder is "/": without bounds its scan,
    // made while the host creates the instance, never ends.
    const std::string key = GetParam().isEffect ? "FX Patch Folders" : "Inst Patch Folders";
    {
        std::ofstream configuration(home.path() + "/.config/com.vorlixworks.Zentrova2.sup", std::ios::trunc);
        configuration << "Zentrova Configuration File\n{" << key << "}{<folder name=\"Everything\" path=\"/\"/>}\n";
    }
    // Once without the cache, once with what the first close wrote.
    for (int round = 0; round < 2; ++round)
    {
        const auto start = std::chrono::steady_clock::now();
        auto plugin = load();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // A guard against a scan without end only; the scan's bounds are
        // shown by what it visits (PatchFolderScanner's tests).
        EXPECT_LT(seconds, 60.0 * kTimeBudgetScale) << "round " << round;
        char name[64] = {};
        EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 0, 0, name), 1);
        const OfflineRenderer::Result result = OfflineRenderer::render(*plugin, MidiSequence::builtInPhrase(), 0.1);
        EXPECT_EQ(result.left.size(), 4800u);
        plugin.reset();
        // The close cached the folders found: thousands of them.
        std::ifstream cache(home.path() + "/.local/share/Vorlix/Zentrova2/patchtree.bin", std::ios::ate);
        EXPECT_GT(static_cast<long>(cache.tellg()), 10000L);
    }
}

namespace
{
VstIntPtr minimalHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The process's address space, in kB.
long addressSpaceKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return std::stol(line.substr(7));
    return 0;
}
} // namespace

TEST_P(ZentrovaPlugin, ALibraryLoadedAndUnloadedAgainAndAgainReturnsWhatItTook)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer runtime keeps a library loaded after dlclose";
#endif
    // The test host's loader keeps what it opened: in a process that ran
    // other tests of the library first, it can no longer be unloaded.
    if (void* loaded = dlopen(GetParam().libraryPath, RTLD_NOW | RTLD_NOLOAD))
    {
        dlclose(loaded);
        GTEST_SKIP() << "the library was loaded for good by an earlier test of this process";
    }
    // As an in-process scanner does: open, play, close, unload.
    auto cycle = [&] {
        void* library = dlopen(GetParam().libraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
        AEffect* effect = entry(&minimalHost);
        ASSERT_NE(effect, nullptr);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, 256, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        std::vector<float> left(256), right(256);
        float* buffers[] = {left.data(), right.data()};
        for (int block = 0; block < 8; ++block)
            effect->processReplacing(effect, buffers, buffers, 256);
        effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        dlclose(library);
        ASSERT_EQ(dlopen(GetParam().libraryPath, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stays loaded";
    };
    for (int i = 0; i < 3; ++i)
        cycle();
    const long before = addressSpaceKb();
    for (int i = 0; i < 20; ++i)
        cycle();
    // Each cycle once kept a 2 MiB mapping.
    EXPECT_LT(addressSpaceKb() - before, 4096) << "kB more after 20 cycles";
}
