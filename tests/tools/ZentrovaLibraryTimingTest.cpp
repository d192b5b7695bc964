// The library timing tool as a user meets it: run as a program, its private
// home made in a TMPDIR of the test's own, where nothing may be left behind.

#include "tests/support/TemporaryHome.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
const std::string kPlugin = ZENTROVA_INSTRUMENT_PLUGIN_PATH;
const std::string kTool = ZENTROVA_LIBRARY_TIMING_PATH;
// Long for any machine: what is waited for comes within seconds.
constexpr auto kDeadline = std::chrono::minutes(5);

// A TMPDIR inside a temporary home, for the tool and for the test to look in.
struct TimingFolders
{
    TemporaryHome home;
    std::string tmp = home.path() + "/tmp";

    TimingFolders() { std::filesystem::create_directories(tmp); }

    bool empty() const { return std::filesystem::is_empty(tmp); }

    ToolRun timing(const std::string& arguments) const
    {
        return runTool("TMPDIR=" + shellQuoted(tmp) + " " + shellQuoted(kTool) + " " + arguments);
    }
};

// A folder of the tool's library, once there is one.
bool libraryBegun(const std::string& tmp)
{
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(tmp, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->path().filename() == "Bank 0")
            return true;
    return false;
}
} // namespace

TEST(ZentrovaLibraryTiming, ABadValueIsNamedWithWhatIsWrongAndLeavesNoFolder)
{
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    TimingFolders folders;
    const struct
    {
        std::string arguments;
        std::string said;
    } cases[] = {
        {"--patches 99999999999", "--patches 99999999999: must be from 1 to 100000 patches"},
        {"--patches 0", "--patches 0: must be from 1 to 100000 patches"},
        {"--rounds abc", "--rounds abc: not a whole number"},
        {"--per-bank -1", "--per-bank -1: must be from 1 to 100000"},
        {"--frobnicate", "--frobnicate: no such option"},
        {"extra", "extra: one argument too many"},
    };
    for (const auto& c : cases)
    {
        const ToolRun run = folders.timing(shellQuoted(kPlugin) + " " + c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(run.says("zentrova-library-timing: " + c.said)) << c.arguments << "\n" << run.output;
        EXPECT_FALSE(run.says("library:")) << c.arguments << "\n" << run.output;
    }
    const ToolRun missing = folders.timing(shellQuoted(folders.home.path() + "/Missing.so"));
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_TRUE(missing.says("cannot load " + folders.home.path() + "/Missing.so: no such file")) << missing.output;
    EXPECT_TRUE(folders.empty()) << "a failure leaves no temporary home";

    const ToolRun help = runTool("{ " + shellQuoted(kTool) + " --help 2>/dev/null; }");
    EXPECT_EQ(help.status, 0) << help.output;
    EXPECT_TRUE(help.says("usage: zentrova-library-timing PLUGIN.so [options]")) << help.output;
}

TEST(ZentrovaLibraryTiming, ARunRemovesItsHomeWhenItEnds)
{
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    TimingFolders folders;
    const ToolRun run = folders.timing(shellQuoted(kPlugin) + " --patches 2 --rounds 1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(run.says("library: 2 patches in " + folders.tmp + "/zentrova-timing-")) << run.output;
    EXPECT_TRUE(folders.empty());
}

TEST(ZentrovaLibraryTiming, AnInterruptedRunRemovesItsHome)
{
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    TimingFolders folders;
    const std::string log = folders.home.path() + "/log";
    std::vector<std::string> words = {kTool, kPlugin, "--patches", "10000"};
    std::vector<char*> arguments;
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    std::vector<std::string> settings = {"TMPDIR=" + folders.tmp};
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::string(*variable).rfind("TMPDIR=", 0) != 0)
            settings.emplace_back(*variable);
    std::vector<char*> environment;
    for (std::string& setting : settings)
        environment.push_back(setting.data());
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // Ctrl-C as a terminal delivers it, whatever this process ignores or
    // holds back (a shell without job control starts it ignoring SIGINT).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t tool = 0;
    const int spawned = posix_spawn(&tool, kTool.c_str(), &actions, &attributes, arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ASSERT_EQ(spawned, 0);
    int status = 0;
    // Whether the tool ended by the deadline.
    const auto endsBy = [&](std::chrono::steady_clock::time_point deadline, auto done) {
        while (!done())
        {
            if (waitpid(tool, &status, WNOHANG) == tool)
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    const auto stop = [&] {
        kill(tool, SIGKILL);
        waitpid(tool, &status, 0);
    };

    // Interrupted while it writes the library.
    ASSERT_FALSE(endsBy(std::chrono::steady_clock::now() + kDeadline, [&] { return libraryBegun(folders.tmp); }))
        << "the tool ended before it was interrupted";
    if (!libraryBegun(folders.tmp))
    {
        stop();
        FAIL() << "no library was begun in " << folders.tmp;
    }
    kill(tool, SIGINT);
    if (!endsBy(std::chrono::steady_clock::now() + kDeadline, [] { return false; }))
    {
        stop();
        FAIL() << "the tool did not end when interrupted";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "ended as Ctrl-C ends a program";
    EXPECT_TRUE(folders.empty()) << "the interrupted run leaves no temporary home";
}
