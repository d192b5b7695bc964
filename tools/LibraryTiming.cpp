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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
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

void usage()
{
    std::fputs("usage: zentrova-library-timing PLUGIN.so [options]\n"
               "  --patches N      patches in the library (default 10000)\n"
               "  --per-bank N     patches per sub-folder (default 100)\n"
               "  --rounds N       cached creations and closes to time (default 5)\n"
               "  --folder PATH    also configure PATH as a patch folder (e.g. /)\n"
               "  --keep           keep the temporary home\n",
               stderr);
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        auto number = [&](int& out) {
            if (i + 1 >= argc)
                return false;
            out = std::atoi(argv[++i]);
            return out > 0;
        };
        if (argument == "--patches" && number(options.patches))
            continue;
        if (argument == "--per-bank" && number(options.perBank))
            continue;
        if (argument == "--rounds" && number(options.rounds))
            continue;
        if (argument == "--folder" && i + 1 < argc)
        {
            options.patchFolder = argv[++i];
            continue;
        }
        if (argument == "--keep")
        {
            options.keep = true;
            continue;
        }
        if (argument.empty() || argument[0] == '-' || !options.plugin.empty())
            return false;
        options.plugin = argument;
    }
    return !options.plugin.empty();
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string makeHome()
{
    char pattern[] = "/tmp/zentrova-timing-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr)
        throw std::runtime_error("no temporary folder");
    const std::string home = made;
    for (const char* sub : {"/config", "/data", "/datadirs", "/etc"})
        ::mkdir((home + sub).c_str(), 0755);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (home + "/datadirs").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home + "/etc").c_str(), 1);
    return home;
}

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

int run(const Options& options)
{
    const std::string home = makeHome();
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
    if (!options.keep)
        std::system(("rm -rf '" + home + "'").c_str());
    else
        std::printf("home kept in %s\n", home.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    return runCommandLine<Options>("zentrova-library-timing", argc, argv, parse, usage, run);
}
