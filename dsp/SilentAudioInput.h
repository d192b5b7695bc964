#pragma once

#include "dsp/AudioInput.h"

// The audio-input source of a deliverable without audio inputs: it keeps
// what a block announces but holds no buffer, and every read is silence,
// whatever the host passes.
class SilentAudioInput : public AudioInput
{
public:
    void setBlockSize(int hostSamples) override;
    void setInputs(const float* const* inputs, std::int64_t carry, std::int64_t count) override;
    void read(int source, float* destination, int firstTick, int endTick) override;
};
