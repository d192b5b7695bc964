#include "tools/VoiceBenchmark.h"

#include "tools/HostedPlugin.h"
#include "tools/RenderStatistics.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <thread>

namespace
{
// Lets the patch's own events reach the engine and its wave tables finish
// building before anything is measured.
constexpr double kWarmUpSeconds = 0.5;
// The wave tables are rebuilt one step per block, a few dozen steps at most.
constexpr double kWaveChangeSeconds = 0.25;
constexpr unsigned char kVelocity = 100;

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Output and input buffers of one block, and the events due in it.
class BlockDriver
{
public:
    BlockDriver(HostedPlugin& plugin)
        : m_plugin(plugin), m_blockSize(plugin.settings().blockSize),
          m_inputBuffers(std::max(0, plugin.effect()->numInputs), std::vector<float>(m_blockSize, 0.0f)),
          m_outputBuffers(std::max(2, plugin.effect()->numOutputs), std::vector<float>(m_blockSize, 0.0f))
    {
        for (auto& buffer : m_inputBuffers)
            m_inputs.push_back(buffer.data());
        if (m_inputs.empty())
            m_inputs.push_back(nullptr);
        for (auto& buffer : m_outputBuffers)
            m_outputs.push_back(buffer.data());
    }

    void noteEvents(const std::vector<BenchmarkNote>& notes, bool on)
    {
        for (const BenchmarkNote& note : notes)
        {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof(VstMidiEvent);
            event.midiData[0] = static_cast<char>((on ? 0x90 : 0x80) | (note.channel & 15));
            event.midiData[1] = static_cast<char>(note.note & 127);
            event.midiData[2] = static_cast<char>(on ? kVelocity : 64);
            m_events.push_back(event);
        }
    }

    // Renders one block and returns its wall-clock time in seconds.
    double block(int frames)
    {
        for (auto& buffer : m_outputBuffers)
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        const auto before = std::chrono::steady_clock::now();
        m_plugin.processBlock(m_events, m_inputs.data(), m_outputs.data(), frames);
        const auto after = std::chrono::steady_clock::now();
        m_events.clear();
        return std::chrono::duration<double>(after - before).count();
    }

    double peak(int frames) const
    {
        double result = 0.0;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                result = std::max(result, std::fabs(static_cast<double>(m_outputBuffers[c][i])));
        return result;
    }

    double energy(int frames) const
    {
        double sum = 0.0;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                sum += static_cast<double>(m_outputBuffers[c][i]) * m_outputBuffers[c][i];
        return sum;
    }

private:
    HostedPlugin& m_plugin;
    int m_blockSize;
    std::vector<std::vector<float>> m_inputBuffers;
    std::vector<std::vector<float>> m_outputBuffers;
    std::vector<float*> m_inputs;
    std::vector<float*> m_outputs;
    std::vector<VstMidiEvent> m_events;
};

long long framesOf(double seconds, double rate)
{
    return static_cast<long long>(std::llround(seconds * rate));
}
} // namespace

VoiceBenchmark::Result VoiceBenchmark::run(const BenchmarkSubject& subject, const Case& benchmarkCase)
{
    HostSettings settings;
    settings.sampleRate = benchmarkCase.sampleRate;
    settings.blockSize = benchmarkCase.blockSize;
    settings.recordCalls = false;
    HostedPlugin plugin(subject.path, settings);
    Result result;
    result.patch = applySettings(plugin, subject.patch(benchmarkCase.voices));
    const std::vector<BenchmarkNote> notes = subject.notes(benchmarkCase.voices);
    result.notes = static_cast<int>(notes.size());
    result.blockBudgetUs = 1e6 * benchmarkCase.blockSize / benchmarkCase.sampleRate;

    plugin.resume();
    plugin.setPlaying(true);
    BlockDriver driver(plugin);
    const int blockSize = benchmarkCase.blockSize;
    const double rate = benchmarkCase.sampleRate;
    auto render = [&](long long frames, auto&& perBlock) {
        for (long long done = 0; done < frames; done += blockSize)
        {
            const int n = static_cast<int>(std::min<long long>(blockSize, frames - done));
            perBlock(done, n);
        }
    };

    // At the audio's own pace, as in a host: what the instance leaves to its
    // other threads once resumed gets the time it would have there.
    const auto warmUpStart = std::chrono::steady_clock::now();
    render(framesOf(kWarmUpSeconds, rate), [&](long long done, int n) {
        driver.block(n);
        std::this_thread::sleep_until(warmUpStart + std::chrono::duration<double>((done + n) / rate));
    });

    // The held notes, with the wave change halfway.
    const long long heldFrames = framesOf(benchmarkCase.seconds, rate);
    const long long changeAt = heldFrames / 2;
    const long long changeEnd = changeAt + framesOf(kWaveChangeSeconds, rate);
    const long long lastSecond = heldFrames - framesOf(1.0, rate);
    RenderStatistics statistics(rate);
    double heldEnergy = 0.0;
    long long heldEnergyFrames = 0;
    bool changed = false;
    int blockIndex = 0;
    driver.noteEvents(notes, true);
    const double heldStart = threadCpuSeconds();
    render(heldFrames, [&](long long done, int n) {
        if (!changed && done >= changeAt)
        {
            applySettings(plugin, subject.waveChange);
            changed = true;
        }
        const double seconds = driver.block(n);
        statistics.addBlock(seconds, n);
        if (seconds * 1e6 > result.maxBlockUs)
        {
            result.maxBlockUs = seconds * 1e6;
            result.maxBlockIndex = blockIndex;
        }
        if (done >= changeAt && done < changeEnd)
            result.waveChangeMaxUs = std::max(result.waveChangeMaxUs, seconds * 1e6);
        if (done >= lastSecond)
        {
            heldEnergy += driver.energy(n);
            heldEnergyFrames += n;
        }
        ++blockIndex;
    });
    const double heldCpu = threadCpuSeconds() - heldStart;
    result.cpuPercent = 100.0 * heldCpu / statistics.audioSeconds();
    result.nsPerVoiceSample = 1e9 * heldCpu / (static_cast<double>(benchmarkCase.voices) * heldFrames);
    result.medianBlockUs = statistics.blockMicroseconds(50);
    result.p99BlockUs = statistics.blockMicroseconds(99);
    result.heldRms = heldEnergyFrames > 0 ? std::sqrt(heldEnergy / (2.0 * heldEnergyFrames)) : 0.0;

    if (benchmarkCase.silenceSeconds > 0.0)
    {
        driver.noteEvents(notes, false);
        render(framesOf(kReleaseSeconds, rate), [&](long long, int n) { driver.block(n); });
        const double half = 0.5 * benchmarkCase.silenceSeconds;
        for (double* percent : {&result.silenceCpuPercent, &result.lateSilenceCpuPercent})
        {
            const double start = threadCpuSeconds();
            render(framesOf(half, rate), [&](long long, int n) {
                driver.block(n);
                result.silencePeak = std::max(result.silencePeak, driver.peak(n));
            });
            *percent = 100.0 * (threadCpuSeconds() - start) / half;
        }
    }
    plugin.setPlaying(false);
    return result;
}

namespace
{
// Figure by figure, the better of the two.
void keepBest(VoiceBenchmark::Result& best, const VoiceBenchmark::Result& next)
{
    if (next.cpuPercent < best.cpuPercent)
    {
        best.cpuPercent = next.cpuPercent;
        best.nsPerVoiceSample = next.nsPerVoiceSample;
    }
    best.medianBlockUs = std::min(best.medianBlockUs, next.medianBlockUs);
    best.p99BlockUs = std::min(best.p99BlockUs, next.p99BlockUs);
    if (next.maxBlockUs < best.maxBlockUs)
    {
        best.maxBlockUs = next.maxBlockUs;
        best.maxBlockIndex = next.maxBlockIndex;
    }
    best.waveChangeMaxUs = std::min(best.waveChangeMaxUs, next.waveChangeMaxUs);
    if (next.silenceCpuPercent >= 0.0)
    {
        best.silenceCpuPercent = std::min(best.silenceCpuPercent, next.silenceCpuPercent);
        best.lateSilenceCpuPercent = std::min(best.lateSilenceCpuPercent, next.lateSilenceCpuPercent);
    }
}
} // namespace

VoiceBenchmark::Result VoiceBenchmark::best(const BenchmarkSubject& subject, const Case& benchmarkCase, int repeats)
{
    Result best = run(subject, benchmarkCase);
    for (int r = 1; r < repeats; ++r)
        keepBest(best, run(subject, benchmarkCase));
    return best;
}

std::pair<VoiceBenchmark::Result, VoiceBenchmark::Result> VoiceBenchmark::bestOfBoth(const BenchmarkSubject& first,
                                                                                   const BenchmarkSubject& second,
                                                                                   const Case& benchmarkCase,
                                                                                   int repeats)
{
    std::pair<Result, Result> best{run(first, benchmarkCase), run(second, benchmarkCase)};
    for (int r = 1; r < repeats; ++r)
    {
        keepBest(best.first, run(first, benchmarkCase));
        keepBest(best.second, run(second, benchmarkCase));
    }
    return best;
}
