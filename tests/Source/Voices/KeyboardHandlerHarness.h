#pragma once

// Drives a keyboard handler the way the main object does: events go into
// its input queue, each block is one processBlock call, and what it posted
// is read back from the amplifier queue and the note-control queue.

#include "Source/Voices/EventCodes.h"
#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/Zentrova.h"
#include "Source/queues/ControlCue.h"
#include "editor/ZentrovaEditor.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace keyboard_test
{
// Parameter codes the handler reads.
constexpr std::int64_t kTriggering = 17;
constexpr std::int64_t kFunction = 20;
constexpr std::int64_t kArpeggio = 34;
constexpr std::int64_t kArpeggioOctDir = 35;
constexpr std::int64_t kArpeggioOctM1 = 36;
constexpr std::int64_t kArpeggioOctP1 = 37;
constexpr std::int64_t kArpeggioOctP2 = 38;
constexpr std::int64_t kArpeggioOrder = 39;
constexpr std::int64_t kKeyboardHold = 40;
constexpr std::int64_t kChordMemory = 41;
constexpr std::int64_t kUnisonMode = 94;

// Voice functions.
constexpr std::int64_t kMono = 0;
constexpr std::int64_t kDuo = 1;
constexpr std::int64_t kPoly4 = 2;
constexpr std::int64_t kPoly8 = 3;
constexpr std::int64_t kPoly16 = 5;

struct Posted
{
    std::int64_t code;
    std::int64_t value;
    std::int64_t time;

    // The groups addressed in bits 16..31.
    std::int64_t groups() const { return (value >> EventCode::kGroupMaskShift) & 0xFFFF; }
    int group() const
    {
        for (int g = 0; g < 16; ++g)
            if ((groups() >> g) & 1)
                return g;
        return -1;
    }
    int note() const { return static_cast<int>(value & 0xFF); }
    int velocity() const { return static_cast<int>((value >> 8) & 0xFF); }
    int level() const { return static_cast<int>(value & 0xFF); }
};

// An editor that only records what it is told.
class RecordingEditor : public ZentrovaEditor
{
public:
    RecordingEditor() : ZentrovaEditor(nullptr) {}
    void postToGui(int lane, std::int64_t index, float value) override
    {
        items.emplace_back(lane, index, value);
    }
    std::vector<std::tuple<int, std::int64_t, float>> items;
};

class Harness
{
public:
    Harness()
    {
        std::fill(std::begin(levels), std::end(levels), 0.0f);
        allIdle();
    }

    // The amplifier bank's report: every group idle.
    void allIdle()
    {
        std::fill(std::begin(masks), std::end(masks), 0);
        masks[0] = 0xFFFF;
    }

    void send(std::int64_t code, std::int64_t value, std::int64_t time = 0)
    {
        cues[Zentrova::kKeyboardCue].push(0, VoiceEvent(code, value, time));
    }
    void noteOn(int channel, int note, int velocity = 100, std::int64_t time = 0)
    {
        send(EventCode::midiCode(EventCode::kKindNote, channel, note), velocity, time);
    }
    void noteOff(int channel, int note, int velocity = 64, std::int64_t time = 0)
    {
        send(EventCode::midiCode(EventCode::kKindNote, channel, note), -velocity, time);
    }

    // One block; returns the gated-group mask.
    std::int64_t run(std::int64_t blockOffset = 0)
    {
        return handler.processBlock(cues.get(), masks, levels, blockOffset);
    }

    std::vector<Posted> drain(int cue)
    {
        std::vector<Posted> items;
        for (VoiceEvent event = cues[cue].pop(); !event.isEmpty(); event = cues[cue].pop())
            items.push_back({event.code, event.value, event.time});
        return items;
    }
    std::vector<Posted> notes() { return drain(Zentrova::kNoteControlCue); }
    std::vector<Posted> amp() { return drain(Zentrova::kAmpCue); }
    void clearOutput()
    {
        notes();
        amp();
    }

    // Keys pressed together, then let go in the same order.
    void pressAndRelease(int channel, std::initializer_list<int> keys)
    {
        for (int key : keys)
            noteOn(channel, key);
        for (int key : keys)
            noteOff(channel, key);
    }

    // A key struck in a block of its own, whose output is dropped.
    void strike(int channel, int note, int velocity = 100)
    {
        noteOn(channel, note, velocity);
        run();
        clearOutput();
    }

    // Sends and runs at once; the output of earlier blocks is dropped.
    void apply(std::int64_t code, std::int64_t value)
    {
        send(code, value);
        run();
        clearOutput();
    }

    std::unique_ptr<ControlCue<VoiceEvent>[]> cues{new ControlCue<VoiceEvent>[Zentrova::kNumControlCues]};
    std::int64_t masks[KeyboardHandler::kNumGroupMasks];
    float levels[KeyboardHandler::kNumGroups];
    KeyboardHandler handler;
};

inline std::vector<Posted> withCode(const std::vector<Posted>& items, std::int64_t code)
{
    std::vector<Posted> found;
    for (const Posted& item : items)
        if (item.code == code)
            found.push_back(item);
    return found;
}

// The notes started, in order (575 events).
inline std::vector<int> startedNotes(const std::vector<Posted>& items)
{
    std::vector<int> found;
    for (const Posted& item : withCode(items, EventCode::NoteStart))
        found.push_back(item.note());
    return found;
}

inline std::vector<int> groupsOf(const std::vector<Posted>& items)
{
    std::vector<int> found;
    for (const Posted& item : items)
        found.push_back(item.group());
    return found;
}
} // namespace keyboard_test
