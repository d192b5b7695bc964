#pragma once

#include <cstdint>

#include "Source/ControlCue.h"
#include "Source/Voices/VoiceEvent.h"

// Turns the engine's stereo mix at twice the host rate into the two host
// outputs. Its parameters arrive as events on the effects queue, each
// applied at its sample inside the block.
class EffectsSection
{
public:
    EffectsSection();
    ~EffectsSection();

    EffectsSection(const EffectsSection&) = delete;
    EffectsSection& operator=(const EffectsSection&) = delete;

    void setSampleRate(float rate);
    void setBlockSize(int frames);
    void resume();
    void setTempo(float bpm);

    // replace 1 writes the outputs, 0 adds to them.
    void process(ControlCue<VoiceEvent>& cue, const float* mix, float* outLeft, float* outRight, int frames,
                 int replace);

    // Set while the echo follows the host's tempo.
    bool delayTempoFromHost() const { return m_delayTempoFromHost != 0; }
    bool effectsActive() const { return m_effectsActive != 0; }

private:
    void applyEvent(const VoiceEvent& event);
    void processStretch(const float* mix, float* outLeft, float* outRight, int from, int to, int replace);

    VoiceEvent m_heldEvent;
    std::int64_t m_effectsActive = 0;
    float* m_workBuffer = nullptr;
    std::int32_t m_delayTempoFromHost = 0;
    std::int64_t m_chorusRunning = 0;
    std::int64_t m_echoRunning = 0;
    std::int64_t m_activeMask = 0;
    float m_sampleRate = 44100.0f;
};
