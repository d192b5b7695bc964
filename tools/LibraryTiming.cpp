// zentrova-library-timing: how long a host waits for the patch library.
// Fills a private home's patch folder with a large library of patches and
// times, through the plug-in's entry point, the first creation (no cache),
// the close of the last instance (cache and configuration written), and
// creations and closes with the cache in place.

#include "patches/ChunkBuffer.h"
#include "patches/PatchFileHandler.h"
#include "patches/Uuid.h"
#include "tools/CommandLine.h"
#include "tools/HostedPlugin.h"
#include "tools/PluginLibrary.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
struct Options
{
    std::string plugin;
    int patches = 10000;
    int perBank = 100;
    int rounds = 5;
    std::string patchFolder; // empty: the deliverable's default folder
    bool keep = false;
};

constexpr const char* kName = "zentrova-library-timing";
// Each patch is a file of its own on the disk: ten times the default is
// beyond the largest libraries in use.
constexpr long kMostPatches = 100000;
constexpr long kMostRounds = 1000;

void usage(std::FILE* out)
{
    std::fputs("usage: zentrova-library-timing PLUGIN.so [options]\n"
               "  --patches N      patches in the library, 1 to 100000 (default 10000)\n"
               "  --per-bank N     patches per sub-folder, 1 to 100000 (default 100)\n"
               "  --rounds N       cached creations and closes to time, 1 to 1000 (default 5)\n"
               "  --folder PATH    also configure PATH as a patch folder (e.g. /)\n"
               "  --keep           keep the temporary home (made in TMPDIR, else /tmp)\n"
               "  --help, -h       print this\n",
               out);
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--patches")
            options.patches = static_cast<int>(
                wholeValue(argument, optionValue(argc, argv, i), 1, kMostPatches, "patches, each a file on the disk"));
        else if (argument == "--per-bank")
            options.perBank = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, kMostPatches));
        else if (argument == "--rounds")
            options.rounds = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, kMostRounds));
        else if (argument == "--folder")
            options.patchFolder = optionValue(argc, argv, i);
        else if (argument == "--keep")
            options.keep = true;
        else
            takePluginArgument(argument, options.plugin);
    }
    requirePlugin(options.plugin);
    return true;
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The private home of a run, in TMPDIR: removed when it goes, unless it is
// to be kept.
class TimingHome
{
public:
    explicit TimingHome(bool keep) : m_keep(keep)
    {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern =
            std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/zentrova-timing-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder like " + pattern + ": " + std::strerror(errno));
        m_path = pattern;
        for (const char* sub : {"/config", "/data", "/datadirs", "/etc"})
            ::mkdir((m_path + sub).c_str(), 0755);
    }
    TimingHome(const TimingHome&) = delete;
    TimingHome& operator=(const TimingHome&) = delete;
    ~TimingHome() { remove(); }

    const std::string& path() const { return m_path; }

    void remove()
    {
        if (m_path.empty())
            return;
        if (m_keep)
            std::printf("home kept in %s\n", m_path.c_str());
        else
        {
            std::error_code error;
            std::filesystem::remove_all(m_path, error);
            if (error)
                std::fprintf(stderr, "%s: cannot remove %s: %s\n", kName, m_path.c_str(), error.message().c_str());
        }
        m_path.clear();
    }

    // Points this process's home and XDG folders at it.
    void enter() const
    {
        ::setenv("HOME", m_path.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (m_path + "/datadirs").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (m_path + "/etc").c_str(), 1);
    }

private:
    std::string m_path;
    bool m_keep;
};

// The patch the instance starts with, as its text: the size of a real patch.
std::string patchText(HostedPlugin& plugin)
{
    const std::vector<unsigned char> bytes = plugin.getChunk(true);
    ChunkBuffer chunk(bytes.data(), bytes.size());
    return inflateToString(chunk);
}

void writeLibrary(const std::string& folder, const std::string& text, const Options& options, bool isEffect)
{
    const std::size_t uuidAt = text.find("uuid=\"");
    for (int i = 0; i < options.patches; ++i)
    {
        const std::string bank = folder + "/Bank " + std::to_string(i / options.perBank);
        ::mkdir(bank.c_str(), 0755);
        std::string patch = text;
        if (uuidAt != std::string::npos)
            patch.replace(uuidAt + 6, 36, uuidToString(generateUuid()));
        ChunkBuffer chunk;
        chunk.assignCompressed(patch);
        const std::string name = "Patch " + std::to_string(i);
        if (PatchFileHandler::writeFxp(bank + "/" + name + ".fxp", name, chunk, isEffect) != 0)
            throw std::runtime_error("cannot write " + bank);
    }
}

// The processor time of this thread: on a busy machine the wall clock
// also counts the time spent waiting for a processor.
double threadMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Sample
{
    double create = 0.0;
    double close = 0.0;
    double createCpu = 0.0;
    double closeCpu = 0.0;
};

Sample createAndClose(const std::string& plugin)
{
    Sample sample;
    auto start = std::chrono::steady_clock::now();
    double cpu = threadMilliseconds();
    auto instance = std::make_unique<HostedPlugin>(plugin, HostSettings());
    sample.create = millisecondsSince(start);
    sample.createCpu = threadMilliseconds() - cpu;
    start = std::chrono::steady_clock::now();
    cpu = threadMilliseconds();
    instance.reset();
    sample.close = millisecondsSince(start);
    sample.closeCpu = threadMilliseconds() - cpu;
    return sample;
}

// Apart, so that a profiler can be told to look at one kind of round only
// (valgrind --tool=callgrind --toggle-collect='*cachedRounds*').
__attribute__((noinline)) Sample coldRound(const std::string& plugin)
{
    return createAndClose(plugin);
}

__attribute__((noinline)) std::vector<Sample> cachedRounds(const std::string& plugin, int rounds)
{
    std::vector<Sample> samples;
    for (int round = 0; round < rounds; ++round)
        samples.push_back(createAndClose(plugin));
    return samples;
}

// Adds folder to the deliverable's patch folders in the configuration file.
void addFolderToConfiguration(const std::string& home, const std::string& folder, bool isEffect)
{
    const std::string path = home + "/config/com.vorlixworks.Zentrova2.sup";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw std::runtime_error("no configuration at " + path);
    std::string text;
    char block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        text.append(block, got);
    std::fclose(file);
    const std::string key = isEffect ? "{FX Patch Folders}{" : "{Inst Patch Folders}{";
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        throw std::runtime_error("no patch folders in the configuration");
    text.insert(at + key.size(), "<folder name=\"Extra\" path=\"" + folder + "\"/>");
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size())
        throw std::runtime_error("cannot write " + path);
    std::fclose(file);
}

int measure(const Options& options, const std::string& home)
{
    // Held open for the whole run, so that every creation measures the
    // instance and not the loading of the library.
    PluginLibrary library(options.plugin);
    std::string folder;
    bool isEffect = false;
    std::string text;
    {
        HostedPlugin first(options.plugin, HostSettings());
        char name[256] = {};
        first.dispatch(effGetEffectName, 0, 0, name);
        isEffect = std::string(name).find("FX") != std::string::npos;
        text = patchText(first);
    }
    folder = home + "/data/Vorlix/Zentrova2/Patches/" + (isEffect ? "Effect" : "Instrument");
    struct stat status;
    if (::stat(folder.c_str(), &status) != 0)
        throw std::runtime_error("no patch folder at " + folder);
    if (!options.patchFolder.empty())
        addFolderToConfiguration(home, options.patchFolder, isEffect);
    ::unlink((home + "/data/Vorlix/Zentrova2/patchtree.bin").c_str());

    auto start = std::chrono::steady_clock::now();
    writeLibrary(folder, text, options, isEffect);
    std::printf("library: %d patches in %s (%.0f ms to write)\n", options.patches, folder.c_str(),
                millisecondsSince(start));

    const Sample cold = coldRound(options.plugin);
    std::printf("no cache:   create %8.1f ms   close %8.1f ms   (processor %6.1f / %6.1f ms)\n", cold.create,
                cold.close, cold.createCpu, cold.closeCpu);
    const std::vector<Sample> samples = cachedRounds(options.plugin, options.rounds);
    for (const Sample& sample : samples)
        std::printf("cached:     create %8.1f ms   close %8.1f ms   (processor %6.1f / %6.1f ms)\n", sample.create,
                    sample.close, sample.createCpu, sample.closeCpu);
    auto median = [&](double Sample::*field) {
        std::vector<double> values;
        for (const Sample& sample : samples)
            values.push_back(sample.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    auto least = [&](double Sample::*field) {
        double value = samples.front().*field;
        for (const Sample& sample : samples)
            value = std::min(value, sample.*field);
        return value;
    };
    std::printf("median:     create %8.1f ms   close %8.1f ms   (processor %6.1f / %6.1f ms)\n",
                median(&Sample::create), median(&Sample::close), median(&Sample::createCpu),
                median(&Sample::closeCpu));
    std::printf("least:      create %8.1f ms   close %8.1f ms   (processor %6.1f / %6.1f ms)\n",
                least(&Sample::create), least(&Sample::close), least(&Sample::createCpu), least(&Sample::closeCpu));
    return 0;
}

// The signals that end a run from outside, and the process of the run they
// are passed on to.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t g_endingSignal = 0;
volatile std::sig_atomic_t g_runProcess = 0;

extern "C" void passOn(int signal)
{
    g_endingSignal = signal;
    if (g_runProcess > 0)
        ::kill(g_runProcess, signal);
}

// The run goes in a process of its own, so that whatever ends it (an error,
// a plug-in that crashes, Ctrl-C) this one is left to remove the home once
// nothing writes in it any more.
int run(const Options& options)
{
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : kEndingSignals)
        sigaddset(&ending, signal);
    sigset_t before;
    // Held back until the run's process is known, so that none is missed.
    ::sigprocmask(SIG_BLOCK, &ending, &before);
    struct sigaction action = {};
    action.sa_handler = passOn;
    sigemptyset(&action.sa_mask);
    // One ignored stays ignored (as nohup leaves SIGHUP), in the run too.
    std::vector<int> caught;
    for (int signal : kEndingSignals)
    {
        struct sigaction was = {};
        if (::sigaction(signal, nullptr, &was) == 0 && was.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
        caught.push_back(signal);
    }

    TimingHome home(options.keep);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error(std::string("cannot start the run: ") + std::strerror(errno));
    if (child == 0)
    {
        for (int signal : caught)
            std::signal(signal, SIG_DFL);
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
        int status = 1;
        try
        {
            home.enter();
            status = measure(options, home.path());
        }
        catch (const std::exception& error)
        {
            std::fprintf(stderr, "%s: %s\n", kName, error.what());
        }
        catch (...)
        {
            // Whatever a plug-in throws, this process goes no further.
            std::fprintf(stderr, "%s: the run ended by an unknown exception\n", kName);
        }
        std::fflush(stdout);
        std::fflush(stderr);
        // The home is the other process's to remove.
        ::_exit(status);
    }
    g_runProcess = child;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    g_runProcess = 0;
    home.remove();
    if (g_endingSignal != 0)
    {
        // Ended as the signal ends a program, for the shell that sent it.
        std::fflush(stdout);
        std::signal(g_endingSignal, SIG_DFL);
        std::raise(g_endingSignal);
    }
    if (WIFSIGNALED(status))
        throw std::runtime_error("the run ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
                                 strsignal(WTERMSIG(status)) + ")");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
} // namespace

int main(int argc, char** argv)
{
    return runCommandLine<Options>(kName, argc, argv, parse, usage, run);
}
