#include "tools/EditorBenchmark.h"

#include "tools/EditorHost.h"
#include "tools/HostedPlugin.h"
#include "tools/RenderStatistics.h"
#include "tools/XServerProcess.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <thread>
#include <vector>

#include <malloc.h>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr double kSettleSeconds = 0.5;
constexpr double kDrawLimitSeconds = 10.0;
// Each parameter sweeps up and down once in this time, from its own phase.
constexpr double kSweepSeconds = 2.0;

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double heapMegabytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

struct Usage
{
    double processPercent = 0.0;
    double serverPercent = -1.0;
};

// The host's loop for a while: every open editor idled at the idle rate
// and, when automating, every parameter of the first instance set at each
// automation step.
Usage hostLoop(EditorHost& host, pid_t server, double seconds, double idleHz, double automationMillis)
{
    const auto idlePeriod = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / idleHz));
    const auto automationPeriod =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(automationMillis));
    const bool automating = automationMillis > 0.0;
    HostedPlugin& plugin = host.plugin(0);
    const int parameters = plugin.effect()->numParams;
    long long step = 0;

    const double serverBefore = server ? XServerProcess::cpuSeconds(server) : -1.0;
    const double before = processCpuSeconds();
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    auto nextIdle = start, nextAutomation = start;
    for (auto now = start; now < end; now = Clock::now())
    {
        if (automating && now >= nextAutomation)
        {
            const double sweep = static_cast<double>(step++) * automationMillis / (1e3 * kSweepSeconds);
            for (int i = 0; i < parameters; ++i)
            {
                const double phase = sweep + static_cast<double>(i) / parameters;
                const double triangle = 2.0 * std::fabs(phase - std::floor(phase) - 0.5);
                plugin.setParameter(i, static_cast<float>(triangle));
            }
            nextAutomation += automationPeriod;
            if (nextAutomation <= now)
                nextAutomation = now + automationPeriod;
        }
        if (now >= nextIdle)
        {
            host.idle();
            nextIdle += idlePeriod;
            if (nextIdle <= now)
                nextIdle = now + idlePeriod;
        }
        std::this_thread::sleep_until(std::min({nextIdle, automating ? nextAutomation : nextIdle, end}));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    Usage usage;
    usage.processPercent = 100.0 * (processCpuSeconds() - before) / elapsed;
    const double serverAfter = server ? XServerProcess::cpuSeconds(server) : -1.0;
    if (serverBefore >= 0.0 && serverAfter >= 0.0)
        usage.serverPercent = 100.0 * (serverAfter - serverBefore) / elapsed;
    return usage;
}

double openUntilDrawn(EditorHost& host, int editor)
{
    const auto start = Clock::now();
    if (!host.open(editor))
        throw std::runtime_error("the editor does not open");
    while (!host.showsContent(editor))
    {
        if (Clock::now() - start > std::chrono::duration<double>(kDrawLimitSeconds))
            throw std::runtime_error("the editor draws nothing");
        host.idle();
    }
    return 1e3 * std::chrono::duration<double>(Clock::now() - start).count();
}
} // namespace

EditorBenchmark::Result EditorBenchmark::run(const BenchmarkSubject& subject, const Case& benchmarkCase)
{
    const char* display = std::getenv("DISPLAY");
    const std::optional<int> number = XServerProcess::displayNumber(display ? display : "");
    const pid_t server = number ? XServerProcess::find(*number) : 0;

    EditorHostOptions options;
    options.pluginPath = subject.path;
    options.editors = benchmarkCase.editors;
    options.openAtStart = false;
    options.quiet = true;
    options.recordCalls = false;
    EditorHost host(options);
    Result result;
    result.parameters = host.plugin(0).effect()->numParams;
    const double settleHz = benchmarkCase.idleHz;

    // The instances settle (their threads start) before the loop is timed.
    hostLoop(host, server, kSettleSeconds, settleHz, 0.0);
    const Usage baseline = hostLoop(host, server, benchmarkCase.seconds, benchmarkCase.idleHz, 0.0);
    const double before = heapMegabytes();

    result.firstOpenMilliseconds = openUntilDrawn(host, 0);
    ERect* rect = nullptr;
    host.plugin(0).dispatch(effEditGetRect, 0, 0, &rect);
    if (rect)
    {
        result.width = rect->right - rect->left;
        result.height = rect->bottom - rect->top;
    }
    hostLoop(host, server, kSettleSeconds, settleHz, 0.0);
    const double oneOpen = heapMegabytes();

    const Usage idling = hostLoop(host, server, benchmarkCase.seconds, benchmarkCase.idleHz, 0.0);
    const Usage automation =
        hostLoop(host, server, benchmarkCase.seconds, benchmarkCase.idleHz, benchmarkCase.automationMillis);

    std::vector<double> reopenings;
    for (int i = 0; i < benchmarkCase.reopenings; ++i)
    {
        host.close(0);
        hostLoop(host, server, 0.1, settleHz, 0.0);
        reopenings.push_back(openUntilDrawn(host, 0));
    }
    result.reopenMilliseconds = RenderStatistics::median(reopenings);
    hostLoop(host, server, kSettleSeconds, settleHz, 0.0);
    const double beforeFurther = heapMegabytes();

    for (int i = 1; i < host.editorCount(); ++i)
    {
        openUntilDrawn(host, i);
        hostLoop(host, server, kSettleSeconds, settleHz, 0.0);
    }
    const double allOpen = heapMegabytes();
    for (int i = 0; i < host.editorCount(); ++i)
        host.close(i);
    hostLoop(host, server, kSettleSeconds, settleHz, 0.0);
    const double closed = heapMegabytes();

    result.oneOpenMegabytes = oneOpen - before;
    if (host.editorCount() > 1)
        result.furtherOpenMegabytes = (allOpen - beforeFurther) / (host.editorCount() - 1);
    result.closedMegabytes = closed - before;
    result.baselineCpuPercent = baseline.processPercent;
    result.idleCpuPercent = idling.processPercent;
    result.automationCpuPercent = automation.processPercent;
    result.baselineServerPercent = baseline.serverPercent;
    result.idleServerPercent = idling.serverPercent;
    result.automationServerPercent = automation.serverPercent;
    return result;
}
