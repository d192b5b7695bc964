#include "dsp/SilentAudioInput.h"

#include <algorithm>

void SilentAudioInput::setBlockSize(int) {}

void SilentAudioInput::setInputs(const float* const* inputs, std::int64_t carry, std::int64_t count)
{
    keepBlock(inputs, carry, count);
}

void SilentAudioInput::read(int, float* destination, int firstTick, int endTick)
{
    const Range range = rangeOf(destination, firstTick, endTick);
    std::fill(range.out, range.out + range.length, 0.0f);
}
