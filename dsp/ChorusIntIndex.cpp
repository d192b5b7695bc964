#include "dsp/ChorusIntIndex.h"

#include <algorithm>
#include <cmath>

namespace
{
// Keeps every tap well inside the delay line whatever depth is asked for.
constexpr float kMaxDepthSamples = 16384.0f;
}

ChorusIntIndex::ChorusIntIndex()
{
    setSampleRate(m_sampleRate);
}

void ChorusIntIndex::setDepth(float ms)
{
    if (!std::isfinite(ms))
        return;
    m_depthMs = ms;
    m_depthSamples = std::clamp(2.0f * ms * m_sampleRate / 1000.0f, 0.0f, kMaxDepthSamples);
    int64_t span = int64_t(m_depthSamples * 65536.0f);
    m_upperBound = m_baseDelay + span;
    m_lowerBound = m_baseDelay - span;
    updateIncrements();
}

void ChorusIntIndex::setRate(float hz)
{
    Chorus::setRate(hz);
    updateIncrements();
}

void ChorusIntIndex::updateIncrements()
{
    // A running sweep keeps its direction.
    int64_t d = int64_t(m_rateFactor * m_depthSamples * 65536.0f);
    if (m_tapIncrement[0] < 0)
        d = -d;
    m_tapIncrement[0] = d;
    m_tapIncrement[1] = -d;
    int64_t d2 = int64_t(double(m_rateFactor) * 1.21 * double(m_depthSamples) * 65536.0);
    if (m_tapIncrement[2] < 0)
        d2 = -d2;
    m_tapIncrement[2] = d2;
    m_tapIncrement[3] = -d2;
}

void ChorusIntIndex::updateBaseDelay()
{
    m_baseDelay = int64_t(2.0f * m_preset.baseDelayMs * m_sampleRate / 1000.0f) << 16;
    for (int64_t& position : m_tapPosition)
        position = m_baseDelay;
}
