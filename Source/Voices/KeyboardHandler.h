#pragma once

#include <cstdint>

#include "Source/ControlCue.h"
#include "Source/Voices/VoiceEvent.h"

class Zentrova;
class ZentrovaEditor;

// Turns the keyboard queue's MIDI notes, pedals and keyboard parameters into
// events for the voice groups, once per host block.
class KeyboardHandler
{
public:
    KeyboardHandler();

    // cues: the main object's five control queues; groupMasks: the six stage
    // masks the amplifier bank reported; levels: one level per group;
    // blockOffset: samples into the current control tick. Returns the mask of
    // the groups gated in this block.
    std::int64_t processBlock(ControlCue<VoiceEvent>* cues, std::int64_t* groupMasks, const float* levels,
                              std::int64_t blockOffset);
    void reset();
    // Stored as scale x 256, rounded.
    void setDamperScale(float scale);
    void setEditor(ZentrovaEditor* editor) { m_pEditor = editor; }
    void setOwner(Zentrova* owner) { m_pOwner = owner; }

    int getDamperScale() const { return m_damperScale; }

private:
    Zentrova* m_pOwner = nullptr;
    ZentrovaEditor* m_pEditor = nullptr;
    int m_damperScale = 128;
};
