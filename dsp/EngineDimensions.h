#pragma once

// The engine's fixed sizes, shared by the DSP, the voice engine and the
// plug-in object.
namespace Engine
{
// 128 voices in 16 voice groups; a group mask holds one bit per group.
constexpr int kVoices = 128;
constexpr int kGroups = 16;
// The group masks that the amplifier bank reports per block: one per
// envelope stage (0 idle, 1 release, 2 sustain, 3 decay, 4 attack), then
// the groups the keyboard handler gave a note.
constexpr int kStageMasks = 5;
constexpr int kTakenMask = 5;
constexpr int kGroupMasks = 6;
// A control tick is 32 host samples, 64 engine samples: the voices run at
// twice the host rate.
constexpr int kTickShift = 5;
constexpr int kTickFrames = 1 << kTickShift;
constexpr int kTickSamples = 2 * kTickFrames;
} // namespace Engine
