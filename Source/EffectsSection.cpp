#include "Source/EffectsSection.h"

#include <algorithm>
#include <new>

#include "Source/AlignedMemory.h"

namespace
{
constexpr std::int64_t kDelayTempo = 46;
constexpr std::int64_t kEffectActive = 47;
// DelayTempo's lowest value stands for the host's tempo.
constexpr std::int64_t kDelayTempoFromHost = 31;
} // namespace

EffectsSection::EffectsSection() = default;

EffectsSection::~EffectsSection()
{
    alignedFree(m_workBuffer);
}

void EffectsSection::setSampleRate(float rate)
{
    m_sampleRate = rate;
}

void EffectsSection::setBlockSize(int frames)
{
    alignedFree(m_workBuffer);
    m_workBuffer = nullptr;
    try
    {
        m_workBuffer = static_cast<float*>(alignedMalloc(16 * static_cast<std::size_t>(frames)));
    }
    catch (const std::bad_alloc&)
    {
    }
}

void EffectsSection::resume() {}

void EffectsSection::setTempo(float) {}

void EffectsSection::process(ControlCue<VoiceEvent>& cue, const float* mix, float* outLeft, float* outRight,
                             int frames, int replace)
{
    m_heldEvent = cue.pop();
    int position = 0;
    while (position < frames)
    {
        while (!m_heldEvent.isEmpty() && m_heldEvent.time <= position)
        {
            applyEvent(m_heldEvent);
            m_heldEvent = cue.pop();
        }
        const int end = m_heldEvent.isEmpty() ? frames : static_cast<int>(std::min<std::int64_t>(m_heldEvent.time, frames));
        processStretch(mix, outLeft, outRight, position, end, replace);
        position = end;
    }
    // Events stamped beyond the block still take effect, at its end.
    for (; !m_heldEvent.isEmpty(); m_heldEvent = cue.pop())
        applyEvent(m_heldEvent);
}

void EffectsSection::applyEvent(const VoiceEvent& event)
{
    switch (event.code)
    {
    case kDelayTempo:
        m_delayTempoFromHost = event.value == kDelayTempoFromHost ? 1 : 0;
        break;
    case kEffectActive:
        m_effectsActive = event.value;
        break;
    default:
        break;
    }
}

void EffectsSection::processStretch(const float*, float* outLeft, float* outRight, int from, int to, int replace)
{
    if (!replace)
        return;
    std::fill(outLeft + from, outLeft + to, 0.0f);
    std::fill(outRight + from, outRight + to, 0.0f);
}
