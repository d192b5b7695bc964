#pragma once

// Parameter values posted to the engine's queues the way the main object
// routes them.

#include "Source/ControlCue.h"
#include "Source/ParameterTable.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/ZentrovaState.h"
#include "Source/ZentrovaStateOwner.h"

#include <cstdint>

// A queue item with an integer value.
inline VoiceEvent item(std::int64_t code, std::int64_t value, std::int64_t time)
{
    return VoiceEvent(code, value, time);
}

// The queues a parameter reaches: bit 1 queue 0 (amplifiers), 4 queue 1
// (tick-timed voice parameters), 8 queue 2 (keyboard), 16 queue 4 (effects).
inline unsigned routeMask(long index)
{
    switch (index)
    {
    case Param::Tempo:
    case Param::GateTime:
    case Param::TempoExternal:
        return 2;
    case Param::KbdVelToAttack:
    case Param::KbdVelToRelease:
    case Param::AmpAttack:
    case Param::AmpDecay:
    case Param::AmpSustain:
    case Param::AmpRelease:
        return 5;
    case Param::GlideSpread:
        return 12;
    case Param::Function:
    case Param::UnisonMode:
        return 13;
    case Param::Volume:
        return 16;
    case Param::Triggering:
        return 8;
    default:
        break;
    }
    if (index >= Param::Arpeggio && index <= Param::ChordMemory)
        return 8;
    if ((index >= Param::ChorusLevel && index <= Param::EffectActive) ||
        (index >= Param::ChorusRate && index <= Param::DelayFeedbackMode))
        return 16;
    if (index >= 0 && index < kParameterCount)
        return 4;
    if (index == EventCode::ModWheel || index == EventCode::PitchBend || index == EventCode::LfoSyncNextTick ||
        index == EventCode::LfoSyncPeriod)
        return 4;
    return 0;
}

// A patch state whose engine events go straight into a set of queues.
class PatchPoster : public ZentrovaStateOwner
{
public:
    PatchPoster(ControlCue<VoiceEvent>* cues, const std::int64_t* tickPhase)
        : state(this), m_cues(cues), m_tickPhase(tickPhase)
    {
    }

    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) override
    {
        const unsigned mask = routeMask(index);
        if (mask & 1)
            m_cues[0].push(lane, item(index, value, time));
        if (mask & 16)
            m_cues[4].push(lane, item(index, value, time));
        if (mask & 8)
            m_cues[2].push(lane, item(index, value, time));
        if (mask & 4)
            m_cues[1].push(lane, item(index, value, (time + *m_tickPhase) >> 5));
    }
    void setEditorParameter(long, float) override {}

    // Changes a value of the patch without telling the engine.
    void set(int index, const char* text)
    {
        ZentrovaParameter* parameter = state.getParameter(index);
        parameter->setValue(parameter->valueFromText(text));
        state.checkSwitches(index, -1, false);
    }
    // The same with a normalised value (0..1).
    void set(int index, float normalised)
    {
        state.getParameter(index)->setValue(normalised);
        state.checkSwitches(index, -1, false);
    }
    // Sends the whole patch, as a program switch does.
    void postAll()
    {
        for (int i = 0; i < kParameterCount; ++i)
            setPseudoParameter(0, i, state.getParameter(i)->getEngineValue(), 0);
        state.checkSwitches(-1, 0, true);
    }
    // Sends one value, as a change from the host does.
    void post(int index, const char* text, std::int64_t time = 0)
    {
        set(index, text);
        setPseudoParameter(0, index, state.getParameter(index)->getEngineValue(), time);
        state.checkSwitches(index, 0, false);
    }

    ZentrovaState state;

private:
    ControlCue<VoiceEvent>* m_cues;
    const std::int64_t* m_tickPhase;
};
