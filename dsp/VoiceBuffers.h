#pragma once

#include <cstdint>

// Per voice, the pointers of its control streams (one value per 32-sample
// host tick) and audio buffers (ticks x 64 engine samples plus the lead-in).
// The oscillators and the mixer fill them in when the block size changes; the
// filter bank, the amplifier bank and the voice states read them.
struct VoiceBuffers
{
    float* noiseGain = nullptr;
    float* osc1Gain = nullptr;
    float* osc2Gain = nullptr;
    float* ringGain = nullptr;
    std::int16_t* pulseWidth1 = nullptr;
    std::int16_t* pulseWidth2 = nullptr;
    std::int32_t* pitch1 = nullptr;
    std::int32_t* pitch2 = nullptr;
    std::uint32_t* filterParameters = nullptr;
    float* osc1Audio = nullptr;
    float* osc2Audio = nullptr;
    float* thirdSourceAudio = nullptr;
    float* mixerOutput = nullptr;
    float* filterOutput = nullptr;
};
