#pragma once

#include "dsp/EngineDimensions.h"

class VoiceState;

// The voices no group holds, in the order they were returned; groups take
// from and return to the end.
struct VoicePool
{
    static constexpr int kCapacity = Engine::kVoices;

    bool push(VoiceState* voice)
    {
        if (count >= kCapacity)
            return false;
        voices[count++] = voice;
        return true;
    }
    VoiceState* pop() { return count > 0 ? voices[--count] : nullptr; }

    VoiceState* voices[kCapacity] = {};
    int count = 0;
};
