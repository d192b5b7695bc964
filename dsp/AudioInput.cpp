#include "dsp/AudioInput.h"

#include "dsp/AlignedMemory.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::int64_t kLead = 64;

// A host sample that is not a finite number is silence: x - x is zero only
// for finite x, and the choice compiles to a mask rather than a branch.
inline float finiteOrSilence(float x)
{
    return x - x == 0.0f ? x : 0.0f;
}
} // namespace

AudioInput::AudioInput()
    : m_carry(0), m_count(0), m_hasInput(false), m_buffer(nullptr), m_bufferLength(0), m_inputs{nullptr, nullptr},
      m_prepared(false)
{
}

AudioInput::~AudioInput()
{
    alignedFree(m_buffer);
}

void AudioInput::setBlockSize(int hostSamples)
{
    alignedFree(m_buffer);
    m_buffer = nullptr;
    const std::int64_t n = std::max(hostSamples, 0);
    m_bufferLength = static_cast<std::size_t>(((2 * n + 63) / 64 + 1) * 64);
    m_buffer = static_cast<float*>(alignedCalloc(m_bufferLength * sizeof(float)));
    m_prepared = false;
}

void AudioInput::keepBlock(const float* const* inputs, std::int64_t carry, std::int64_t count)
{
    // The voices never carry more than one tick ahead.
    m_carry = std::clamp<std::int64_t>(carry, 0, kLead);
    m_count = std::max<std::int64_t>(count, 0);
    m_hasInput = inputs != nullptr;
}

void AudioInput::setInputs(const float* const* inputs, std::int64_t carry, std::int64_t count)
{
    keepBlock(inputs, carry, count);
    m_inputs[0] = inputs != nullptr ? inputs[0] : nullptr;
    m_inputs[1] = inputs != nullptr ? inputs[1] : nullptr;
    m_prepared = false;
}

void AudioInput::prepare()
{
    // Cleared first: the ticks read may reach past the block's last sample,
    // and those floats must be silence rather than an older block's input.
    std::memset(m_buffer, 0, m_bufferLength * sizeof(float));
    const float* left = m_inputs[0];
    const float* right = m_inputs[1];
    const std::int64_t start = kLead - m_carry;
    // A block longer than announced is cut to the buffer.
    const std::int64_t count =
        std::min<std::int64_t>(m_count, (static_cast<std::int64_t>(m_bufferLength) - start) / 2);
    for (std::int64_t k = 0; k < count; ++k)
    {
        float v;
        if (left != nullptr && right != nullptr)
            v = (finiteOrSilence(left[k]) + finiteOrSilence(right[k])) * 0.9f;
        else if (right != nullptr)
            v = right[k] * 1.8f; // only one channel: the same scale as the sum of two
        else if (left != nullptr)
            v = left[k] * 1.8f;
        else
            break;
        // Two huge samples may sum beyond the largest float.
        v = finiteOrSilence(v);
        m_buffer[start + 2 * k] = v;
        m_buffer[start + 2 * k + 1] = v;
    }
    m_prepared = true;
}

AudioInput::Range AudioInput::rangeOf(float* destination, int firstTick, int endTick) const
{
    firstTick = std::max(firstTick, 0);
    if (endTick < firstTick || (endTick == firstTick && firstTick > 0))
        return Range{destination, 0, 0};
    const std::int64_t from = firstTick == 0 ? -m_carry : 64 * static_cast<std::int64_t>(firstTick);
    const std::int64_t to = 64 * static_cast<std::int64_t>(endTick);
    return Range{destination + from, from, static_cast<std::size_t>(to - from)};
}

void AudioInput::read(int source, float* destination, int firstTick, int endTick)
{
    const Range range = rangeOf(destination, firstTick, endTick);
    std::size_t copied = 0;
    if (range.length > 0 && source == 0 && m_hasInput && m_buffer != nullptr)
    {
        if (!m_prepared)
            prepare();
        // Destination float j (j from -carry at tick 0) corresponds to buffer
        // float 64 + j, whichever tick a range starts at.
        const std::int64_t available = static_cast<std::int64_t>(m_bufferLength) - (kLead + range.from);
        copied = static_cast<std::size_t>(
            std::clamp<std::int64_t>(available, 0, static_cast<std::int64_t>(range.length)));
        std::memcpy(range.out, m_buffer + kLead + range.from, copied * sizeof(float));
    }
    std::fill(range.out + copied, range.out + range.length, 0.0f);
}
