#include "Source/Voices/VoiceControlSettings.h"

#include <algorithm>
#include <iterator>

VoiceControlSettings::VoiceControlSettings()
{
    // A fixed scramble of the notes: a short linear congruence folded against
    // an eight-step pattern.
    static const bool pattern[8] = {false, true, true, false, false, false, true, true};
    int x = 111;
    randomFlags[0] = false;
    for (int i = 1; i < kNotes; ++i)
    {
        x = (53 * x + 1007) & 127;
        randomFlags[i] = ((x % 34) < 18) == pattern[i % 8];
    }
}

void VoiceControlSettings::setGlideTime(float seconds, float hostRate)
{
    // One octave (12 x 65536) in the given time, at one step per tick.
    if (seconds >= 0.01f && hostRate > 0.0f)
        glideStep = static_cast<std::int64_t>(786432.0f / (hostRate / 32.0f * seconds));
    else
        glideStep = kInstantGlide;
    glideStep = std::max<std::int64_t>(glideStep, 1);
    setPortamento(portamento);
}

void VoiceControlSettings::setPortamento(bool on)
{
    portamento = on;
    effectiveGlideStep = on ? glideStep : kInstantGlide;
}

void VoiceControlSettings::clearPanState()
{
    panCounter = 0;
    std::fill(std::begin(panPositions), std::end(panPositions), 0);
}
