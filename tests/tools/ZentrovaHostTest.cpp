// The command-line host as a user meets it: run as a program, with the
// instrument plug-in built here.

#include "tests/support/TemporaryHome.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
        {"--rate 1e9", "--rate 1e9: above 768000 Hz Zentrova plays silence"},
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
