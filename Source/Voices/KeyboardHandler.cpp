#include "Source/Voices/KeyboardHandler.h"

KeyboardHandler::KeyboardHandler()
{
    reset();
}

std::int64_t KeyboardHandler::processBlock(ControlCue<VoiceEvent>* cues, std::int64_t*, const float*, std::int64_t)
{
    ControlCue<VoiceEvent>& keyboardCue = cues[2];
    for (VoiceEvent event = keyboardCue.pop(); event.time >= 0; event = keyboardCue.pop())
    {
    }
    return 0;
}

void KeyboardHandler::reset() {}

void KeyboardHandler::setDamperScale(float scale)
{
    m_damperScale = static_cast<int>(scale * 256.0f + 0.5f);
}
