#include "dsp/DualFilterStandard.h"

#include "dsp/DenormalGuard.h"
#include "dsp/FilterConstants.h"
#include "dsp/FilterTables.h"

#include <algorithm>
#include <initializer_list>

namespace
{
// Same choice as the vector min and max instructions, so that both variants
// treat signed zeros alike.
inline float minOf(float a, float b)
{
    return a < b ? a : b;
}

inline float maxOf(float a, float b)
{
    return a > b ? a : b;
}

inline float clampTo(float x, float limit)
{
    return maxOf(minOf(x, limit), -limit);
}

// One filter's state, held in locals for the length of a run.
struct Lane
{
    float bandPassIntegrator;
    float lowPassIntegrator;
    float highPass;
    float lowPass;
    float bandPass;
    float negatedOvershoot;
    float cutoff;
    float damping;
    float cutoffStep;
    float dampingStep;
};

enum Output
{
    kLowPass,
    kBandPass,
    kHighPass
};

// One saturating state-variable pass; returns the output the mode uses.
template <int Use>
inline float pass(Lane& s, float x)
{
    const float t = s.bandPass - s.negatedOvershoot;
    const float u = (t - clampTo(t, kOvershootThreshold)) * kOvershootGain;
    s.lowPassIntegrator = clampTo(s.lowPassIntegrator + s.cutoff * s.bandPass, kIntegratorLimit);
    s.lowPass = maxOf(s.lowPassIntegrator - kFilterBias, kLowPassFloor);
    const float h = ((x - u) - s.damping * (s.bandPass - kOvershootWeight * u)) - s.lowPass;
    s.highPass = clampTo(h, kHighPassLimit);
    s.negatedOvershoot = s.highPass - h;
    s.bandPassIntegrator = clampTo(s.bandPassIntegrator + s.cutoff * s.highPass, kIntegratorLimit);
    s.bandPass = maxOf(s.bandPassIntegrator - kFilterBias, kBandPassFloor);
    return Use == kLowPass ? s.lowPass : (Use == kBandPass ? s.bandPass : s.highPass);
}

inline void step(Lane& s)
{
    s.cutoff += s.cutoffStep;
    s.damping += s.dampingStep;
}

template <int UseA, int UseB, bool FourPole>
void run(Lane& a, Lane& b, const float* in, float* out, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i)
    {
        const float x = in[i];
        step(a);
        const float a1 = pass<UseA>(a, x);
        const float a2 = pass<UseA>(a, x);
        step(b);
        const float y = FourPole ? (a1 + a2) * 0.5f : x;
        const float b1 = pass<UseB>(b, y);
        const float b2 = pass<UseB>(b, y);
        out[i] = FourPole ? 2.0f * (b1 + b2) : (a1 + a2) + (b1 + b2);
    }
}

using Run = void (*)(Lane&, Lane&, const float*, float*, std::int64_t);

const Run runs[kFilterModeCount] = {
    run<kLowPass, kLowPass, true>,   run<kHighPass, kLowPass, true>,   run<kHighPass, kHighPass, true>,
    run<kLowPass, kLowPass, false>,  run<kBandPass, kBandPass, false>, run<kHighPass, kHighPass, false>,
    run<kLowPass, kBandPass, false>, run<kLowPass, kHighPass, false>,  run<kBandPass, kHighPass, false>,
};
}

DualFilterStandard::DualFilterStandard() : m_fourPole{true, true}
{
    clear(kFilterLp4Pole);
}

void DualFilterStandard::startSlot(int slot, int mode)
{
    m_fourPole[slot] = isFourPoleMode(mode);
    for (int lane = 2 * slot; lane < 2 * slot + 2; ++lane)
    {
        m_bandPassIntegrator[lane] = kFilterBias;
        m_lowPassIntegrator[lane] = kFilterBias;
        m_highPass[lane] = 0.0f;
        m_lowPass[lane] = 0.0f;
        m_bandPass[lane] = 0.0f;
        m_negatedOvershoot[lane] = 0.0f;
        m_cutoff[lane] = 0.0f;
        m_damping[lane] = 0.0f;
        m_cutoffStep[lane] = 0.0f;
        m_dampingStep[lane] = 0.0f;
        m_reserved[lane] = 0.0f;
    }
}

void DualFilterStandard::carryFilterB(int slot, bool fourPole)
{
    // A change between the four-pole and the parallel modes keeps filter B's
    // share of the output where it was: the four-pole modes weigh its output
    // twice, so its signal halves on the way in and doubles on the way out.
    // (Left as it was, the four-pole output would start from twice the share
    // the parallel modes gave it, well above either mode's level.) The same
    // arithmetic as the vector variant's, which keeps filter B at twice the
    // scale in the four-pole modes.
    if (m_fourPole[slot] == fourPole)
        return;
    const int lane = 2 * slot + 1;
    for (float* integrator : {&m_bandPassIntegrator[lane], &m_lowPassIntegrator[lane]})
        *integrator =
            fourPole ? (*integrator + kFilterBias) * 0.5f : clampTo(2.0f * *integrator - kFilterBias, kIntegratorLimit);
    m_bandPass[lane] = maxOf(m_bandPassIntegrator[lane] - kFilterBias, kBandPassFloor);
    m_negatedOvershoot[lane] *= fourPole ? 0.5f : 2.0f;
    m_fourPole[slot] = fourPole;
}

void DualFilterStandard::restartRamp(int slot, std::uint32_t word, std::int64_t currentSamples)
{
    // As if the ramp had run from 0 since the frame began.
    const float elapsed = static_cast<float>(kFrameSamples - currentSamples);
    for (int filter = 0; filter < 2; ++filter)
    {
        const int lane = 2 * slot + filter;
        const std::uint32_t half = word >> (16 * filter);
        m_cutoffStep[lane] = m_coefficients[half & 0xFF] * kRampFactor;
        m_dampingStep[lane] = DampingTable[(half >> 8) & 0xFF] * kRampFactor;
        m_cutoff[lane] = m_cutoffStep[lane] * elapsed;
        m_damping[lane] = m_dampingStep[lane] * elapsed;
    }
}

void DualFilterStandard::holdRamp(int slot)
{
    for (int lane = 2 * slot; lane < 2 * slot + 2; ++lane)
    {
        m_cutoffStep[lane] = 0.0f;
        m_dampingStep[lane] = 0.0f;
    }
}

void DualFilterStandard::beginFrame(int slot, std::uint32_t word)
{
    for (int filter = 0; filter < 2; ++filter)
    {
        const int lane = 2 * slot + filter;
        const std::uint32_t half = word >> (16 * filter);
        m_cutoffStep[lane] = (m_coefficients[half & 0xFF] - m_cutoff[lane]) * kRampFactor;
        m_dampingStep[lane] = (DampingTable[(half >> 8) & 0xFF] - m_damping[lane]) * kRampFactor;
    }
}

void DualFilterStandard::filter(int slot, const float* in, float* out, std::int64_t count, int mode)
{
    if (count <= 0)
        return;
    Lane lanes[2];
    for (int filter = 0; filter < 2; ++filter)
    {
        const int lane = 2 * slot + filter;
        lanes[filter] = {m_bandPassIntegrator[lane], m_lowPassIntegrator[lane], m_highPass[lane], m_lowPass[lane],
                         m_bandPass[lane], m_negatedOvershoot[lane], m_cutoff[lane], m_damping[lane],
                         m_cutoffStep[lane], m_dampingStep[lane]};
    }
    runs[mode](lanes[0], lanes[1], in, out, count);
    for (int filter = 0; filter < 2; ++filter)
    {
        const int lane = 2 * slot + filter;
        const Lane& s = lanes[filter];
        m_bandPassIntegrator[lane] = s.bandPassIntegrator;
        m_lowPassIntegrator[lane] = s.lowPassIntegrator;
        m_highPass[lane] = s.highPass;
        m_lowPass[lane] = s.lowPass;
        m_bandPass[lane] = s.bandPass;
        m_negatedOvershoot[lane] = s.negatedOvershoot;
        m_cutoff[lane] = s.cutoff;
        m_damping[lane] = s.damping;
    }
}

void DualFilterStandard::process(float* const* buffers, const std::uint32_t* const* streams, int activeMask,
                                 std::int64_t offset, std::int64_t currentSamples, std::int64_t newSamples, int mode)
{
    if (mode < 0 || mode > kFilterBypass)
        return;
    DenormalGuard guard;
    if (mode != kFilterBypass && (activeMask & 3) != 0)
    {
        carryFilterB(0, isFourPoleMode(mode));
        carryFilterB(1, isFourPoleMode(mode));
    }
    for (int slot = 0; slot < 2; ++slot)
    {
        if ((activeMask & (1 << slot)) == 0)
            continue;
        const std::uint32_t* stream = streams[slot];
        const bool starting = currentSamples > 0 && (m_startMask & (1u << slot)) != 0;
        if (starting)
        {
            startSlot(slot, mode);
            restartRamp(slot, stream[0], currentSamples);
        }
        const float* in = buffers[2 * slot] - offset;
        float* out = buffers[2 * slot + 1] - offset;
        if (mode != kFilterBypass)
            filter(slot, in, out, currentSamples, mode);
        // A start's ramp reaches its targets at the end of the current
        // samples. When the call ended inside the frame (a block shorter than
        // the tick in progress), the frame's remaining samples must not ramp
        // on past them: at up to twice its damping and cutoff the filter
        // turns unstable.
        if (starting && newSamples == 0)
            holdRamp(slot);
        if (mode == kFilterBypass)
            continue;
        in += currentSamples;
        out += currentSamples;
        for (std::int64_t left = newSamples; left > 0; left -= kFrameSamples)
        {
            beginFrame(slot, *stream++);
            const std::int64_t count = std::min<std::int64_t>(kFrameSamples, left);
            filter(slot, in, out, count, mode);
            in += count;
            out += count;
        }
    }
    if (mode == kFilterBypass)
        copyThrough(buffers, activeMask, offset, currentSamples + newSamples);
}
