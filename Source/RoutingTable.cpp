#include "Source/RoutingTable.h"

#include "Source/Voices/EventCodes.h"
#include "Source/parameters/ParameterIndices.h"

#include <algorithm>
#include <iterator>

namespace
{
struct Route
{
    long first;
    long last;
    std::uint32_t mask;
};

constexpr std::uint32_t kAmpAndVoice = RoutingTable::kAmpBank | RoutingTable::kVoiceParameters;
constexpr std::uint32_t kVoiceAndKeyboard = RoutingTable::kVoiceParameters | RoutingTable::kKeyboard;
constexpr std::uint32_t kAmpVoiceAndKeyboard = kAmpAndVoice | RoutingTable::kKeyboard;

using namespace Param;

// Ranges of consecutive numbers that share their destinations.
constexpr Route kRoutes[] = {
    {FilterType, FilterEnvSource, RoutingTable::kVoiceParameters},
    {Volume, Volume, RoutingTable::kEffects},
    {Osc1Waveform, MasterOctave, RoutingTable::kVoiceParameters},
    {Triggering, Triggering, RoutingTable::kKeyboard},
    {Tempo, GateTime, RoutingTable::kTempo},
    {Function, Function, kAmpVoiceAndKeyboard},
    {KbdVelToAttack, KbdVelToRelease, kAmpAndVoice},
    {KbdVelToDrive, KbdVelToFilter, RoutingTable::kVoiceParameters},
    {AmpAttack, AmpRelease, kAmpAndVoice},
    {FilterAttack, FilterDelay, RoutingTable::kVoiceParameters},
    {Arpeggio, ChordMemory, RoutingTable::kKeyboard},
    {TempoExternal, TempoExternal, RoutingTable::kTempo},
    {ChorusLevel, EffectActive, RoutingTable::kEffects},
    {OscMix, PitchEnvSource, RoutingTable::kVoiceParameters},
    {ChorusRate, DelayFeedbackMode, RoutingTable::kEffects},
    {UnisonMode, UnisonMode, kAmpVoiceAndKeyboard},
    {UnisonDetune, NoiseType, RoutingTable::kVoiceParameters},
    {GlideSpread, GlideSpread, kVoiceAndKeyboard},
    {PanMode, PanSpread, RoutingTable::kVoiceParameters},
    {W1Fund, kParameterCount - 1, RoutingTable::kVoiceParameters},
    {EventCode::ModWheel, EventCode::PitchBend, RoutingTable::kVoiceParameters},
    {EventCode::ClockGateOn, EventCode::ScreenKeyboardNote, RoutingTable::kKeyboard},
    {EventCode::LfoSyncNextTick, EventCode::LfoSyncPeriod, RoutingTable::kVoiceParameters},
    {EventCode::ProgramLoad, EventCode::ProgramSwitched, RoutingTable::kKeyboard},
};
} // namespace

RoutingTable::RoutingTable()
{
    std::fill(std::begin(m_masks), std::end(m_masks), 0u);
    for (const Route& route : kRoutes)
        for (long index = route.first; index <= route.last; ++index)
            m_masks[index] = route.mask;
}
