#pragma once

#include <cstdint>

// One change on its way to the engine: an event code, a 64-bit payload (an
// integer or the bits of a float in the low half) and when it applies (a
// sample offset in the block or a 32-sample tick, as the queue says). The
// default event is the empty item: code -1, value 0, time -1.
class VoiceEvent
{
public:
    VoiceEvent() = default;
    VoiceEvent(std::int64_t code, std::int64_t value, std::int64_t time);
    VoiceEvent(std::int64_t code, std::int64_t time, float value);
    ~VoiceEvent();

    VoiceEvent(const VoiceEvent&) = default;
    VoiceEvent& operator=(const VoiceEvent&) = default;

    bool isEmpty() const { return code == -1; }
    // The float carried in the low half of the value.
    float floatValue() const;

    std::int64_t code = -1;
    std::int64_t value = 0;
    std::int64_t time = -1;
};
