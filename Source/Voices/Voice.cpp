#include "Source/Voices/Voice.h"

#include <algorithm>

namespace
{
void drain(ControlCue<VoiceEvent>& cue)
{
    for (VoiceEvent event = cue.pop(); event.time >= 0; event = cue.pop())
    {
    }
}
} // namespace

Voice::Voice(Zentrova* owner) : m_pOwner(owner)
{
    setVoiceMode(0, 1);
}

Voice::~Voice() = default;

void Voice::reset() {}

void Voice::setSampleRate(float hostRate)
{
    m_sampleRate = hostRate;
}

void Voice::setBlockSize(int frames)
{
    if (frames == m_blockSize)
        return;
    m_blockSize = frames;
}

void Voice::setVoiceMode(int mode, int polyphony)
{
    if (mode == m_voiceMode && polyphony == m_polyphony)
        return;
    m_voiceMode = mode;
    m_polyphony = polyphony;
}

void Voice::setHold2Scale(float scale)
{
    m_hold2Scale = scale;
}

void Voice::process(ControlCue<VoiceEvent>* cues, float**, float* mix, int frames, std::int64_t, std::int64_t*,
                    float*)
{
    // Every queued event is consumed in the block it is popped in: the
    // amplifier events (cue 0), the voice parameters (cue 1) and the note
    // control events (cue 3).
    drain(cues[1]);
    drain(cues[3]);
    drain(cues[0]);
    std::fill(mix, mix + 4 * static_cast<std::size_t>(frames), 0.0f);
}
