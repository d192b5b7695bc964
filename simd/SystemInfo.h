#pragma once

#include <optional>

// The vector kernels a processor can run: four lanes (SSE), eight (AVX2 with
// FMA) or sixteen (AVX-512). Each wider path gives the same samples as the
// four-lane kernels.
enum class SimdPath
{
    Sse,
    Avx2,
    Avx512,
};

// What the processor offers. The engine reads the SSE flag once, at
// construction, to choose between the four-lane and the portable variants.
class SystemInfo
{
public:
    SystemInfo();
    virtual ~SystemInfo();

    bool hasSse() const { return m_sse != 0; }
    // The widest kernels the engine parts choose at construction: the widest
    // the processor runs, or a narrower one that the environment variable
    // ZENTROVA_SIMD ("sse", "avx2" or "avx512") asks for; four lanes while
    // the portable variants are forced.
    SimdPath simdPath() const;
    // Sixteen-lane vectors (AVX-512), which the filter bank uses for its
    // largest groups of voice pairs and the oscillators for their readers and
    // noise.
    bool hasWideVectors() const { return simdPath() == SimdPath::Avx512; }

    // The widest path this processor runs.
    static SimdPath processorPath();
    // The path ZENTROVA_SIMD asks for, read once per process; one the
    // processor cannot run falls back to the best it can, said once on
    // standard error.
    static SimdPath processPath();
    static const char* simdPathName(SimdPath path);
    // "sse", "avx2" or "avx512", in any case; nothing for anything else.
    static std::optional<SimdPath> parseSimdPath(const char* name);

    // Tests force the portable variants of every engine part built while set.
    static void forcePortable(bool portable);
    // Tests force a path (no wider than the processor's) on every engine part
    // built while set; nothing returns to the process's path.
    static void forceSimdPath(std::optional<SimdPath> path);

private:
    int m_sse;
    [[maybe_unused]] int m_reserved;
};
