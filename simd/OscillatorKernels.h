#pragma once

#include <cstdint>

// Wavetable readers and the white-noise generator, in a four-lane SSE
// variant and a portable one that gives the same samples.
//
// Readers: `phase` is the table position with the index in bits 16 and up
// (one sample before the point read) and a 16-bit fraction; each output
// sample is the cubic through table[i .. i + 3], i = (phase >> 16) & mask,
// after which phase += step. The table carries 4 guard samples past the
// mask. The return value is the phase after the last sample. The pulse
// reader reads the difference of the table and the table `offset` samples
// further on.
//
// Noise: generator x gives the sample whose float bits are
// (x & 0x807FFF00) | 0x3F000000, then x = x * 1234567 + 890123.

// The constant block the SSE readers take: {0.5 x 4, 1.5 x 4, 1/65536 x 4}.
extern const float oscillatorConstants[12];

extern "C" {
// Reads vectorCount + 1 groups of four samples (64 samples for 15).
std::uint32_t interpolateOscillatorAsm(const float* constants, const float* table, float* output,
                                       std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                       std::uint32_t indexMask);
// Reads vectorCount groups of four samples (64 samples for 16).
std::uint32_t interpolateOscillatorPwmAsm(const float* constants, const float* table, float* output,
                                          std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                          std::uint32_t indexMask, std::uint32_t offset);
// Writes 64 samples per tick from output + 64 x firstTick up to endTick.
// `carry` holds the next four samples (16-byte aligned), `state` the
// generator of the sample after them; returns the new state.
std::uint32_t processNoiseAsm(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                              std::uint32_t state);
}

// The same three on sixteen-lane vectors, with the same arguments and the
// same samples; for processors with AVX-512 only (SimdPath::Avx512). The
// readers take counts that make whole groups of sixteen samples (15 and 16
// for 64 samples, as above).
std::uint32_t interpolateOscillatorWide(const float* constants, const float* table, float* output,
                                        std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                        std::uint32_t indexMask);
std::uint32_t interpolateOscillatorPwmWide(const float* constants, const float* table, float* output,
                                           std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                           std::uint32_t indexMask, std::uint32_t offset);
std::uint32_t processNoiseWide(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state);

// And on eight-lane vectors, for processors with AVX2 (SimdPath::Avx2 or
// wider); counts that make whole groups of eight samples.
std::uint32_t interpolateOscillatorAvx2(const float* constants, const float* table, float* output,
                                        std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                        std::uint32_t indexMask);
std::uint32_t interpolateOscillatorPwmAvx2(const float* constants, const float* table, float* output,
                                           std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                           std::uint32_t indexMask, std::uint32_t offset);
std::uint32_t processNoiseAvx2(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                               std::uint32_t state);

std::uint32_t interpolateOscillator(const float* table, float* output, int sampleCount, std::uint32_t phase,
                                    std::uint32_t step, std::uint32_t indexMask);
std::uint32_t interpolateOscillatorPwm(const float* table, float* output, int sampleCount, std::uint32_t phase,
                                       std::uint32_t step, std::uint32_t indexMask, std::uint32_t offset);
// `state` is the generator of the first sample written; returns the next one.
std::uint32_t processNoise(float* output, int firstTick, int endTick, std::uint32_t state);

// One step of the generator and its sample, shared by both variants.
inline std::uint32_t nextNoiseState(std::uint32_t x)
{
    return x * 1234567u + 890123u;
}
float noiseSample(std::uint32_t x);
