#pragma once

#include <cstdint>

// The one code space of the engine's queues: parameter codes 0-154, pseudo
// codes above them, and MIDI-derived codes kind << 16 | channel << 8 | note.
namespace EventCode
{
constexpr std::int64_t kNumParameterCodes = 155;

constexpr std::int64_t ModWheel = 185;
constexpr std::int64_t PitchBend = 186;
constexpr std::int64_t GateOn = 571;
constexpr std::int64_t GateOff = 572;
constexpr std::int64_t EnvelopeRestart = 573;
constexpr std::int64_t NewPhrase = 574;
constexpr std::int64_t NoteStart = 575;
constexpr std::int64_t DuoNoteChange = 576;
constexpr std::int64_t Expression = 577;
constexpr std::int64_t ChannelPressure = 578;
constexpr std::int64_t KeyPressure = 579;
constexpr std::int64_t AllNotesOff = 580;
constexpr std::int64_t DuoMode = 581;
constexpr std::int64_t VoiceAllocation = 582;
constexpr std::int64_t ClockGateOn = 583;
constexpr std::int64_t ClockGateOff = 584;
constexpr std::int64_t ScreenKeyboardNote = 585;
constexpr std::int64_t LfoSyncNextTick = 586;
constexpr std::int64_t LfoSyncPeriod = 587;
constexpr std::int64_t SustainPedal = 588; // controller 64; 589-593 follow controllers 65-69
constexpr std::int64_t PortamentoSwitch = 589;
constexpr std::int64_t Sostenuto = 590;
constexpr std::int64_t SoftPedal = 591;
constexpr std::int64_t LegatoPedal = 592;
constexpr std::int64_t Hold2Pedal = 593;
constexpr std::int64_t ProgramLoad = 594;
constexpr std::int64_t ProgramSwitched = 595;

// The pedal codes are the controller numbers 64-69 moved up by this much.
constexpr std::int64_t kPedalControllerOffset = SustainPedal - 64;

// Kinds of the MIDI-derived codes.
constexpr std::int64_t kKindNote = 1;
constexpr std::int64_t kKindChannelPressure = 2;
constexpr std::int64_t kKindKeyPressure = 3;
constexpr std::int64_t kKindModWheel = 4;
constexpr std::int64_t kKindExpression = 5;

constexpr std::int64_t midiCode(std::int64_t kind, std::int64_t channel, std::int64_t note = 0)
{
    return (kind << 16) + (channel << 8) + note;
}

constexpr std::int64_t kindOf(std::int64_t code)
{
    return code >> 16;
}

constexpr std::int64_t channelOf(std::int64_t code)
{
    return (code >> 8) & 0xFF;
}

constexpr std::int64_t noteOf(std::int64_t code)
{
    return code & 0xFF;
}

// Codes that address voice groups carry a mask of note controls here.
constexpr int kGroupMaskShift = 16;
} // namespace EventCode
