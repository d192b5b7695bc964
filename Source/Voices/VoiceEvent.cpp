#include "Source/Voices/VoiceEvent.h"

#include <cstring>

VoiceEvent::VoiceEvent(std::int64_t code, std::int64_t value, std::int64_t time)
    : code(code), value(value), time(time)
{
}

VoiceEvent::VoiceEvent(std::int64_t code, std::int64_t time, float value) : code(code), value(0), time(time)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    this->value = static_cast<std::int64_t>(bits);
}

VoiceEvent::~VoiceEvent() = default;

float VoiceEvent::floatValue() const
{
    const auto bits = static_cast<std::uint32_t>(value);
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}
