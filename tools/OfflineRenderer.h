#pragma once

#include <vector>

#include "tools/MidiSequence.h"
#include "tools/RenderStatistics.h"

class HostedPlugin;

// Plays a MIDI sequence through a hosted plug-in, block by block, with
// silent audio inputs, and keeps the stereo output and the block timings.
class OfflineRenderer
{
public:
    struct Result
    {
        std::vector<float> left;
        std::vector<float> right;
        RenderStatistics statistics;
    };

    // Resumes the plug-in when it is suspended and renders seconds of audio
    // with the host transport playing.
    static Result render(HostedPlugin& plugin, const MidiSequence& sequence, double seconds);
};
