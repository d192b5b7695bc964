#include "tools/InstanceBenchmark.h"

#include "tools/HostedPlugin.h"
#include "tools/RenderStatistics.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace
{
double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_minflt);
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

class Blocks
{
public:
    Blocks(HostedPlugin& plugin)
        : m_plugin(plugin), m_frames(plugin.settings().blockSize),
          m_buffers(std::max(2, plugin.effect()->numOutputs) + std::max(0, plugin.effect()->numInputs),
                    std::vector<float>(static_cast<std::size_t>(m_frames), 0.0f))
    {
        const int outputs = std::max(2, plugin.effect()->numOutputs);
        for (std::size_t i = 0; i < m_buffers.size(); ++i)
            (static_cast<int>(i) < outputs ? m_outputs : m_inputs).push_back(m_buffers[i].data());
        if (m_inputs.empty())
            m_inputs.push_back(nullptr);
    }

    void note(int channel, int key, bool on)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>((on ? 0x90 : 0x80) | channel);
        event.midiData[1] = static_cast<char>(key);
        event.midiData[2] = static_cast<char>(on ? 100 : 64);
        m_events.push_back(event);
    }

    // Returns the block's peak output. Zeros (of either sign) are told
    // apart first, at a fraction of the cost of the peak: in silence the
    // host's work per block would otherwise be of the order of the
    // instrument's, and counted as its.
    double block()
    {
        m_plugin.processBlock(m_events, m_inputs.data(), m_outputs.data(), m_frames);
        m_events.clear();
        std::uint32_t bits = 0;
        for (int c = 0; c < 2; ++c)
            for (float sample : m_buffers[static_cast<std::size_t>(c)])
            {
                std::uint32_t word;
                std::memcpy(&word, &sample, sizeof word);
                bits |= word;
            }
        if ((bits & 0x7FFFFFFFu) == 0)
            return 0.0;
        double peak = 0.0;
        for (int c = 0; c < 2; ++c)
            for (float sample : m_buffers[static_cast<std::size_t>(c)])
                peak = std::max(peak, std::fabs(static_cast<double>(sample)));
        return peak;
    }

    void seconds(double duration, double* peak = nullptr)
    {
        const long long count = std::llround(duration * m_plugin.settings().sampleRate / m_frames);
        for (long long i = 0; i < count; ++i)
        {
            const double p = block();
            if (peak)
                *peak = std::max(*peak, p);
        }
    }

private:
    HostedPlugin& m_plugin;
    int m_frames;
    std::vector<std::vector<float>> m_buffers;
    std::vector<float*> m_outputs;
    std::vector<float*> m_inputs;
    std::vector<VstMidiEvent> m_events;
};
} // namespace

InstanceBenchmark::Result InstanceBenchmark::run(const BenchmarkSubject& subject, const Case& benchmarkCase)
{
    HostSettings settings;
    settings.sampleRate = benchmarkCase.sampleRate;
    settings.blockSize = benchmarkCase.blockSize;
    settings.recordCalls = false;
    Result result;

    std::vector<double> megabytes, milliseconds, faults;
    {
        std::vector<std::unique_ptr<HostedPlugin>> project;
        for (int i = 0; i < benchmarkCase.instances; ++i)
        {
            const double before = residentMegabytes();
            const double faultsBefore = minorFaults();
            const auto start = std::chrono::steady_clock::now();
            project.push_back(std::make_unique<HostedPlugin>(subject.path, settings));
            project.back()->resume();
            Blocks(*project.back()).block();
            const auto end = std::chrono::steady_clock::now();
            faults.push_back(minorFaults() - faultsBefore);
            megabytes.push_back(residentMegabytes() - before);
            milliseconds.push_back(1e3 * std::chrono::duration<double>(end - start).count());
        }
    }
    result.firstMegabytes = megabytes.front();
    result.firstOpenMilliseconds = milliseconds.front();
    result.megabytesPerInstance = RenderStatistics::median(std::vector<double>(megabytes.begin() + 1, megabytes.end()));
    result.openMilliseconds = RenderStatistics::median(std::vector<double>(milliseconds.begin() + 1, milliseconds.end()));
    result.faultsPerInstance = RenderStatistics::median(std::vector<double>(faults.begin() + 1, faults.end()));

    // One note of the demanding patch, with its chorus and echo.
    HostedPlugin plugin(subject.path, settings);
    applySettings(plugin, subject.patch(1));
    plugin.resume();
    plugin.setPlaying(true);
    Blocks blocks(plugin);
    const BenchmarkNote note = subject.notes(1).front();
    blocks.note(note.channel, note.note, true);
    blocks.seconds(1.0);
    blocks.note(note.channel, note.note, false);
    blocks.seconds(benchmarkCase.silenceFrom);
    const double start = threadCpuSeconds();
    blocks.seconds(benchmarkCase.silenceTo - benchmarkCase.silenceFrom, &result.silencePeak);
    result.silenceCpuPercent =
        100.0 * (threadCpuSeconds() - start) / (benchmarkCase.silenceTo - benchmarkCase.silenceFrom);
    plugin.setPlaying(false);
    return result;
}
