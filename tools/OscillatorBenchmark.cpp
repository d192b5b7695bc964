// Times the oscillators per sample, portable against SSE:
//   build/tools/zentrova_oscillator_benchmark
// The kernel pairs time one oscillator (or the noise of one voice); the
// section pairs one voice's two oscillators and third source together.

#include "simd/SystemInfo.h"
#include "dsp/BasicWaves.h"
#include "dsp/OscillatorsReference.h"
#include "dsp/OscillatorsSse.h"
#include "simd/OscillatorKernels.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace
{
constexpr int kTicks = 16;
constexpr int kTableSize = 2048;

struct KernelSetUp
{
    KernelSetUp() : table(kTableSize + 4), output(64)
    {
        for (int i = 0; i < kTableSize + 4; ++i)
            table[i] = static_cast<float>((i % kTableSize) - kTableSize / 2) / kTableSize;
    }
    std::vector<float> table;
    std::vector<float> output;
    std::uint32_t phase = 0;
    // About 440 Hz at 88.2 kHz, in table units.
    std::uint32_t step = 83695u << 3;
};

void readerPortable(benchmark::State& state)
{
    KernelSetUp k;
    for (auto _ : state)
    {
        k.phase = interpolateOscillator(k.table.data(), k.output.data(), 64, k.phase, k.step, kTableSize - 1);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void readerSse(benchmark::State& state)
{
    KernelSetUp k;
    for (auto _ : state)
    {
        k.phase = interpolateOscillatorAsm(oscillatorConstants, k.table.data(), k.output.data(), 15, k.phase, k.step,
                                           kTableSize - 1);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

// The reader of a path wider than four lanes, at the step in table samples
// per output sample that the argument gives in 1/16ths: sixteen lanes read
// from one window up to about 1.8, from two up to about 3.7 and rows beyond;
// eight lanes read rows at any step.
void readerWider(benchmark::State& state, decltype(&interpolateOscillatorWide) read)
{
    KernelSetUp k;
    k.step = static_cast<std::uint32_t>(state.range(0)) << 12;
    for (auto _ : state)
    {
        k.phase = read(oscillatorConstants, k.table.data(), k.output.data(), 15, k.phase, k.step, kTableSize - 1);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void pulseReaderWider(benchmark::State& state, decltype(&interpolateOscillatorPwmWide) read)
{
    KernelSetUp k;
    k.step = static_cast<std::uint32_t>(state.range(0)) << 12;
    for (auto _ : state)
    {
        k.phase =
            read(oscillatorConstants, k.table.data(), k.output.data(), 16, k.phase, k.step, kTableSize - 1, 700);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void noiseWider(benchmark::State& state, decltype(&processNoiseWide) noise)
{
    KernelSetUp k;
    alignas(16) float carry[4] = {};
    for (auto _ : state)
    {
        k.phase = noise(k.output.data(), 0, carry, 1, k.phase);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void pulseReaderPortable(benchmark::State& state)
{
    KernelSetUp k;
    for (auto _ : state)
    {
        k.phase = interpolateOscillatorPwm(k.table.data(), k.output.data(), 64, k.phase, k.step, kTableSize - 1, 700);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void pulseReaderSse(benchmark::State& state)
{
    KernelSetUp k;
    for (auto _ : state)
    {
        k.phase = interpolateOscillatorPwmAsm(oscillatorConstants, k.table.data(), k.output.data(), 16, k.phase,
                                              k.step, kTableSize - 1, 700);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void noisePortable(benchmark::State& state)
{
    KernelSetUp k;
    for (auto _ : state)
    {
        k.phase = processNoise(k.output.data(), 0, 1, k.phase);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

void noiseSse(benchmark::State& state)
{
    KernelSetUp k;
    alignas(16) float carry[4] = {};
    for (auto _ : state)
    {
        k.phase = processNoiseAsm(k.output.data(), 0, carry, 1, k.phase);
        benchmark::DoNotOptimize(k.output.data());
    }
    state.SetItemsProcessed(state.iterations() * 64);
}

template <typename Variant>
void renderOneVoice(benchmark::State& state, int wave, int thirdSource)
{
    Variant oscillators;
    oscillators.setSampleRate(44100.0f);
    oscillators.setBlockSize(kTicks);
    std::vector<VoiceBuffers> records(Oscillators::kVoices);
    oscillators.assignVoiceBuffers(records.data());
    for (int t = 0; t < kTicks; ++t)
    {
        records[0].pitch1[t] = (120 + 57 + t) * 65536; // around 440 Hz
        records[0].pitch2[t] = (120 + 45) * 65536;
        records[0].pulseWidth1[t] = 300;
        records[0].pulseWidth2[t] = 300;
    }
    // Finish the band-limited tables so the timing reads the real levels.
    const WaveChange first{wave, wave, thirdSource, kTicks};
    const std::uint64_t oneVoice[2] = {1, 0};
    std::uint64_t phaseReset[2][2] = {};
    oscillators.process(oneVoice, &first, 1, phaseReset);
    while (oscillators.waveMipMap().rebuildPending())
        oscillators.waveMipMap().rebuildStep();

    for (auto _ : state)
    {
        oscillators.process(oneVoice, &first, 1, phaseReset);
        benchmark::DoNotOptimize(records[0].osc1Audio[0]);
        benchmark::ClobberMemory();
    }
    // Two oscillators and the third source per voice sample.
    state.SetItemsProcessed(state.iterations() * kTicks * Oscillators::kTickSamples);
}

void sectionWaveReference(benchmark::State& s)
{
    renderOneVoice<OscillatorsReference>(s, kWaveSawtooth, kSourceWhiteNoise);
}
void sectionWaveSse(benchmark::State& s)
{
    renderOneVoice<OscillatorsSse>(s, kWaveSawtooth, kSourceWhiteNoise);
}
void sectionPulseReference(benchmark::State& s)
{
    renderOneVoice<OscillatorsReference>(s, kWavePwm, kSourceWhiteNoise);
}
void sectionPulseSse(benchmark::State& s)
{
    renderOneVoice<OscillatorsSse>(s, kWavePwm, kSourceWhiteNoise);
}
}

BENCHMARK(readerPortable);
BENCHMARK(readerSse);
BENCHMARK(pulseReaderPortable);
BENCHMARK(pulseReaderSse);
BENCHMARK(noisePortable);
BENCHMARK(noiseSse);
BENCHMARK(sectionWaveReference);
BENCHMARK(sectionWaveSse);
BENCHMARK(sectionPulseReference);
BENCHMARK(sectionPulseSse);

// The kernels of the wider paths, where the processor runs them, at steps
// of 1.5, 2, 2.5 and 10 table samples.
constexpr int kWiderSteps[] = {24, 32, 40, 160};

int main(int argc, char** argv)
{
    if (SystemInfo::processorPath() != SimdPath::Sse)
    {
        for (int step : kWiderSteps)
        {
            benchmark::RegisterBenchmark("readerAvx2", readerWider, interpolateOscillatorAvx2)->Arg(step);
            benchmark::RegisterBenchmark("pulseReaderAvx2", pulseReaderWider, interpolateOscillatorPwmAvx2)->Arg(step);
        }
        benchmark::RegisterBenchmark("noiseAvx2", noiseWider, processNoiseAvx2);
    }
    if (SystemInfo::processorPath() == SimdPath::Avx512)
    {
        for (int step : kWiderSteps)
        {
            benchmark::RegisterBenchmark("readerWide", readerWider, interpolateOscillatorWide)->Arg(step);
            benchmark::RegisterBenchmark("pulseReaderWide", pulseReaderWider, interpolateOscillatorPwmWide)->Arg(step);
        }
        benchmark::RegisterBenchmark("noiseWide", noiseWider, processNoiseWide);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
