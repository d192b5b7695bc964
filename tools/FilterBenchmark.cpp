// Times one dual filter per engine sample, portable against four-lane, and
// prints how many times faster the four-lane variant is. The bank's figures
// are the ones that count: it hands the four-lane variant several pairs per
// loop. A pair on its own is bound by the latency of one long chain of
// dependent operations per pass and gains less.
#include "dsp/DualFilterSse.h"
#include "dsp/DualFilterStandard.h"
#include "dsp/FilterBank.h"
#include "dsp/FilterConstants.h"
#include "dsp/FilterTables.h"
#include "dsp/VoiceBuffers.h"
#include "simd/SystemInfo.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
const char* const modeNames[kFilterModeCount] = {"Lp4Pole", "Bp4Pole", "Hp4Pole", "LpLp", "BpBp",
                                                 "HpHp",    "LpBp",    "LpHp",    "BpHp"};
constexpr int kTicks = 16;
constexpr int kSamples = kTicks * kFrameSamples;
constexpr float kHostRate = 44100.0f;

// A sawtooth per voice at its own pitch, and cutoffs that move every frame.
void fillInput(float* buffer, int samples, int voice)
{
    const float step = 0.003f + 0.0007f * static_cast<float>(voice % 17);
    float phase = 0.1f * static_cast<float>(voice % 7);
    for (int i = 0; i < samples; ++i)
    {
        buffer[i] = 0.8f * (phase - 0.5f);
        phase += step;
        if (phase >= 1.0f)
            phase -= 1.0f;
    }
}

std::uint32_t wordAt(int frame, int voice)
{
    const std::uint32_t cutoff = static_cast<std::uint32_t>(60 + (frame * 11 + voice * 29) % 170);
    const std::uint32_t damping = static_cast<std::uint32_t>(40 + (voice * 13) % 120);
    return cutoff | damping << 8 | (cutoff + 20) << 16 | damping << 24;
}

template <class Filter>
void dualFilter(benchmark::State& state, int mode)
{
    std::vector<float> coefficients(256);
    makeCutoffCoefficients(coefficients.data(), kHostRate);
    std::unique_ptr<DualFilter> filter(new Filter);
    filter->setCoefficientTable(coefficients.data());
    std::vector<float> in0(kSamples), in1(kSamples), out0(kSamples), out1(kSamples);
    fillInput(in0.data(), kSamples, 0);
    fillInput(in1.data(), kSamples, 1);
    std::vector<std::uint32_t> words0(kTicks), words1(kTicks);
    for (int k = 0; k < kTicks; ++k)
    {
        words0[k] = wordAt(k, 0);
        words1[k] = wordAt(k, 1);
    }
    float* buffers[4] = {in0.data(), out0.data(), in1.data(), out1.data()};
    const std::uint32_t* streams[2] = {words0.data(), words1.data()};
    for (auto _ : state)
    {
        filter->process(buffers, streams, 3, 0, 0, kSamples, mode);
        benchmark::DoNotOptimize(out0.data());
        benchmark::DoNotOptimize(out1.data());
        benchmark::ClobberMemory();
    }
    // One item: one engine sample through one dual filter (both slots).
    state.SetItemsProcessed(state.iterations() * kSamples);
}

// The portable bank, or the four-lane one with its groups on the path's vectors.
void filterBank(benchmark::State& state, bool portable, SimdPath path, int mode)
{
    SystemInfo::forcePortable(portable);
    SystemInfo::forceSimdPath(path);
    FilterBank bank;
    SystemInfo::forcePortable(false);
    SystemInfo::forceSimdPath(std::nullopt);
    bank.setSampleRate(kHostRate);
    bank.setBlockSize(kTicks);
    std::vector<float> mixer(FilterBank::kVoices * (kSamples + kFrameSamples));
    std::vector<VoiceBuffers> records(FilterBank::kVoices);
    for (int v = 0; v < FilterBank::kVoices; ++v)
    {
        records[v].mixerOutput = mixer.data() + v * (kSamples + kFrameSamples) + kFrameSamples;
        fillInput(records[v].mixerOutput, kSamples, v);
    }
    bank.assignVoiceBuffers(records.data());
    for (int v = 0; v < FilterBank::kVoices; ++v)
        for (int k = 0; k < kTicks; ++k)
            records[v].filterParameters[k] = wordAt(k, v);
    const std::uint64_t renderMask[2] = {~std::uint64_t(0), ~std::uint64_t(0)};
    bank.setFilterType(mode, 0);
    for (auto _ : state)
    {
        bank.resetSegmentList();
        bank.closeSegmentList(kTicks);
        bank.process(renderMask, 0, kSamples);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSamples * FilterBank::kPairs);
}

// Collects the time per item of every run, to compare the variants at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration)
                m_seconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }

    void printRatios() const
    {
        std::printf("\nfour-lane speed-up (portable time / four-lane time):\n");
        double worstPair = 1e30;
        double worstBank = 1e30;
        for (const auto& entry : m_seconds)
        {
            const std::string& name = entry.first;
            const std::size_t at = name.find("/Sse/");
            if (at == std::string::npos)
                continue;
            std::string portable = name;
            portable.replace(at, 5, "/Portable/");
            const auto found = m_seconds.find(portable);
            if (found == m_seconds.end())
                continue;
            const double ratio = found->second / entry.second;
            double& worst = name.compare(0, 11, "FilterBank/") == 0 ? worstBank : worstPair;
            worst = std::min(worst, ratio);
            std::printf("  %-32s %6.2fx\n", name.substr(0, at).append(name.substr(at + 4)).c_str(), ratio);
        }
        if (worstPair < 1e30)
            std::printf("  lowest, one pair alone           %6.2fx\n", worstPair);
        if (worstBank < 1e30)
            std::printf("  lowest, filter bank              %6.2fx (at least 2.5x wanted)\n", worstBank);
        std::printf("\nwider paths' speed-up over the four-lane bank:\n");
        for (const auto& entry : m_seconds)
        {
            const std::string& name = entry.first;
            for (const char* path : {"/avx2/", "/avx512/"})
            {
                const std::size_t at = name.find(path);
                if (at == std::string::npos)
                    continue;
                const auto found = m_seconds.find(std::string(name).replace(at, std::string(path).size(), "/Sse/"));
                if (found != m_seconds.end())
                    std::printf("  %-32s %6.2fx\n", name.c_str(), found->second / entry.second);
            }
        }
    }

private:
    std::map<std::string, double> m_seconds;
};
}

int main(int argc, char** argv)
{
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        const std::string name = modeNames[mode];
        benchmark::RegisterBenchmark(("DualFilter/Portable/" + name).c_str(), dualFilter<DualFilterStandard>, mode);
        benchmark::RegisterBenchmark(("DualFilter/Sse/" + name).c_str(), dualFilter<DualFilterSse>, mode);
    }
    for (int mode = 0; mode < kFilterModeCount; ++mode)
    {
        const std::string name = modeNames[mode];
        benchmark::RegisterBenchmark(("FilterBank/Portable/" + name).c_str(), filterBank, true, SimdPath::Sse, mode);
        benchmark::RegisterBenchmark(("FilterBank/Sse/" + name).c_str(), filterBank, false, SimdPath::Sse, mode);
        for (SimdPath path : {SimdPath::Avx2, SimdPath::Avx512})
            if (static_cast<int>(path) <= static_cast<int>(SystemInfo::processorPath()))
                benchmark::RegisterBenchmark(
                    ("FilterBank/" + std::string(SystemInfo::simdPathName(path)) + "/" + name).c_str(), filterBank,
                    false, path, mode);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
