#pragma once

// The voice engine on a bench: its five queues, a patch state whose values
// reach them through the plug-in's routing table, and a stand-in for the
// keyboard handler's note output.

#include "Source/RoutingTable.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Voices/Voice.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/parameters/ParameterTable.h"
#include "Source/queues/ControlCue.h"
#include "Source/state/ZentrovaStateHandler.h"
#include "Source/state/ZentrovaStateOwner.h"
#include "tests/support/PatchEdit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// A queue item with an integer value.
inline VoiceEvent item(std::int64_t code, std::int64_t value, std::int64_t time)
{
    return VoiceEvent(code, value, time);
}

class EngineRig : public ZentrovaStateOwner
{
public:
    static constexpr int kCues = 5;

    explicit EngineRig(float rate = 44100.0f, int blockSize = 512)
        : voice(), states(this), patch(states.getCurrentState()), m_blockSize(blockSize)
    {
        voice.setSampleRate(rate);
        voice.setBlockSize(blockSize);
        voice.reset();
        groupMasks[0] = -1;
    }

    // The patch's values as a program switch sends them.
    void sendPatch() { states.sendCurrentState(0); }

    // The queues the table names; the rig has no tempo clock.
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override
    {
        const std::uint32_t mask = m_routing.mask(index);
        if (mask & RoutingTable::kAmpBank)
            cues[0].push(lane, item(index, value, time));
        if (mask & RoutingTable::kEffects)
            cues[4].push(lane, item(index, value, time));
        if (mask & RoutingTable::kKeyboard)
            cues[2].push(lane, item(index, value, time));
        if (mask & RoutingTable::kVoiceParameters)
            cues[1].push(lane, item(index, value, tickOf(time)));
    }
    void setEditorParameter(long, float) override {}

    static std::int64_t groupBit(int group) { return std::int64_t(1) << (EventCode::kGroupMaskShift + group); }
    std::int64_t tickOf(std::int64_t time) const { return (time + tickPhase) >> 5; }

    // What the keyboard handler posts for a note on a free group in poly
    // mode: note start and gates, the gates with a restart when asked.
    void noteOn(int group, int note, int velocity, std::int64_t time = 0, bool restart = false)
    {
        const std::int64_t mask = groupBit(group);
        cues[3].push(0, item(EventCode::NoteStart, mask + note + (velocity << 8), tickOf(time)));
        cues[3].push(0, item(EventCode::KeyPressure, mask, tickOf(time)));
        if (restart)
        {
            cues[0].push(0, item(EventCode::EnvelopeRestart, mask, time));
            cues[3].push(0, item(EventCode::EnvelopeRestart, mask, tickOf(time)));
        }
        cues[0].push(0, item(EventCode::GateOn, mask | velocity, time));
        cues[3].push(0, item(EventCode::GateOn, mask | velocity, tickOf(time)));
        gated |= std::int64_t(1) << group;
        for (int s = 0; s < 5; ++s)
            groupMasks[s] &= ~(std::int64_t(1) << group);
    }

    // What the keyboard handler posts for a voice function: poly with the
    // given polyphony, or a mono stack of `voices` when polyphony is 0.
    void voiceAllocation(int unison, int polyphony, int voices = 1)
    {
        cues[3].push(0, item(EventCode::DuoMode, 0, 0));
        cues[3].push(0, item(EventCode::VoiceAllocation, (unison << 8) + (polyphony ? polyphony : voices), 0));
    }

    void noteOff(int group, std::int64_t time = 0, int velocity = 64)
    {
        const std::int64_t mask = groupBit(group);
        cues[0].push(0, item(EventCode::GateOff, mask | velocity, time));
        cues[3].push(0, item(EventCode::GateOff, mask | velocity, tickOf(time)));
    }

    void noteEvent(std::int64_t code, std::int64_t value, std::int64_t time = 0)
    {
        cues[3].push(0, item(code, value, tickOf(time)));
    }

    void controlEvent(std::int64_t code, std::int64_t value, std::int64_t time = 0)
    {
        cues[1].push(0, item(code, value, tickOf(time)));
    }

    void ampEvent(std::int64_t code, std::int64_t value, std::int64_t time = 0)
    {
        cues[0].push(0, item(code, value, time));
    }

    // One block; returns the engine-rate stereo mix (left, right interleaved).
    std::vector<float> render(int frames)
    {
        for (ControlCue<VoiceEvent>& cue : cues)
            cue.beginRead();
        std::vector<float> mix(4 * static_cast<std::size_t>(frames), -99.0f);
        voice.process(cues, nullptr, mix.data(), frames, gated, groupMasks, groupLevels);
        gated = 0;
        tickPhase = (tickPhase + frames) % 32;
        cues[2].clear();
        cues[4].clear();
        return mix;
    }

    // Renders frames host samples in blocks of the rig's size.
    std::vector<float> run(int frames)
    {
        std::vector<float> out;
        out.reserve(4 * static_cast<std::size_t>(frames));
        while (frames > 0)
        {
            const int n = std::min(frames, m_blockSize);
            const std::vector<float> block = render(n);
            out.insert(out.end(), block.begin(), block.end());
            frames -= n;
        }
        return out;
    }

    // One channel of an interleaved mix.
    static std::vector<float> channel(const std::vector<float>& mix, int which)
    {
        std::vector<float> out(mix.size() / 2);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = mix[2 * i + which];
        return out;
    }

    ControlCue<VoiceEvent> cues[kCues];
    Voice voice;
    std::int64_t tickPhase = 0;
    ZentrovaStateHandler states;
    PatchEdit patch;
    std::int64_t gated = 0;
    std::int64_t groupMasks[6] = {};
    float groupLevels[16] = {};

private:
    RoutingTable m_routing;
    int m_blockSize;
};
