#pragma once

#include <cstdint>

// An echo of the effects chain: interleaved stereo frames at the engine
// rate, in place or from one buffer to another.
class EchoBase
{
public:
    virtual ~EchoBase();

    // Returns whether the echo still belongs in the chain.
    virtual bool process(const float* in, float* out, int64_t frames) = 0;
};
