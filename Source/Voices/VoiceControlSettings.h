#pragma once

#include "dsp/EngineDimensions.h"

#include <cstdint>

// The note-control part of the engine's shared modulation record: glide,
// controller routings, velocity scalings, pan and unison settings, and a
// fixed table of pseudo-random flags, one per note.
class VoiceControlSettings
{
public:
    static constexpr int kNotes = 128;
    static constexpr int kGroups = Engine::kGroups;
    // A glide step that reaches any note within one tick.
    static constexpr std::int64_t kInstantGlide = 255 * 65536;

    // Bits of the glide type.
    enum GlideFlags
    {
        kGlideLegatoOnly = 1,
        kGlideSemitones = 2,
        kGlideFixedTime = 4,
    };

    VoiceControlSettings();

    // Glide time in seconds per octave at the host rate.
    void setGlideTime(float seconds, float hostRate);
    // Applies parameter index of the note control (value: its engine value,
    // v: the same as a float), and answers true; false for any other
    // parameter.
    bool applyParameter(std::int64_t index, std::int64_t value, float v, float hostRate);
    void setPortamento(bool on);
    void clearPanState();

    std::int64_t glideType = 0;
    // 16.16 semitones per tick.
    std::int64_t glideStep = kInstantGlide;
    std::int64_t effectiveGlideStep = kInstantGlide;
    // Per unit of a voice's glide spread index.
    float glideSpread = 0.0f;
    bool portamento = true;
    // Velocity scalings: fixed + perVelocity x velocity (1.0 at velocity 64).
    float driveVelocityPer = 0.0f;
    float driveVelocityFixed = 1.0f;
    float env2VelocityPer = 0.0f;
    float env2VelocityFixed = 1.0f;
    bool duo = false;
    bool bendToAll = false;
    // Controller routings: amount (-1..1), source, destination.
    float controllerAmount[2] = {0.0f, 0.0f};
    std::int64_t controllerSource[2] = {0, 0};
    std::int64_t controllerDestination[2] = {0, 0};
    std::int64_t filterControllerSource = 0;
    std::int64_t panMode = 0;
    // Percent.
    float panSpread = 0.0f;
    std::int64_t unisonSpread = 0;
    // Balance pan: the running sum of signs and each group's last sign.
    std::int32_t panCounter = 0;
    std::int32_t panPositions[kGroups] = {};
    bool randomFlags[kNotes];
};
