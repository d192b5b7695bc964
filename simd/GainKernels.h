#pragma once

// The voice engine's two gain loops as plain kernels: the portable ones,
// which the compiler turns into four-lane loops, and the same on eight-lane
// vectors for processors with AVX2 (SimdPath::Avx2 or wider) and on
// sixteen-lane vectors for processors with AVX-512 (SimdPath::Avx512), with
// the same samples.

// The oscillator mix: out = g1 o1 + g2 o2 + gn noise + gr o1 o2, count
// samples.
void mixOscillators(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                    float g2, float gn, float gr);
void mixOscillatorsAvx2(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                        float g2, float gn, float gr);
void mixOscillatorsWide(const float* osc1, const float* osc2, const float* noise, float* out, int count, float g1,
                        float g2, float gn, float gr);

// An amplifier at a steady level and pan: level x input[n] times left and
// right into output[2n] and output[2n + 1], written or, with accumulate,
// added; count samples.
void panSteadyLevel(const float* input, float* output, int count, float level, float left, float right,
                    bool accumulate);
void panSteadyLevelAvx2(const float* input, float* output, int count, float level, float left, float right,
                        bool accumulate);
void panSteadyLevelWide(const float* input, float* output, int count, float level, float left, float right,
                        bool accumulate);

using MixKernel = void (*)(const float*, const float*, const float*, float*, int, float, float, float, float);
using PanKernel = void (*)(const float*, float*, int, float, float, float, bool);
