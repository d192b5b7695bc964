#pragma once

// Which queue carries what, and who writes each lane. Every lane has one
// kind of producer; a reader takes the lanes from the highest to lane 0.
constexpr int kQueueLanes = 4;

// The five control queues that feed the engine, by what they feed.
namespace ControlQueue
{
enum Index : int
{
    kAmp = 0,
    kVoiceParameters = 1,
    kKeyboard = 2,
    kNoteControl = 3,
    kEffects = 4,
};
constexpr int kCount = 5;
} // namespace ControlQueue

// The lanes of the control queues.
namespace ControlLane
{
// The audio thread at a block start: MIDI, the clock, a switched program.
constexpr int kBlockStart = 0;
// The editor's keyboard and wheels.
constexpr int kEditor = 1;
// The host's parameter changes, from any thread.
constexpr int kHostParameter = 2;
// The patch sent again when processing resumes.
constexpr int kResume = 3;
} // namespace ControlLane

// The lanes of the editor's queue.
namespace EditorLane
{
// The audio thread: wheels, sounding notes, learned controller values.
constexpr int kAudio = 1;
// Values to show, from any thread.
constexpr int kHost = 2;
} // namespace EditorLane
