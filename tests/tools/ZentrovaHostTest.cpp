// The command-line host as a user meets it: run as a program, with the
// instrument plug-in built here.

#include "tests/support/TemporaryHome.h"
#include "tests/support/ToolRun.h"
#include "tools/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
const std::string kPlugin = ZENTROVA_INSTRUMENT_PLUGIN_PATH;

ToolRun host(const std::string& arguments)
{
    return runTool(shellQuoted(ZENTROVA_HOST_PATH) + " " + arguments);
}
} // namespace

TEST(ZentrovaHost, AChunkThePluginRefusesIsAnError)
{
    TemporaryHome home;
    const std::string junk = home.path() + "/junk.chunk";
    {
        std::mt19937 random(7);
        std::ofstream file(junk, std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            file.put(static_cast<char>(random()));
    }
    const ToolRun run = host(shellQuoted(kPlugin) + " --load-chunk " + shellQuoted(junk) + " --no-render");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(run.says("refused the state in " + junk)) << run.output;
    EXPECT_FALSE(run.says("state loaded")) << run.output;
}

TEST(ZentrovaHost, ABareFileNameIsAFileInTheCurrentFolder)
{
    TemporaryHome home;
    const std::filesystem::path plugin(kPlugin);
    const std::string inFolder = "cd " + shellQuoted(plugin.parent_path().string()) + " && ";
    const ToolRun bare = runTool(inFolder + shellQuoted(ZENTROVA_HOST_PATH) + " " +
                                 shellQuoted(plugin.filename().string()) + " --no-render");
    EXPECT_EQ(bare.status, 0) << bare.output;
    EXPECT_TRUE(bare.says("\"Zentrova2\" by \"Vorlix\"")) << bare.output;

    const ToolRun missing = runTool(inFolder + shellQuoted(ZENTROVA_HOST_PATH) + " Missing.so --no-render");
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_TRUE(missing.says("cannot load Missing.so: no such file")) << missing.output;
}

TEST(ZentrovaHost, ABadValueIsNamedWithWhatIsWrong)
{
    TemporaryHome home;
    const std::string folder = home.path();
    const struct
    {
        std::string arguments;
        std::string said;
    } cases[] = {
        {"--rate 0", "--rate 0: must be a whole number of Hz from 8000 to 768000"},
        {"--rate -48000", "--rate -48000: must be a whole number of Hz from 8000 to 768000"},
        {"--rate 1e9", "--rate 1e9: must be a whole number of Hz from 8000 to 768000 (above 768000 Hz Zentrova"},
        {"--seconds -1", "--seconds -1: must be more than 0 s and at most 11184 s at 48000 Hz"},
        {"--seconds 0 --rate 8000", "--seconds 0: must be more than 0 s and at most 67108 s at 8000 Hz"},
        {"--block abc", "--block abc: not a whole number"},
        {"--frobnicate", "--frobnicate: no such option"},
        {"--seconds 1e12", "--seconds 1e12: a WAV file holds at most 11184 s at 48000 Hz"},
        {"--midi " + shellQuoted(folder), folder + " is a folder"},
        {"--load-chunk " + shellQuoted(folder), folder + " is a folder"},
    };
    for (const auto& c : cases)
    {
        const ToolRun run = host(shellQuoted(kPlugin) + " " + c.arguments + " --out " + shellQuoted(folder + "/o.wav"));
        EXPECT_NE(run.status, 0) << c.arguments;
        EXPECT_TRUE(run.says("zentrova-host: " + c.said)) << c.arguments << "\n" << run.output;
        EXPECT_FALSE(std::filesystem::exists(folder + "/o.wav")) << c.arguments;
    }
}

TEST(ZentrovaHost, AStateThatCannotBeSavedSaysWhy)
{
    TemporaryHome home;
    const struct
    {
        std::string path;
        std::string why;
    } cases[] = {
        {home.path() + "/missing/state.chunk", "no such folder"},
        {home.path(), "it is a folder"},
        {"/dev/full", "the disk is full"},
    };
    for (const auto& c : cases)
    {
        const ToolRun run = host(shellQuoted(kPlugin) + " --no-render --save-chunk " + shellQuoted(c.path));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_TRUE(run.says("zentrova-host: cannot write " + c.path + ": " + c.why)) << run.output;
    }
}

TEST(ZentrovaHost, AFloatWavFileCarriesTheFullFormatChunkAndItsLength)
{
    TemporaryHome home;
    const std::string path = home.path() + "/render.wav";
    const ToolRun run = host(shellQuoted(kPlugin) + " --seconds 0.1 --rate 48000 --out " + shellQuoted(path));
    ASSERT_EQ(run.status, 0) << run.output;
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 58u);
    auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    EXPECT_EQ(bytes.substr(12, 4), "fmt ");
    EXPECT_EQ(u32(16), 18u) << "the format chunk of floats holds its extension size";
    EXPECT_EQ(u32(20) & 0xFFFFu, 3u) << "IEEE float";
    EXPECT_EQ(u32(36) & 0xFFFFu, 0u) << "no extension";
    EXPECT_EQ(bytes.substr(38, 4), "fact");
    EXPECT_EQ(u32(46), 4800u) << "frames";
    EXPECT_EQ(bytes.substr(50, 4), "data");
    EXPECT_EQ(u32(54), 4800u * 8u);
    EXPECT_EQ(u32(4), bytes.size() - 8);
}

TEST(ZentrovaHost, AMidiChunkOfAnotherTypeLeavesTheNotesAfterItToPlay)
{
    TemporaryHome home;
    // A tempo track, a chunk that is no track, then the notes: the header
    // counts the two tracks.
    const std::vector<std::vector<unsigned char>> chunks = {
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96},
        {'M', 'T', 'r', 'k', 0, 0, 0, 11, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00},
        {'X', 'F', 'I', 'H', 0, 0, 0, 4, 1, 2, 3, 4},
        {'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00},
    };
    const std::string midi = home.path() + "/with-unknown-chunk.mid";
    {
        std::ofstream file(midi, std::ios::binary);
        for (const auto& chunk : chunks)
            file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    }
    const std::string out = home.path() + "/notes.wav";
    const ToolRun run = host(shellQuoted(kPlugin) + " --midi " + shellQuoted(midi) + " --out " + shellQuoted(out));
    ASSERT_EQ(run.status, 0) << run.output;
    const WavFile::Stereo render = WavFile::read(out);
    float peak = 0.0f;
    for (float sample : render.left)
        peak = std::max(peak, std::fabs(sample));
    EXPECT_GT(peak, 1e-3f) << "the notes after the unknown chunk sound";
}

TEST(ZentrovaHost, AFileThatCannotBeReadSaysWhy)
{
    TemporaryHome home;
    const std::string missing = home.path() + "/missing";
    // A pipe that no one writes to.
    const std::string pipe = home.path() + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    struct
    {
        std::string arguments;
        std::string said;
    } cases[] = {
        {"--midi " + shellQuoted(missing), "cannot read " + missing + ": no such file"},
        {"--load-chunk " + shellQuoted(missing), "cannot read " + missing + ": no such file"},
        {"--load-chunk /dev/zero", "cannot read /dev/zero: more than 64 MiB, far larger than any state"},
        {"--load-chunk " + shellQuoted(pipe), "the plug-in refused the state in " + pipe},
    };
    for (const auto& c : cases)
    {
        // The bound only ends a run that would hang.
        const ToolRun run = runTool("timeout 300 " + shellQuoted(ZENTROVA_HOST_PATH) + " " + shellQuoted(kPlugin) +
                                    " " + c.arguments + " --out " + shellQuoted(home.path() + "/o.wav"));
        EXPECT_EQ(run.status, 1) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(run.says("zentrova-host: " + c.said)) << c.arguments << "\n" << run.output;
    }
    if (geteuid() != 0)
    {
        const std::string locked = home.path() + "/locked.chunk";
        std::ofstream(locked) << "state";
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        const ToolRun run = host(shellQuoted(kPlugin) + " --no-render --load-chunk " + shellQuoted(locked));
        EXPECT_TRUE(run.says("zentrova-host: cannot read " + locked + ": Permission denied")) << run.output;
    }
}

TEST(ZentrovaHost, AFileToWriteIsCheckedBeforeTheRender)
{
    TemporaryHome home;
    const std::string nowhere = home.path() + "/missing/state.chunk";
    const std::string earlier = home.path() + "/earlier.wav";
    std::ofstream(earlier) << "the user's";
    const std::string fresh = home.path() + "/fresh.wav";
    for (const std::string& out : {earlier, fresh})
    {
        const ToolRun run = host(shellQuoted(kPlugin) + " --seconds 60 --out " + shellQuoted(out) + " --save-chunk " +
                                 shellQuoted(nowhere));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_TRUE(run.says("zentrova-host: cannot write " + nowhere + ": no such folder")) << run.output;
        EXPECT_FALSE(run.says("\"Zentrova2\" by")) << "said before the plug-in is loaded\n" << run.output;
    }
    std::ifstream kept(earlier);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), "the user's");
    EXPECT_FALSE(std::filesystem::exists(fresh)) << "no empty file is left";

    const ToolRun run = host(shellQuoted(kPlugin) + " --seconds 60 --out " + shellQuoted(home.path() + "/no/x.wav"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(run.says("zentrova-host: cannot write " + home.path() + "/no/x.wav: no such folder")) << run.output;
    EXPECT_FALSE(run.says("\"Zentrova2\" by")) << run.output;
}

TEST(ZentrovaHost, HelpPrintsTheUsage)
{
    for (const char* option : {"--help", "-h"})
    {
        // Standard error is dropped: the usage is on standard output.
        const ToolRun run = runTool("{ " + shellQuoted(ZENTROVA_HOST_PATH) + " " + option + " 2>/dev/null; }");
        EXPECT_EQ(run.status, 0) << option << "\n" << run.output;
        EXPECT_TRUE(run.says("usage: zentrova-host PLUGIN.so [options]")) << option << "\n" << run.output;
    }
}
