#include "dsp/CHalfBandFilterStandard.h"

#include <cstring>

namespace
{
inline float allPassChain(float* state, const float* coefficients, float x)
{
    float in = x;
    for (int k = 0; k < kHalfBandSections; ++k)
    {
        float out = coefficients[k] * (in - state[k + 1]) + state[k];
        state[k] = in;
        in = out;
    }
    state[kHalfBandSections] = in;
    return in;
}
}

CHalfBandFilterStandard::CHalfBandFilterStandard()
{
    clear();
}

void CHalfBandFilterStandard::clear()
{
    std::memset(m_branches, 0, sizeof m_branches);
    m_position = kHalfBandWindow;
}

void CHalfBandFilterStandard::setGain(float g)
{
    m_gain = 0.5f * g;
}

void CHalfBandFilterStandard::setStereo()
{
    if (m_stereo)
        return;
    std::memcpy(m_branches[1], m_branches[0], sizeof m_branches[0]);
    m_stereo = true;
    m_position = kHalfBandWindow;
}

void CHalfBandFilterStandard::setMono()
{
    if (!m_stereo)
        return;
    for (int b = 0; b < 2; ++b)
        for (int k = 0; k <= kHalfBandSections; ++k)
            m_branches[0][b].state[k] = (m_branches[0][b].state[k] + m_branches[1][b].state[k]) * 0.5f;
    m_stereo = false;
    m_position = kHalfBandWindow;
}

void CHalfBandFilterStandard::flushDenormals()
{
    for (auto& channel : m_branches)
        for (Branch& branch : channel)
            for (float& value : branch.state)
                value = (value + 1e-16f) - 1e-16f;
}

template <bool Stereo, bool Replacing>
void CHalfBandFilterStandard::run(const float* input, float* outLeft, float* outRight, int64_t n)
{
    const int stride = Stereo ? 4 : 2;
    for (int64_t i = 0; i < n; ++i)
    {
        const float* frames = input + stride * i;
        for (int c = 0; c < (Stereo ? 2 : 1); ++c)
        {
            float even = frames[c];
            float odd = frames[(Stereo ? 2 : 1) + c];
            float b = allPassChain(m_branches[c][0].state, kHalfBandCoefficientsB, even);
            float a = allPassChain(m_branches[c][1].state, kHalfBandCoefficientsA, odd);
            float* out = (Stereo && c == 1) ? outRight : outLeft;
            float y;
            if (Replacing)
                y = m_gain * (b + a);
            else
                y = (out[i] + m_gain * b) + m_gain * a;
            out[i] = y;
            if (!Stereo)
                outRight[i] = Replacing ? y : (outRight[i] + m_gain * b) + m_gain * a;
        }
    }
}

void CHalfBandFilterStandard::process(const float* input, float* outLeft, float* outRight, int64_t n, int replacing)
{
    const int stride = m_stereo ? 4 : 2;
    while (n > 0)
    {
        int64_t part = n < m_position ? n : m_position;
        if (m_stereo)
            replacing ? run<true, true>(input, outLeft, outRight, part) : run<true, false>(input, outLeft, outRight, part);
        else
            replacing ? run<false, true>(input, outLeft, outRight, part) : run<false, false>(input, outLeft, outRight, part);
        m_position -= part;
        if (m_position == 0)
        {
            flushDenormals();
            m_position = kHalfBandWindow;
        }
        input += stride * part;
        outLeft += part;
        outRight += part;
        n -= part;
    }
}
