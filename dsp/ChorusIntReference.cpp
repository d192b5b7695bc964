#include "dsp/ChorusIntReference.h"

#include <algorithm>
#include <utility>

namespace
{
// Four-point cubic Hermite read of one channel at a 16.16 position; the
// channel is 0 for the right input, 1 for the left.
inline float readAt(const float* line, int64_t position, int channel)
{
    uint32_t f = uint32_t(position >> 16);
    float t = float(position & 0xFFFF) * (1.0f / 65536.0f);
    float y0 = line[2 * (f & Chorus::kDelayMask) + channel];
    float y1 = line[2 * ((f + 1) & Chorus::kDelayMask) + channel];
    float y2 = line[2 * ((f + 2) & Chorus::kDelayMask) + channel];
    float y3 = line[2 * ((f + 3) & Chorus::kDelayMask) + channel];
    float c1 = (y2 - y0) * 0.5f;
    float c3 = 1.5f * (y1 - y2) + 0.5f * (y3 - y0);
    float c2 = (y0 - y1) + c1 - c3;
    return y1 + ((c3 * t + c2) * t + c1) * t;
}

// Taps 0 and 2 read the right input, taps 1 and 3 the left.
constexpr int kTapChannel[4] = {0, 1, 0, 1};
}

bool ChorusIntReference::process(const float* in, float* out, int n)
{
    m_crossLeft.flushDenormals();
    m_crossRight.flushDenormals();
    m_inputHpLeft.flushDenormals();
    m_inputHpRight.flushDenormals();
    m_toneLeft.flushDenormals();
    m_toneRight.flushDenormals();
    return ChorusIntIndex::process(in, out, n);
}

void ChorusIntReference::processChunk(const float* in, float* out, int n)
{
    const int frames = 2 * n;

    // Input pass: the whole chunk is consumed before any output is written.
    // The filters run on copies, which stay in registers: through the
    // members every sample would wait for the last one's stores, which the
    // buffer writes might have overwritten.
    float dryGain = m_dryGain;
    float lpGain = m_lpGain;
    uint32_t write = m_writeIndex;
    OnePoleFilter toneLeft = m_toneLeft;
    OnePoleFilter toneRight = m_toneRight;
    TwoPoleFilter inputHpLeft = m_inputHpLeft;
    TwoPoleFilter inputHpRight = m_inputHpRight;
    for (int i = 0; i < n; ++i)
    {
        for (int j = 0; j < 2; ++j)
        {
            const int f = 2 * i + j;
            const float left = in[2 * f];
            const float right = in[2 * f + 1];
            float* frame = m_delayLine + 2 * (write & kDelayMask);
            m_dryValues[2 * f] = dryGain * (left + lpGain * toneLeft.process(left));
            frame[1] = inputHpLeft.processHighPass(left);
            m_dryValues[2 * f + 1] = dryGain * (right + lpGain * toneRight.process(right));
            frame[0] = inputHpRight.processHighPass(right);
            --write;
        }
        dryGain += m_dryStep;
        lpGain += m_lpStep;
    }
    m_toneLeft = toneLeft;
    m_toneRight = toneRight;
    m_inputHpLeft = inputHpLeft;
    m_inputHpRight = inputHpRight;
    m_dryGain = dryGain;
    m_lpGain = lpGain;
    m_writeIndex = write & kDelayMask;

    switch (m_mode)
    {
    case 1:
        readTaps<2, false>(n);
        mixOutput<1>(out, frames);
        break;
    case 3:
        readTaps<4, false>(n);
        mixOutput<3>(out, frames);
        break;
    case 4:
        readTaps<4, true>(n);
        mixOutput<0>(out, frames);
        break;
    default:
        readTaps<4, false>(n);
        mixOutput<0>(out, frames);
        break;
    }
}

bool ChorusIntReference::skip(int n)
{
    if (!canSkip())
        return false;
    skipRamp(n);
    const int taps = m_mode == 1 ? 2 : 4;
    while (n > 0)
    {
        const int chunk = std::min(n, kChunk - m_chunkPhase);
        m_writeIndex = (m_writeIndex - 2 * uint32_t(chunk)) & kDelayMask;
        for (int k = 0; k < taps; ++k)
            m_tapPosition[k] += 2 * int64_t(chunk) * m_tapIncrement[k];
        if (completesChunk(chunk))
            turnSweeps();
        m_chunkPhase = (m_chunkPhase + chunk) % kChunk;
        n -= chunk;
    }
    return true;
}

void ChorusIntReference::turnSweeps()
{
    // The rising tap of each pair turns the sweep at the upper bound; the
    // falling one mirrors it around the base delay.
    for (int pair = 0; pair < 4; pair += 2)
    {
        int rising = m_tapIncrement[pair] > 0 ? pair : (m_tapIncrement[pair + 1] > 0 ? pair + 1 : -1);
        if (rising >= 0 && m_tapPosition[rising] > m_upperBound)
            std::swap(m_tapIncrement[pair], m_tapIncrement[pair + 1]);
    }
}

template <int Taps, bool Smoothed>
void ChorusIntReference::readTaps(int n)
{
    // The write position of the chunk's first frame.
    const int64_t first = (int64_t(m_writeIndex) + 2 * n) << 16;
    float wet = m_wetGain;
    // The sweeps and their smoothers run on copies, as in the input pass.
    int64_t tapPosition[Taps];
    OnePoleFilter tapSmooth[Taps];
    for (int k = 0; k < Taps; ++k)
    {
        tapPosition[k] = m_tapPosition[k];
        if (Smoothed)
            tapSmooth[k] = m_tapSmooth[k];
    }
    for (int i = 0; i < n; ++i)
    {
        const int64_t p0 = first - int64_t(i) * 2 * 65536;
        float* values = m_tapValues + 8 * i;
        for (int k = 0; k < Taps; ++k)
        {
            for (int j = 0; j < 2; ++j)
            {
                int64_t position = tapPosition[k];
                if (Smoothed)
                    position = int64_t(double(tapSmooth[k].process(float(position))) + 0.5);
                values[4 * j + k] = readAt(m_delayLine, p0 - j * 65536 + position, kTapChannel[k]) * wet;
                tapPosition[k] += m_tapIncrement[k];
            }
        }
        wet += m_wetStep;
    }
    for (int k = 0; k < Taps; ++k)
    {
        m_tapPosition[k] = tapPosition[k];
        if (Smoothed)
            m_tapSmooth[k] = tapSmooth[k];
    }
    m_wetGain = wet;

    if (completesChunk(n))
        turnSweeps();
}

template <int Mode>
void ChorusIntReference::mixOutput(float* out, int frames)
{
    // On copies, as in the input pass.
    TwoPoleFilter crossLeft = m_crossLeft;
    TwoPoleFilter crossRight = m_crossRight;
    const float crossAmount = m_crossAmount;
    for (int f = 0; f < frames; ++f)
    {
        const float* t = m_tapValues + 4 * f;
        const float dryLeft = m_dryValues[2 * f];
        const float dryRight = m_dryValues[2 * f + 1];
        float left;
        float right;
        if (Mode == 1)
        {
            left = t[0] + dryLeft - crossAmount * crossLeft.processHighPass(t[1]);
            right = t[1] + dryRight - crossAmount * crossRight.processHighPass(t[0]);
        }
        else if (Mode == 3)
        {
            left = t[0] + dryLeft + t[1] - crossLeft.processHighPass(t[2]);
            right = t[2] + dryRight + t[3] - crossRight.processHighPass(t[0]);
        }
        else
        {
            left = t[0] + dryLeft + t[2] - crossLeft.processHighPass(t[1]);
            right = t[1] + dryRight + t[3] - crossRight.processHighPass(t[0]);
        }
        out[2 * f] = left;
        out[2 * f + 1] = right;
    }
    m_crossLeft = crossLeft;
    m_crossRight = crossRight;
}
