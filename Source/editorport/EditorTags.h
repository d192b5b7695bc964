#pragma once

#include <cstdint>

// What the editor's queue items and control tags mean beyond the 155
// parameters (0-154), for the core that posts them and the editor that
// reads them.
namespace EditorTag
{
// Queue items. The wheels, 0..1: the modulation wheel as value / 127, the
// pitch wheel centred at 0.5.
constexpr std::int64_t kModWheel = 185;
constexpr std::int64_t kPitchBend = 186;
// The program's name was set; the value is the program number.
constexpr std::int64_t kProgramName = 596;
// A program was loaded into the engine: the first resets the parameter
// monitor, the second brings the bank views up to date.
constexpr std::int64_t kResetParameterMonitor = 597;
constexpr std::int64_t kRefreshBankViews = 598;
// The patch-modified display, 1 or 0; also the tag of its control.
constexpr std::int64_t kPatchModified = 599;
// The bank or its program list changed.
constexpr std::int64_t kListsChanged = 600;
// kFirstKeyLight + note: 1 when the note starts sounding, 0 when it stops.
constexpr std::int64_t kFirstKeyLight = 601;
// Set on the index of a learned controller's value when its MIDI event lay
// at the start of the block.
constexpr std::int64_t kLearnedAtBlockStart = 0x8000;

// Control tags of the MIDI edit parts: kFirstControllerBox + tag is the
// controller box of the control with that tag, kFirstMidiLearn + tag its
// learn button. The plug-in's setParameter arms MIDI learn for parameter
// tag - kFirstMidiLearn and cancels it with kMidiLearnOff.
constexpr int kFirstControllerBox = 190;
constexpr int kFirstMidiLearn = 381;
constexpr int kLastMidiLearn = 570;
constexpr int kMidiLearnOff = 571;
} // namespace EditorTag
