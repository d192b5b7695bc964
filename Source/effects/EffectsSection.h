#pragma once

#include <cstdint>
#include <memory>

#include "Source/Voices/VoiceEvent.h"
#include "Source/queues/ControlCue.h"
#include "dsp/LevelGlide.h"

class CHalfBandFilter;
class ChorusIntReference;
class Echo;

// Turns the engine's stereo mix at twice the host rate into the two host
// outputs: chorus, then echo, then the 2:1 decimator, which alone writes the
// outputs. Its parameters arrive as events on the effects queue, each
// applied at its sample inside the block.
class EffectsSection
{
public:
    EffectsSection();
    ~EffectsSection();

    EffectsSection(const EffectsSection&) = delete;
    EffectsSection& operator=(const EffectsSection&) = delete;

    // The host rate. Sizes the echo's memory, or with takeMemory false
    // leaves that to resume: never on the audio thread.
    void setSampleRate(float rate, bool takeMemory = true);
    // The most host samples a block may bring.
    void setBlockSize(int frames);
    // Host thread, before resume: the patch's delay settings, which its
    // events bring later, so that the echo's memory for them is there
    // before the first block.
    void prepareEcho(std::int64_t delayTempo, std::int64_t delayUnits, std::int64_t lengthLeft,
                     std::int64_t lengthRight);
    void resume();
    void setTempo(float bpm);

    // The echo's memory, served off the audio thread (see Echo).
    bool hasMemoryRequest() const;
    void serveMemory();
    const Echo& getEcho() const { return *m_echo; }

    // The mix holds four floats per host sample: left and right of engine
    // frame 2k, then of frame 2k + 1. replace 1 writes the outputs, 0 adds
    // to them. mixSilent: the mix is exact zero. Once it has been for as long
    // as the chain's memory reaches back and nothing audible is left in the
    // chain, the section rests: it writes exact zero and does no work per
    // sample until the mix sounds again.
    void process(ControlCue<VoiceEvent>& cue, const float* mix, float* outLeft, float* outRight, int frames,
                 int replace, bool mixSilent = false);
    bool isResting() const { return m_resting; }

    // Set while the echo follows the host's tempo.
    bool delayTempoFromHost() const { return m_delayTempoFromHost != 0; }
    bool effectsActive() const { return m_effectsActive != 0; }

private:
    void applyEvent(const VoiceEvent& event);
    void processStretch(const float* mix, float* outLeft, float* outRight, int from, int to, int replace);
    // The decimator, with the volume gliding to a new value on the way.
    void decimate(const float* input, float* outLeft, float* outRight, int frames, int replace);
    void updateActiveMask();
    // The chain runs the echo (with the section awake).
    bool echoInChain() const;
    // Counts the block's quiet samples and comes to rest once enough are.
    void watchForRest(const float* outLeft, const float* outRight, int frames, bool mixSilent);
    void rest();

    std::unique_ptr<Echo> m_echo;
    std::unique_ptr<CHalfBandFilter> m_halfBand;
    std::unique_ptr<ChorusIntReference> m_chorus;
    // The decimator's gain.
    LevelGlide m_volume;
    VoiceEvent m_heldEvent;
    std::int64_t m_effectsActive = 0;
    float* m_workBuffer = nullptr;
    int m_workFrames = 0;
    std::int32_t m_delayTempoFromHost = 0;
    std::int64_t m_chorusRunning = 0;
    std::int64_t m_echoRunning = 0;
    std::int64_t m_activeMask = 0;
    float m_sampleRate = 44100.0f;
    // Set once audio has passed the chorus by: its delay line then holds
    // sound from before, which must not come back when it rejoins.
    bool m_chorusStale = false;
    // Engine samples of silent mix since the chain last held anything
    // audible.
    std::int64_t m_quietSamples = 0;
    bool m_resting = false;
};
