// The command-line host as a user meets it: run as a program, with the
// instrument plug-in built here.

#include "tests/support/TemporaryHome.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>

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
