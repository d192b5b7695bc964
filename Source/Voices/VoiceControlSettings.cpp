#include "Source/Voices/VoiceControlSettings.h"

#include "Source/Voices/ParameterScaling.h"
#include "Source/parameters/ParameterIndices.h"

#include <cmath>

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

bool VoiceControlSettings::applyParameter(std::int64_t index, std::int64_t value, float v, float hostRate)
{
    using namespace ParameterScaling;
    switch (index)
    {
    case Param::KbdVelToDrive:
        driveVelocityFixed = 1.0f - v / kPercent;
        driveVelocityPer = v / kPercent / kUnityVelocity;
        return true;
    case Param::KbdVelToFilter:
        env2VelocityFixed = 1.0f - v / kPercent;
        env2VelocityPer = v / kPercent / kUnityVelocity;
        return true;
    case Param::FilterController:
        filterControllerSource = value;
        return true;
    case Param::GlideType:
        // The glide types skip code 3.
        glideType = value > 2 ? value + 1 : value;
        return true;
    case Param::GlideTime:
        setGlideTime(v, hostRate);
        return true;
    case Param::UnisonSpread:
        unisonSpread = value;
        return true;
    case Param::Controller1Amount:
    case Param::Controller2Amount:
        controllerAmount[index == Param::Controller1Amount ? 0 : 1] = std::isfinite(v) ? v : 0.0f;
        return true;
    case Param::Controller1Source:
    case Param::Controller2Source:
        controllerSource[index == Param::Controller1Source ? 0 : 1] = value;
        return true;
    case Param::Controller1Dest:
    case Param::Controller2Dest:
        controllerDestination[index == Param::Controller1Dest ? 0 : 1] = value;
        return true;
    case Param::GlideSpread:
    {
        // The three spreads, in percent.
        static const float spreads[3] = {0.0f, 1.8f, 6.5f};
        glideSpread = spreads[std::clamp<std::int64_t>(value, 0, 2)] * 0.01f;
        return true;
    }
    case Param::PanMode:
        panMode = value;
        clearPanState();
        return true;
    case Param::PanSpread:
        panSpread = std::isfinite(v) ? v : 0.0f;
        return true;
    default:
        return false;
    }
}
