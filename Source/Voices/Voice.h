#pragma once

#include <cstdint>

#include "Source/ControlCue.h"
#include "Source/Voices/VoiceEvent.h"

class Zentrova;

// The polyphonic engine of one plug-in instance: everything between the
// control queues and the stereo mix at twice the host rate.
class Voice
{
public:
    explicit Voice(Zentrova* owner);
    virtual ~Voice();

    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    void reset();
    void setSampleRate(float hostRate);
    void setBlockSize(int frames);
    void setVoiceMode(int mode, int polyphony);
    void setHold2Scale(float scale);
    float getHold2Scale() const { return m_hold2Scale; }

    // Renders one host block of frames into mix: for host sample k the four
    // floats 4k..4k+3 are left and right of engine frames 2k and 2k + 1.
    virtual void process(ControlCue<VoiceEvent>* cues, float** inputs, float* mix, int frames,
                         std::int64_t channelMask, std::int64_t* groupMasks, float* groupLevels);

private:
    Zentrova* m_pOwner;
    float m_sampleRate = 44100.0f;
    int m_blockSize = 0;
    int m_voiceMode = -1;
    int m_polyphony = -1;
    float m_hold2Scale = 2.0f;
};
