#include "dsp/CHalfBandFilterSse.h"

#include "dsp/AlignedMemory.h"
#include "simd/HalfBandKernels.h"

#include <cstring>

namespace
{
// The state walks down a short stretch of memory and is copied back to its
// top when it reaches the bottom; only every window's last copy flushes, so
// the results are those of a stretch a whole window long in far fewer pages.
constexpr int64_t kStepsHeld = 64;
static_assert(kHalfBandWindow % kStepsHeld == 0, "a flush falls on a copy");
// Room for the steps held in stereo (two vectors each) and the state block
// copied to the top.
constexpr int64_t kHistoryFloats = (kStepsHeld + kHalfBandBlockVectors) * 8;
}

CHalfBandFilterSse::CHalfBandFilterSse() : m_history(static_cast<float*>(alignedMalloc(kHistoryFloats * sizeof(float))))
{
    setGain(1.0f);
    switchMode(Stereo);
}

CHalfBandFilterSse::~CHalfBandFilterSse()
{
    alignedFree(m_history);
}

int CHalfBandFilterSse::blockFloats() const
{
    return kHalfBandBlockVectors * (m_mode == Stereo ? 8 : 4);
}

float* CHalfBandFilterSse::stateAt(int64_t position) const
{
    return m_history + position * (m_mode == Stereo ? 8 : 4);
}

void CHalfBandFilterSse::clear()
{
    m_position = kStepsHeld;
    m_untilFlush = kHalfBandWindow;
    std::memset(stateAt(m_position), 0, blockFloats() * sizeof(float));
}

void CHalfBandFilterSse::setGain(float g)
{
    for (float& lane : m_gain)
        lane = 0.5f * g;
}

void CHalfBandFilterSse::setStereo()
{
    switchMode(Stereo);
}

void CHalfBandFilterSse::setMono()
{
    switchMode(Mono);
}

void CHalfBandFilterSse::switchMode(Mode mode)
{
    if (mode == m_mode)
        return;
    float converted[kHalfBandBlockVectors * 8];
    if (m_mode == Unset)
    {
        std::memset(converted, 0, sizeof converted);
    }
    else
    {
        const float* from = stateAt(m_position);
        for (int j = 0; j < kHalfBandBlockVectors; ++j)
        {
            if (mode == Stereo)
            {
                // Mono lanes (B even, A even, B odd, A odd) feed both channels.
                const float* m = from + 4 * j;
                float* to = converted + 8 * j;
                const float widened[8] = {m[0], m[1], m[0], m[1], m[2], m[3], m[2], m[3]};
                std::memcpy(to, widened, sizeof widened);
            }
            else
            {
                // The two channels' lanes of each stream are averaged.
                const float* s = from + 8 * j;
                float* to = converted + 4 * j;
                to[0] = (s[0] + s[2]) * 0.5f;
                to[1] = (s[1] + s[3]) * 0.5f;
                to[2] = (s[4] + s[6]) * 0.5f;
                to[3] = (s[5] + s[7]) * 0.5f;
            }
        }
    }
    m_mode = mode;
    m_position = kStepsHeld;
    m_untilFlush = kHalfBandWindow;
    std::memcpy(stateAt(m_position), converted, blockFloats() * sizeof(float));
}

void CHalfBandFilterSse::process(const float* input, float* outLeft, float* outRight, int64_t n, int replacing)
{
    const bool stereo = m_mode == Stereo;
    const HalfBandKernel kernel = HalfBandKernelTable[(replacing ? 1 : 0) + (stereo ? 2 : 0)];
    const int stride = stereo ? 4 : 2;
    while (n > 0)
    {
        int64_t part = n < m_position ? n : m_position;
        kernel(input, stateAt(m_position), outLeft, outRight, part, m_gain);
        m_position -= part;
        m_untilFlush -= part;
        if (m_position == 0)
        {
            const float* bottom = stateAt(0);
            float* top = stateAt(kStepsHeld);
            if (m_untilFlush == 0)
            {
                // Back to the top, flushing values too small to matter before
                // they turn denormal and slow the next window down.
                for (int i = 0; i < blockFloats(); ++i)
                    top[i] = (bottom[i] + 1e-16f) - 1e-16f;
                m_untilFlush = kHalfBandWindow;
            }
            else
            {
                std::memmove(top, bottom, static_cast<std::size_t>(blockFloats()) * sizeof(float));
            }
            m_position = kStepsHeld;
        }
        input += stride * part;
        outLeft += part;
        outRight += part;
        n -= part;
    }
}
