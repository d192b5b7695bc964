// zentrova-bench: how many voices the instrument holds for its CPU time,
// against a peer synthesizer loaded the same way, in one run:
//   build/zentrova-bench [--plugin Zentrova2.so] [--peer amsynth_vst.so|none]
//                        [--seconds S] [--repeats R] [--quick] [--silence S]
//                        [--voices N,N,...] [--block N] [--simd PATH,PATH,...]
//                        [--instances N] [--editors N] [--editor-seconds S]
//                        [--editor-only]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "simd/SystemInfo.h"
#include "tools/CommandLine.h"
#include "tools/EditorBenchmark.h"
#include "tools/HostedPlugin.h"
#include "tools/InstanceBenchmark.h"
#include "tools/SimdSetting.h"
#include "tools/VoiceBenchmark.h"
#include "tools/XServerProcess.h"

#ifndef ZENTROVA_DEFAULT_PLUGIN
#define ZENTROVA_DEFAULT_PLUGIN "build/Zentrova2.vst/Contents/x86_64-linux/Zentrova2.so"
#endif

namespace
{
constexpr const char* kDefaultPeer = "/usr/lib/vst/amsynth_vst.so";
constexpr double kTargetPercent = 15.0;
constexpr double kTargetPeerRatio = 0.25;
constexpr double kTargetBlockShare = 0.5;
constexpr double kTargetInstanceMegabytes = 2.0;
constexpr double kTargetOpenMilliseconds = 1.0;
constexpr double kTargetSilencePercent = 0.02;
constexpr double kTargetClosedEditorMegabytes = 1.0;
constexpr double kTargetFurtherEditorMegabytes = 2.0;
constexpr double kTargetEditorIdlePercent = 0.1;
constexpr double kTargetServerShare = 0.25;
constexpr double kQuickEditorSeconds = 5.0;

struct Options
{
    std::string plugin = ZENTROVA_DEFAULT_PLUGIN;
    std::string peer = kDefaultPeer;
    // Named on the command line: it must be there.
    bool peerNamed = false;
    double seconds = 10.0;
    // Of the silence after the release; 0 ends each run with the held notes,
    // so that a profile holds nothing else.
    double silence = 10.0;
    int repeats = 3;
    bool quick = false;
    int block = 64;
    std::vector<int> voices{1, 16, 64, 128};
    // Each measured in a process of its own; none: the path ZENTROVA_SIMD
    // or the processor gives.
    std::vector<SimdPath> simd;
    // Instances of the project whose memory and opening are measured; 0
    // measures neither them nor the late silence.
    int instances = 20;
    // Editors of as many instances open together for the heap figure; 0
    // measures no editor.
    int editors = 4;
    // Of each editor loop; negative: 30 s, or 5 with --quick.
    double editorSeconds = -1.0;
    bool editorOnly = false;
};

void usage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: zentrova-bench [options]\n"
                 "  --plugin FILE.so   the instrument to measure (default: the one built with this program)\n"
                 "  --peer FILE.so     the peer to compare with, or none (default %s,\n"
                 "                     measured alone when that one is not installed)\n"
                 "  --seconds S        seconds of held notes per run, 2 to 3600 (default 10)\n"
                 "  --repeats R        runs per figure, the best kept, 1 to 100 (default 3)\n"
                 "  --quick            48 kHz with 64-sample blocks only\n"
                 "  --voices N,N,...   voice counts at 48 kHz, each 1 to 128 (default 1,16,64,128)\n"
                 "  --block N          block size of those runs, 1 to 4096 (default 64)\n"
                 "  --silence S        seconds of silence measured after the release, 0 for none, at most 3600\n"
                 "                     (default 10)\n"
                 "  --simd P,P,...     vector paths to measure one after the other: sse, avx2, avx512\n"
                 "                     (default: the one ZENTROVA_SIMD or the processor gives)\n"
                 "  --instances N      instances opened for the memory and opening figures, 0 for none, else\n"
                 "                     2 to 1000 (default 20)\n"
                 "  --editors N        editors open together for the editor's heap figure, 1 to 8, 0 for no editor\n"
                 "                     figures (default 4; they need an X display)\n"
                 "  --editor-seconds S seconds of each editor loop: without an editor, idling, automated,\n"
                 "                     0.5 to 3600 (default 30, with --quick 5)\n"
                 "  --editor-only      the editor figures alone\n"
                 "  --help, -h         print this\n",
                 kDefaultPeer);
}

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--plugin")
            options.plugin = optionValue(argc, argv, i);
        else if (argument == "--peer")
        {
            options.peer = optionValue(argc, argv, i);
            options.peerNamed = true;
        }
        else if (argument == "--seconds")
            options.seconds = numberValue(argument, optionValue(argc, argv, i), 2.0, 3600.0, "s");
        else if (argument == "--silence")
            options.silence = numberValue(argument, optionValue(argc, argv, i), 0.0, 3600.0, "s");
        else if (argument == "--repeats")
            options.repeats = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, 100));
        else if (argument == "--block")
            options.block = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 1, 4096));
        else if (argument == "--simd")
        {
            options.simd.clear();
            const std::string list = optionValue(argc, argv, i);
            for (std::size_t start = 0; start <= list.size();)
            {
                const std::size_t end = std::min(list.find(',', start), list.size());
                const std::string name = list.substr(start, end - start);
                const std::optional<SimdPath> path = SystemInfo::parseSimdPath(name.c_str());
                if (!path)
                    throw UsageError(argument + " " + list + ": \"" + name + "\" is not one of sse, avx2, avx512");
                options.simd.push_back(*path);
                start = end + 1;
            }
        }
        else if (argument == "--instances")
        {
            const std::string text = optionValue(argc, argv, i);
            options.instances = static_cast<int>(wholeValue(argument, text, 0, 1000));
            // The figures are those of the instances after the first.
            if (options.instances == 1)
                throw UsageError(argument + " " + text + ": 0 for none, else at least 2");
        }
        else if (argument == "--editors")
            options.editors = static_cast<int>(wholeValue(argument, optionValue(argc, argv, i), 0, 8));
        else if (argument == "--editor-seconds")
            options.editorSeconds = numberValue(argument, optionValue(argc, argv, i), 0.5, 3600.0, "s");
        else if (argument == "--editor-only")
            options.editorOnly = true;
        else if (argument == "--quick")
            options.quick = true;
        else if (argument == "--voices")
        {
            options.voices.clear();
            const std::string list = optionValue(argc, argv, i);
            for (std::size_t start = 0; start <= list.size();)
            {
                const std::size_t end = std::min(list.find(',', start), list.size());
                const std::string count = list.substr(start, end - start);
                char* last = nullptr;
                const long voices = std::strtol(count.c_str(), &last, 10);
                if (count.empty() || *last != '\0' || voices < 1 || voices > 128)
                    throw UsageError(argument + " " + list + ": \"" + count + "\" is not a voice count from 1 to 128");
                options.voices.push_back(static_cast<int>(voices));
                start = end + 1;
            }
        }
        else
            unknownArgument(argument);
    }
    if (options.editorOnly && options.editors == 0)
        throw UsageError("--editor-only with --editors 0 leaves nothing to measure");
    return true;
}

// Where the plug-in loader looks for a peer's library.
std::string peerFile(const std::string& peer)
{
    return peer.find('/') == std::string::npos ? "./" + peer : peer;
}

// Both plug-ins keep settings under the home folder: they get a temporary
// one, where the peer is told to play every note it is given.
class BenchmarkHome
{
public:
    BenchmarkHome()
    {
        char pattern[] = "/tmp/zentrova-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
        const std::filesystem::path home(m_path);
        std::filesystem::create_directories(home / ".config" / "amsynth");
        std::filesystem::create_directories(home / ".local" / "share");
        std::ofstream(home / ".config" / "amsynth" / "config") << "polyphony\t128\n";
        std::ofstream(home / ".amSynthrc") << "polyphony\t128\n";
        setenv("HOME", m_path.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
        setenv("XDG_DATA_DIRS", (home / "share").c_str(), 1);
    }
    ~BenchmarkHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::string m_path;
};

void printPatch(const char* label, const std::vector<std::string>& lines)
{
    std::printf("%s patch:", label);
    for (std::size_t i = 0; i < lines.size(); ++i)
        std::printf("%s%s", i == 0 ? " " : "; ", lines[i].c_str());
    std::printf("\n");
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT met";
}

// The 128-voice figures of one run, for the summary of several paths.
struct Figures
{
    double ours = -1.0;
    double peer = -1.0;
};

void printInstances(const char* label, const InstanceBenchmark::Result& r)
{
    std::printf("  %-9s each further instance %6.2f MB, %7.2f ms, %.0f page faults (first %6.2f MB, %7.2f ms); "
                "25-30 s after the release CPU %.4f%%, peak %.3g\n",
                label, r.megabytesPerInstance, r.openMilliseconds, r.faultsPerInstance, r.firstMegabytes,
                r.firstOpenMilliseconds, r.silenceCpuPercent, r.silencePeak);
}

void measureInstances(const Options& options, const BenchmarkSubject& ours, const BenchmarkSubject* peer)
{
    InstanceBenchmark::Case c;
    c.instances = options.instances;
    std::printf("\n%d instances in one process, each opened and run one %d-sample block at %.0f Hz (medians of "
                "the further ones);\none instance of one note, %.0f-%.0f s after its release\n",
                c.instances, c.blockSize, c.sampleRate, c.silenceFrom, c.silenceTo);
    const InstanceBenchmark::Result r = InstanceBenchmark::run(ours, c);
    printInstances(ours.label.c_str(), r);
    if (peer)
        printInstances(peer->label.c_str(), InstanceBenchmark::run(*peer, c));
    std::printf("  targets: at most %.0f MB and %.0f ms per further instance: %s, %s; silence at most %.2f%% "
                "with exact zero: %s\n",
                kTargetInstanceMegabytes, kTargetOpenMilliseconds,
                verdict(r.megabytesPerInstance <= kTargetInstanceMegabytes),
                verdict(r.openMilliseconds <= kTargetOpenMilliseconds), kTargetSilencePercent,
                verdict(r.silenceCpuPercent <= kTargetSilencePercent && r.silencePeak == 0.0));
    std::fflush(stdout);
}

std::string percentOrNone(double percent)
{
    if (percent < 0.0)
        return "not measured";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f%%", percent);
    return text;
}

void printEditor(const char* label, const EditorBenchmark::Result& r)
{
    std::printf("  %-9s %dx%d, open to first drawing %.1f ms (reopened %.1f ms); heap %+.2f MB with one open, "
                "%+.2f MB each further open, %+.2f MB all closed\n",
                label, r.width, r.height, r.firstOpenMilliseconds, r.reopenMilliseconds, r.oneOpenMegabytes,
                r.furtherOpenMegabytes, r.closedMegabytes);
    std::printf("  %-9s idling: CPU %.3f%% against %.3f%% without the editor (+%.3f%%), X server %s against %s; "
                "automated (%d parameters): CPU %.2f%%, X server %s",
                "", r.idleCpuPercent, r.baselineCpuPercent, r.idleCpuPercent - r.baselineCpuPercent,
                percentOrNone(r.idleServerPercent).c_str(), percentOrNone(r.baselineServerPercent).c_str(),
                r.parameters, r.automationCpuPercent, percentOrNone(r.automationServerPercent).c_str());
    if (r.automationServerPercent >= 0.0 && r.automationCpuPercent > 0.0)
        std::printf(", X server/process %.2f", r.automationServerPercent / r.automationCpuPercent);
    std::printf("\n");
    std::fflush(stdout);
}

// Runs work (which fills result and gives an exit status) in a child
// process and brings result back through a pipe: the child's exit status, or
// -1 when it gave no result or a signal ended it (then *signal is set).
template <typename Result, typename Work> int runInChild(Result& result, Work work, int* signal = nullptr)
{
    int channel[2];
    if (pipe(channel) != 0)
        throw std::runtime_error("cannot create a pipe");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot start a process");
    if (child == 0)
    {
        close(channel[0]);
        const int status = work(result);
        std::fflush(stdout);
        std::fflush(stderr);
        const ssize_t written = write(channel[1], &result, sizeof result);
        _exit(written == static_cast<ssize_t>(sizeof result) ? status : 1);
    }
    close(channel[1]);
    const ssize_t got = read(channel[0], &result, sizeof result);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (signal)
        *signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (got != static_cast<ssize_t>(sizeof result) || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Each plug-in's editor in a process of its own: the heap and CPU figures
// are the process's, and a toolkit that aborts ends only its own figures.
bool measureEditorInChild(const BenchmarkSubject& subject, const EditorBenchmark::Case& c, EditorBenchmark::Result& r)
{
    int signal = 0;
    const int status = runInChild(
        r,
        [&](EditorBenchmark::Result& result) {
            // The temporary home hides the system's data folders, where GLib
            // toolkits find the schemas and file types they cannot start without.
            const char* data = std::getenv("XDG_DATA_DIRS");
            setenv("XDG_DATA_DIRS", (std::string(data ? data : "") + ":/usr/local/share:/usr/share").c_str(), 1);
            try
            {
                result = EditorBenchmark::run(subject, c);
                return 0;
            }
            catch (const std::exception& error)
            {
                std::printf("  %s: no editor figures: %s\n", subject.label.c_str(), error.what());
                return 1;
            }
        },
        &signal);
    if (signal != 0)
        std::printf("  %s: no editor figures: its process ended by signal %d\n", subject.label.c_str(), signal);
    return status == 0;
}

void measureEditors(const Options& options, const BenchmarkSubject& ours, const BenchmarkSubject* peer)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
    {
        std::printf("\nno X display (DISPLAY is not set): the editor figures are skipped\n");
        return;
    }
    EditorBenchmark::Case c;
    c.editors = options.editors;
    c.seconds = options.editorSeconds >= 0.0 ? options.editorSeconds : options.quick ? kQuickEditorSeconds : c.seconds;
    const std::optional<int> number = XServerProcess::displayNumber(display);
    const pid_t server = number ? XServerProcess::find(*number) : 0;
    std::printf("\nEditors on %s (X server %s), idled at %.0f Hz: %.0f s with none open, %.0f s idling with nothing\n"
                "changing, %.0f s with every parameter set each %.0f ms (no audio). Opening ends at the first capture "
                "of the\nscreen that shows more than the host window's black; heap is mallinfo2's uordblks + hblkhd "
                "against before the\nfirst opening, with %d instances made, %d editors then open together; "
                "reopening: median of %d; the X server's\nCPU is its threads' time in /proc/PID/task/*/schedstat\n",
                display, server ? (XServerProcess::name(server) + " " + std::to_string(server)).c_str() : "not found",
                c.idleHz, c.seconds, c.seconds, c.seconds, c.automationMillis, c.editors, c.editors, c.reopenings);
    std::fflush(stdout);
    EditorBenchmark::Result r, p;
    const bool measured = measureEditorInChild(ours, c, r);
    if (measured)
        printEditor(ours.label.c_str(), r);
    if (peer && measureEditorInChild(*peer, c, p))
        printEditor(peer->label.c_str(), p);
    if (!measured)
        return;
    std::printf("  targets: at most %.0f MB once closed: %s; at most %.0f MB each further open: %s; idling at most "
                "+%.1f%%: %s",
                kTargetClosedEditorMegabytes, verdict(r.closedMegabytes <= kTargetClosedEditorMegabytes),
                kTargetFurtherEditorMegabytes,
                c.editors > 1 ? verdict(r.furtherOpenMegabytes <= kTargetFurtherEditorMegabytes) : "not measured",
                kTargetEditorIdlePercent, verdict(r.idleCpuPercent - r.baselineCpuPercent <= kTargetEditorIdlePercent));
    if (r.automationServerPercent >= 0.0)
        std::printf("; X server at most %.2f of the process automated: %s", kTargetServerShare,
                    verdict(r.automationServerPercent <= kTargetServerShare * r.automationCpuPercent));
    std::printf("\n");
    std::fflush(stdout);
}

// Ours and, when there is one, the peer, their runs taken in turn.
std::pair<VoiceBenchmark::Result, VoiceBenchmark::Result> measurePair(const BenchmarkSubject& ours,
                                                                      const BenchmarkSubject* peer,
                                                                      const VoiceBenchmark::Case& c, int repeats)
{
    if (peer == nullptr)
        return {VoiceBenchmark::best(ours, c, repeats), VoiceBenchmark::Result()};
    return VoiceBenchmark::bestOfBoth(ours, *peer, c, repeats);
}

int measure(const Options& options, Figures& figures)
{
    BenchmarkHome home;
    const BenchmarkSubject ours = BenchmarkSubject::zentrova(options.plugin);
    const bool withPeer = options.peer != "none" && std::filesystem::exists(peerFile(options.peer));
    const BenchmarkSubject peer = BenchmarkSubject::peer(options.peer);
    if (options.peer != "none" && !withPeer)
        std::printf("peer %s not found: measuring %s alone\n", options.peer.c_str(), ours.label.c_str());

    std::printf("%s (%s)%s%s\n", ours.label.c_str(), ours.path.c_str(), withPeer ? " against " : "",
                withPeer ? (peer.label + " (" + peer.path + ")").c_str() : "");
    std::printf("%.0f s of held notes per run, best of %d runs; CPU is the thread's CPU time per second of audio\n"
                "(%% of one core); block times are wall-clock, against the block's duration (its budget).\n",
                options.seconds, options.repeats);
    std::printf("vector path %s (processor: %s)\n", SystemInfo::simdPathName(SystemInfo::processPath()),
                SystemInfo::simdPathName(SystemInfo::processorPath()));

    if (options.instances > 0 && !options.editorOnly)
        measureInstances(options, ours, withPeer ? &peer : nullptr);
    if (options.editors > 0)
        measureEditors(options, ours, withPeer ? &peer : nullptr);
    if (options.editorOnly)
        return 0;

    VoiceBenchmark::Case mainCase;
    mainCase.seconds = options.seconds;
    mainCase.silenceSeconds = options.silence;
    mainCase.blockSize = options.block;
    VoiceBenchmark::Result ours128, peer128;
    bool measured128 = false;
    std::printf("\n%.0f Hz, %d-sample blocks, budget %.1f us\n", mainCase.sampleRate, mainCase.blockSize,
                1e6 * mainCase.blockSize / mainCase.sampleRate);
    std::printf("%-6s | %-5s %6s %8s %8s %8s %8s %6s |", "voices", "notes", "CPU%", "ns/v/smp", "median", "p99",
                "max", "max/bu");
    if (withPeer)
        std::printf(" %-5s %6s %8s %8s %8s %8s | %s", "notes", "peer%", "ns/v/smp", "median", "p99", "max",
                    "ours/peer");
    std::printf("\n");
    bool printedPatch = false;
    for (int voices : options.voices)
    {
        VoiceBenchmark::Case c = mainCase;
        c.voices = voices;
        const auto [r, p] = measurePair(ours, withPeer ? &peer : nullptr, c, options.repeats);
        std::printf("%-6d | %-5d %6.2f %8.1f %8.1f %8.1f %8.1f %5.1f%% |", voices, r.notes, r.cpuPercent,
                    r.nsPerVoiceSample, r.medianBlockUs, r.p99BlockUs, r.maxBlockUs,
                    100.0 * r.maxBlockUs / r.blockBudgetUs);
        if (withPeer)
        {
            std::printf(" %-5d %6.2f %8.1f %8.1f %8.1f %8.1f | %.3f", p.notes, p.cpuPercent, p.nsPerVoiceSample,
                        p.medianBlockUs, p.p99BlockUs, p.maxBlockUs, r.cpuPercent / p.cpuPercent);
        }
        std::printf("\n");
        std::fflush(stdout);
        if (voices == 128)
        {
            ours128 = r;
            peer128 = p;
            measured128 = true;
        }
        if (!printedPatch && voices > 1)
        {
            printPatch(("  " + ours.label).c_str(), r.patch);
            if (withPeer)
                printPatch(("  " + peer.label).c_str(), p.patch);
            printedPatch = true;
        }
    }

    if (!options.quick)
    {
        std::printf("\n128 voices at other rates and block sizes\n");
        std::printf("%-6s %-5s | %6s %8s %8s %8s %8s %6s |", "rate", "block", "CPU%", "ns/v/smp", "median", "p99",
                    "max", "max/bu");
        if (withPeer)
            std::printf(" %6s | %s", "peer%", "ours/peer");
        std::printf("\n");
        const VoiceBenchmark::Case others[] = {{44100.0, 64, 128, options.seconds, 0.0},
                                               {96000.0, 64, 128, options.seconds, 0.0},
                                               {48000.0, 32, 128, options.seconds, 0.0},
                                               {48000.0, 100, 128, options.seconds, 0.0},
                                               {48000.0, 512, 128, options.seconds, 0.0}};
        for (const VoiceBenchmark::Case& c : others)
        {
            const auto [r, p] = measurePair(ours, withPeer ? &peer : nullptr, c, options.repeats);
            std::printf("%-6.0f %-5d | %6.2f %8.1f %8.1f %8.1f %8.1f %5.1f%% |", c.sampleRate, c.blockSize,
                        r.cpuPercent, r.nsPerVoiceSample, r.medianBlockUs, r.p99BlockUs, r.maxBlockUs,
                        100.0 * r.maxBlockUs / r.blockBudgetUs);
            if (withPeer)
            {
                std::printf(" %6.2f | %.3f", p.cpuPercent, r.cpuPercent / p.cpuPercent);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }

    if (!measured128)
        return 0;
    figures.ours = ours128.cpuPercent;
    figures.peer = withPeer ? peer128.cpuPercent : -1.0;
    std::printf("\nTargets, 128 voices at 48 kHz with 64-sample blocks\n");
    std::printf("  CPU %.2f%% of one core, target at most %.0f%%: %s\n", ours128.cpuPercent, kTargetPercent,
                verdict(ours128.cpuPercent <= kTargetPercent));
    if (withPeer)
        std::printf("  CPU %.3f of the peer's, target at most %.2f: %s\n", ours128.cpuPercent / peer128.cpuPercent,
                    kTargetPeerRatio, verdict(ours128.cpuPercent <= kTargetPeerRatio * peer128.cpuPercent));
    std::printf("  worst block %.1f us = %.1f%% of the budget (block %d), target under %.0f%%: %s\n",
                ours128.maxBlockUs, 100.0 * ours128.maxBlockUs / ours128.blockBudgetUs, ours128.maxBlockIndex,
                100.0 * kTargetBlockShare, verdict(ours128.maxBlockUs < kTargetBlockShare * ours128.blockBudgetUs));
    std::printf("  worst block of the wave change's table rebuild %.1f us = %.1f%% of the budget: %s\n",
                ours128.waveChangeMaxUs, 100.0 * ours128.waveChangeMaxUs / ours128.blockBudgetUs,
                verdict(ours128.waveChangeMaxUs < kTargetBlockShare * ours128.blockBudgetUs));
    if (options.silence <= 0.0)
        return 0;
    std::printf("  silence after release (%.0f s and %.0f s later): CPU %.3f%% then %.3f%%, peak %.2g",
                VoiceBenchmark::kReleaseSeconds, VoiceBenchmark::kReleaseSeconds + 0.5 * options.silence,
                ours128.silenceCpuPercent, ours128.lateSilenceCpuPercent, ours128.silencePeak);
    if (withPeer)
        std::printf("; peer %.3f%% then %.3f%%", peer128.silenceCpuPercent, peer128.lateSilenceCpuPercent);
    std::printf("\n");
    return 0;
}

// A path in a child process, since the plug-in reads ZENTROVA_SIMD once per
// process; its figures come back through a pipe.
int measureOnPath(const Options& options, SimdPath path, Figures& figures)
{
    const int status = runInChild(figures, [&](Figures& result) {
        setenv("ZENTROVA_SIMD", SystemInfo::simdPathName(path), 1);
        try
        {
            return measure(options, result);
        }
        catch (const std::exception& error)
        {
            std::fprintf(stderr, "zentrova-bench: %s\n", error.what());
            return 1;
        }
    });
    return status < 0 ? 1 : status;
}

// Why the plug-in cannot be measured (empty when it opens as a plug-in). It
// is opened in a process of its own, so that the measurements still meet it
// for the first time.
std::string openFailure(const std::string& path)
{
    struct Failure
    {
        char text[1024];
    } failure{};
    const int status = runInChild(failure, [&](Failure& result) {
        try
        {
            BenchmarkHome home;
            HostedPlugin plugin(path, HostSettings{});
            return 0;
        }
        catch (const std::exception& error)
        {
            std::snprintf(result.text, sizeof result.text, "%s", error.what());
            return 1;
        }
    });
    if (status == 0)
        return std::string();
    return failure.text[0] != '\0' ? failure.text : "cannot load " + path + ": its process ended abnormally";
}

int run(const Options& given)
{
    settleSimdSetting();
    Options options = given;
    if (options.peerNamed && options.peer != "none")
    {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(peerFile(options.peer), error);
        if (!std::filesystem::exists(status))
            throw std::runtime_error("the peer " + options.peer + ": no such file");
        if (std::filesystem::is_directory(status))
            throw std::runtime_error("the peer " + options.peer + " is a folder");
    }
    // Both are opened before anything is measured: a file that is no
    // plug-in is said at once, not after a run of the other.
    const std::string ours = openFailure(options.plugin);
    if (!ours.empty())
        throw std::runtime_error(ours);
    if (options.peer != "none" && std::filesystem::exists(peerFile(options.peer)))
    {
        const std::string peer = openFailure(peerFile(options.peer));
        if (!peer.empty() && options.peerNamed)
            throw std::runtime_error("the peer: " + peer);
        if (!peer.empty())
        {
            std::printf("peer %s does not open (%s): measuring alone\n", options.peer.c_str(), peer.c_str());
            options.peer = "none";
        }
    }
    Figures figures;
    if (options.simd.empty())
        return measure(options, figures);
    int result = 0;
    std::vector<std::pair<SimdPath, Figures>> measured;
    for (SimdPath path : options.simd)
    {
        if (static_cast<int>(path) > static_cast<int>(SystemInfo::processorPath()))
        {
            std::printf("\n== %s: not measured, this processor runs %s at most\n", SystemInfo::simdPathName(path),
                        SystemInfo::simdPathName(SystemInfo::processorPath()));
            continue;
        }
        std::printf("\n== ZENTROVA_SIMD=%s\n", SystemInfo::simdPathName(path));
        Figures f;
        result = std::max(result, measureOnPath(options, path, f));
        measured.emplace_back(path, f);
    }
    if (measured.empty() || measured.front().second.ours < 0.0)
        return result;
    std::printf("\n128 voices at 48 kHz with %d-sample blocks, per vector path\n", options.block);
    for (const auto& [path, f] : measured)
    {
        std::printf("  %-7s CPU %6.2f%%", SystemInfo::simdPathName(path), f.ours);
        if (f.peer > 0.0)
            std::printf(", peer %6.2f%%, ours/peer %.3f (target at most %.2f: %s)", f.peer, f.ours / f.peer,
                        kTargetPeerRatio, verdict(f.ours <= kTargetPeerRatio * f.peer));
        std::printf("\n");
    }
    return result;
}
} // namespace

int main(int argc, char** argv)
{
    return runCommandLine<Options>("zentrova-bench", argc, argv, parse, usage, run);
}
