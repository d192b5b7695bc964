// The benchmark's command line as a user meets it: run as a program, for
// the shortest of measurements at most.

#include "simd/SystemInfo.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
ToolRun bench(const std::string& arguments)
{
    return runTool(shellQuoted(ZENTROVA_BENCH_PATH) + " --plugin " + shellQuoted(ZENTROVA_INSTRUMENT_PLUGIN_PATH) +
                   " " + arguments);
}

// The shortest benchmark there is, for when a check is missing.
const std::string kShortest = " --quick --voices 1 --seconds 2 --silence 0 --repeats 1 --instances 0 --editors 0";
} // namespace

TEST(ZentrovaBench, APeerNamedOnPurposeThatIsMissingIsAnError)
{
    TemporaryHome home;
    const ToolRun run = bench("--peer /nonexistent/peer.so" + kShortest);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(run.says("zentrova-bench: the peer /nonexistent/peer.so: no such file")) << run.output;
    EXPECT_FALSE(run.says("voices |")) << "nothing is measured\n" << run.output;
}

TEST(ZentrovaBench, AFileThatIsNoPluginIsSaidBeforeAnythingIsMeasured)
{
    TemporaryHome home;
    const std::string notAPlugin = home.path() + "/notes.so";
    std::ofstream(notAPlugin) << "not a library\n";
    const ToolRun peer = bench("--peer " + shellQuoted(notAPlugin) + kShortest);
    EXPECT_EQ(peer.status, 1) << peer.output;
    EXPECT_TRUE(peer.says("zentrova-bench: the peer: cannot load " + notAPlugin)) << peer.output;
    EXPECT_FALSE(peer.says("voices |")) << "nothing is measured\n" << peer.output;

    const ToolRun ours = runTool(shellQuoted(ZENTROVA_BENCH_PATH) + " --plugin " + shellQuoted(notAPlugin) +
                                 " --peer none" + kShortest);
    EXPECT_EQ(ours.status, 1) << ours.output;
    EXPECT_TRUE(ours.says("zentrova-bench: cannot load " + notAPlugin)) << ours.output;
    EXPECT_FALSE(ours.says("voices |")) << ours.output;
}

TEST(ZentrovaBench, ABadValueIsNamedWithWhatIsWrong)
{
    TemporaryHome home;
    const struct
    {
        const char* arguments;
        const char* said;
    } cases[] = {
        {"--block abc", "--block abc: not a whole number"},
        {"--block 0", "--block 0: must be from 1 to 4096"},
        {"--frobnicate", "--frobnicate: no such option"},
        {"--seconds 1", "--seconds 1: must be from 2 to 3600 s"},
        {"--voices 16,x", "--voices 16,x: \"x\" is not a voice count from 1 to 128"},
        {"--simd sse,fast", "--simd sse,fast: \"fast\" is not one of sse, avx2, avx512"},
    };
    for (const auto& c : cases)
    {
        const ToolRun run = bench(c.arguments + kShortest);
        EXPECT_EQ(run.status, 2) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(run.says(std::string("zentrova-bench: ") + c.said)) << c.arguments << "\n" << run.output;
    }
}

TEST(ZentrovaBench, AVectorPathTheSettingDoesNotNameIsSaidOnceWithThePathThatRuns)
{
    TemporaryHome home;
    const std::string said = std::string("ZENTROVA_SIMD=bogus is not one of sse, avx2, avx512: using ") +
                             SystemInfo::simdPathName(SystemInfo::processorPath());
    const ToolRun run = runTool("ZENTROVA_SIMD=bogus " + shellQuoted(ZENTROVA_BENCH_PATH) + " --plugin " +
                                shellQuoted(ZENTROVA_INSTRUMENT_PLUGIN_PATH) + " --peer none" + kShortest);
    EXPECT_EQ(run.status, 0) << run.output;
    const std::size_t first = run.output.find(said);
    ASSERT_NE(first, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(said, first + 1), std::string::npos) << "said by the plug-in again\n" << run.output;
}

TEST(ZentrovaBench, HelpPrintsTheUsage)
{
    for (const char* option : {"--help", "-h"})
    {
        // Standard error is dropped: the usage is on standard output.
        const ToolRun run = runTool("{ " + shellQuoted(ZENTROVA_BENCH_PATH) + " " + option + " 2>/dev/null; }");
        EXPECT_EQ(run.status, 0) << option << "\n" << run.output;
        EXPECT_TRUE(run.says("usage: zentrova-bench [options]")) << option << "\n" << run.output;
        EXPECT_FALSE(run.says("voices |")) << "nothing is measured\n" << run.output;
    }
}
