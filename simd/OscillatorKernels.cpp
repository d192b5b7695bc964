#include "simd/OscillatorKernels.h"
#include "simd/NoiseTerms.h"

#include <cstring>
#include <emmintrin.h>

// Both variants evaluate the cubic in the same order with the same constants
// and this file is built without contraction into fused multiply-adds, so
// their samples agree bit for bit.

alignas(16) const float oscillatorConstants[12] = {0.5f,  0.5f,  0.5f,  0.5f,  1.5f,  1.5f,
                                                   1.5f,  1.5f,  1.0f / 65536.0f, 1.0f / 65536.0f,
                                                   1.0f / 65536.0f, 1.0f / 65536.0f};

namespace
{
inline float cubic(float y0, float y1, float y2, float y3, float f)
{
    float c = 0.5f * (y2 - y0);
    float a = 1.5f * (y1 - y2) + 0.5f * (y3 - y0);
    float b = y0 - y1 + c - a;
    return ((a * f + b) * f + c) * f + y1;
}

inline float fraction(std::uint32_t phase)
{
    return static_cast<float>(static_cast<int>(phase & 0xFFFFu)) * (1.0f / 65536.0f);
}

inline __m128 cubic(__m128 y0, __m128 y1, __m128 y2, __m128 y3, __m128 f, __m128 half, __m128 oneAndHalf)
{
    __m128 c = _mm_mul_ps(half, _mm_sub_ps(y2, y0));
    __m128 a = _mm_add_ps(_mm_mul_ps(oneAndHalf, _mm_sub_ps(y1, y2)), _mm_mul_ps(half, _mm_sub_ps(y3, y0)));
    __m128 b = _mm_sub_ps(_mm_add_ps(_mm_sub_ps(y0, y1), c), a);
    __m128 r = _mm_add_ps(_mm_mul_ps(a, f), b);
    r = _mm_add_ps(_mm_mul_ps(r, f), c);
    return _mm_add_ps(_mm_mul_ps(r, f), y1);
}

inline __m128i startPhases(std::uint32_t phase, std::uint32_t step)
{
    return _mm_setr_epi32(static_cast<int>(phase), static_cast<int>(phase + step),
                          static_cast<int>(phase + 2 * step), static_cast<int>(phase + 3 * step));
}

inline int lane(__m128i v, int index)
{
    switch (index)
    {
    case 0:
        return _mm_cvtsi128_si32(v);
    case 1:
        return _mm_cvtsi128_si32(_mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 1, 1)));
    case 2:
        return _mm_cvtsi128_si32(_mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 2, 2)));
    default:
        return _mm_cvtsi128_si32(_mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3)));
    }
}

// Low 32 bits of the lane-wise products (SSE2 has only the widening multiply).
inline __m128i multiplyLow(__m128i a, __m128i b)
{
    __m128i even = _mm_mul_epu32(a, b);
    __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}
}

float noiseSample(std::uint32_t x)
{
    std::uint32_t bits = (x & kNoiseBits) | kNoiseExponent;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t interpolateOscillator(const float* table, float* output, int sampleCount, std::uint32_t phase,
                                    std::uint32_t step, std::uint32_t indexMask)
{
    for (int n = 0; n < sampleCount; ++n)
    {
        const float* y = table + ((phase >> 16) & indexMask);
        output[n] = cubic(y[0], y[1], y[2], y[3], fraction(phase));
        phase += step;
    }
    return phase;
}

std::uint32_t interpolateOscillatorPwm(const float* table, float* output, int sampleCount, std::uint32_t phase,
                                       std::uint32_t step, std::uint32_t indexMask, std::uint32_t offset)
{
    for (int n = 0; n < sampleCount; ++n)
    {
        std::uint32_t i = (phase >> 16) & indexMask;
        const float* y = table + i;
        const float* z = table + ((i + offset) & indexMask);
        output[n] = cubic(y[0] - z[0], y[1] - z[1], y[2] - z[2], y[3] - z[3], fraction(phase));
        phase += step;
    }
    return phase;
}

std::uint32_t processNoise(float* output, int firstTick, int endTick, std::uint32_t state)
{
    for (int n = 64 * firstTick; n < 64 * endTick; ++n)
    {
        output[n] = noiseSample(state);
        state = nextNoiseState(state);
    }
    return state;
}

std::uint32_t interpolateOscillatorAsm(const float* constants, const float* table, float* output,
                                       std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                       std::uint32_t indexMask)
{
    const __m128 half = _mm_load_ps(constants);
    const __m128 oneAndHalf = _mm_load_ps(constants + 4);
    const __m128 scale = _mm_load_ps(constants + 8);
    const __m128i mask = _mm_set1_epi32(static_cast<int>(indexMask));
    const __m128i low = _mm_set1_epi32(0xFFFF);
    const __m128i advance = _mm_set1_epi32(static_cast<int>(4 * step));
    __m128i phases = startPhases(phase, step);

    for (std::int64_t n = vectorCount; n >= 0; --n)
    {
        __m128i index = _mm_and_si128(_mm_srli_epi32(phases, 16), mask);
        __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(phases, low)), scale);
        __m128 y0 = _mm_loadu_ps(table + lane(index, 0));
        __m128 y1 = _mm_loadu_ps(table + lane(index, 1));
        __m128 y2 = _mm_loadu_ps(table + lane(index, 2));
        __m128 y3 = _mm_loadu_ps(table + lane(index, 3));
        _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
        _mm_storeu_ps(output, cubic(y0, y1, y2, y3, f, half, oneAndHalf));
        output += 4;
        phases = _mm_add_epi32(phases, advance);
    }
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(phases));
}

std::uint32_t interpolateOscillatorPwmAsm(const float* constants, const float* table, float* output,
                                          std::int64_t vectorCount, std::uint32_t phase, std::uint32_t step,
                                          std::uint32_t indexMask, std::uint32_t offset)
{
    const __m128 half = _mm_load_ps(constants);
    const __m128 oneAndHalf = _mm_load_ps(constants + 4);
    const __m128 scale = _mm_load_ps(constants + 8);
    const __m128i mask = _mm_set1_epi32(static_cast<int>(indexMask));
    const __m128i low = _mm_set1_epi32(0xFFFF);
    const __m128i shift = _mm_set1_epi32(static_cast<int>(offset));
    const __m128i advance = _mm_set1_epi32(static_cast<int>(4 * step));
    __m128i phases = startPhases(phase, step);

    for (std::int64_t n = vectorCount; n > 0; --n)
    {
        __m128i index = _mm_and_si128(_mm_srli_epi32(phases, 16), mask);
        __m128i other = _mm_and_si128(_mm_add_epi32(index, shift), mask);
        __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(phases, low)), scale);
        __m128 y0 = _mm_sub_ps(_mm_loadu_ps(table + lane(index, 0)), _mm_loadu_ps(table + lane(other, 0)));
        __m128 y1 = _mm_sub_ps(_mm_loadu_ps(table + lane(index, 1)), _mm_loadu_ps(table + lane(other, 1)));
        __m128 y2 = _mm_sub_ps(_mm_loadu_ps(table + lane(index, 2)), _mm_loadu_ps(table + lane(other, 2)));
        __m128 y3 = _mm_sub_ps(_mm_loadu_ps(table + lane(index, 3)), _mm_loadu_ps(table + lane(other, 3)));
        _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
        _mm_storeu_ps(output, cubic(y0, y1, y2, y3, f, half, oneAndHalf));
        output += 4;
        phases = _mm_add_epi32(phases, advance);
    }
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(phases));
}

std::uint32_t processNoiseAsm(float* output, std::int64_t firstTick, float* carry, std::int64_t endTick,
                              std::uint32_t state)
{
    const __m128i bits = _mm_set1_epi32(static_cast<int>(kNoiseBits));
    const __m128i exponent = _mm_set1_epi32(static_cast<int>(kNoiseExponent));
    __m128 next = _mm_load_ps(carry);

    float* write = output + 64 * firstTick;
    for (std::int64_t tick = endTick - firstTick; tick > 0; --tick)
    {
        // Every group of the tick from the tick's own state: the groups do
        // not wait for each other's multiplies.
        const __m128i first = _mm_set1_epi32(static_cast<int>(state));
        for (int n = 0; n < 64; n += 4)
        {
            _mm_storeu_ps(write, next);
            write += 4;
            const __m128i multipliers = _mm_load_si128(reinterpret_cast<const __m128i*>(kNoisePowers.value + n));
            const __m128i increments = _mm_load_si128(reinterpret_cast<const __m128i*>(kNoiseSums.value + n));
            const __m128i x = _mm_add_epi32(multiplyLow(first, multipliers), increments);
            next = _mm_castsi128_ps(_mm_or_si128(_mm_and_si128(x, bits), exponent));
        }
        state = state * kNoisePowers.next + kNoiseSums.next;
    }
    _mm_store_ps(carry, next);
    return state;
}
