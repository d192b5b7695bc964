#include "Source/Voices/AmpBank.h"

#include "Source/Voices/EventCodes.h"
#include "Source/Voices/NoteControl.h"
#include "Source/Voices/VoiceState.h"
#include "Source/parameters/EngineValue.h"
#include "Source/parameters/ParameterIndices.h"
#include "dsp/VoiceBuffers.h"
#include "simd/SystemInfo.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace
{
bool isSet(const std::uint64_t* bits, int i)
{
    return ((bits[i >> 6] >> (i & 63)) & 1) != 0;
}

// A time or amount from an event, when it is a usable positive number.
bool positive(float value)
{
    return std::isfinite(value) && value > 0.0f;
}
}

AmpBank::AmpBank()
    : m_function(0), m_unisonMode(0), m_pCue(nullptr), m_attackChanged(false), m_decayChanged(false),
      m_releaseChanged(false), m_sustainChanged(false), m_inputs{}, m_pGroups(nullptr)
{
    const SimdPath path = SystemInfo().simdPath();
    if (path == SimdPath::Avx512)
        m_settings.panSteady = panSteadyLevelWide;
    else if (path == SimdPath::Avx2)
        m_settings.panSteady = panSteadyLevelAvx2;
    for (int v = 0; v < kVoices; ++v)
        m_amps[v].bind(&m_settings, &m_tables[v]);
}

AmpBank::~AmpBank() = default;

void AmpBank::setSampleRate(float hostRate)
{
    if (positive(hostRate))
        m_settings.setSampleRate(hostRate);
}

void AmpBank::setInputs(const VoiceBuffers* records)
{
    for (int v = 0; v < kVoices; ++v)
        m_inputs[v] = records[v].filterOutput;
}

void AmpBank::reset()
{
    m_attackChanged = m_decayChanged = m_releaseChanged = m_sustainChanged = false;
    for (Amp& amp : m_amps)
        amp.reset();
}

template <typename Action>
void AmpBank::forEachAddressedVoice(std::int64_t value, Action action)
{
    if (!m_pGroups)
        return;
    for (int g = 0; g < kGroups; ++g)
    {
        if (((value >> (EventCode::kGroupMaskShift + g)) & 1) == 0)
            continue;
        NoteControl& group = m_pGroups[g];
        action(group);
    }
}

void AmpBank::apply(const VoiceEvent& event)
{
    const float f = engineValueAsFloat(event.value);
    switch (event.code)
    {
    case Param::Function:
        m_function = event.value;
        break;
    case Param::UnisonMode:
        m_unisonMode = event.value;
        break;
    case Param::KbdVelToAttack:
        if (positive(f))
            m_settings.velAttack = std::log(1.0f / f) * 0.015625f;
        break;
    case Param::KbdVelToRelease:
        if (positive(f))
            m_settings.velRelease = std::log(1.0f / f) * 0.015625f;
        break;
    case Param::AmpAttack:
        if (positive(f))
        {
            m_settings.attack = f;
            m_attackChanged = true;
        }
        break;
    case Param::AmpDecay:
        if (positive(f))
        {
            m_settings.decay = f;
            m_decayChanged = true;
        }
        break;
    case Param::AmpRelease:
        if (positive(f))
        {
            m_settings.release = f;
            m_releaseChanged = true;
        }
        break;
    case Param::AmpSustain:
        if (std::isfinite(f))
        {
            m_settings.sustain = std::clamp(f, m_settings.floor(), m_settings.unity);
            m_sustainChanged = true;
        }
        break;
    case EventCode::GateOn:
        forEachAddressedVoice(event.value, [&](NoteControl& group) {
            const int velocity = static_cast<int>(event.value & 255);
            const float offset = group.nextPanOffset();
            for (int i = 0; i < group.voiceCount(); ++i)
                m_amps[group.voice(i).index()].start(velocity, group.voicePan(i, offset));
        });
        break;
    case EventCode::GateOff:
        forEachAddressedVoice(event.value, [&](NoteControl& group) {
            for (int i = 0; i < group.voiceCount(); ++i)
                m_amps[group.voice(i).index()].gateOff(static_cast<int>(event.value & 255));
        });
        break;
    case EventCode::EnvelopeRestart:
        forEachAddressedVoice(event.value, [&](NoteControl& group) {
            for (int i = 0; i < group.voiceCount(); ++i)
                m_amps[group.voice(i).index()].restartFromFloor();
        });
        break;
    case EventCode::Hold2Pedal:
        m_settings.hold2 = event.value;
        m_releaseChanged = true;
        break;
    default:
        break;
    }
}

void AmpBank::applyEventsUpTo(std::int64_t time)
{
    // An event stamped earlier than the current time (the queue's lanes are
    // not merged by time) is applied now rather than never.
    while (m_event.time >= 0 && m_event.time <= time)
    {
        apply(m_event);
        m_event = m_pCue->pop();
    }
}

void AmpBank::applyChanges()
{
    if (!(m_attackChanged || m_decayChanged || m_releaseChanged || m_sustainChanged))
        return;
    for (Amp& amp : m_amps)
    {
        if (m_attackChanged)
            amp.attackChanged();
        if (m_decayChanged)
            amp.decayChanged();
        if (m_releaseChanged)
            amp.releaseChanged();
        if (m_sustainChanged && amp.stage() != Amp::kIdle)
            amp.sustainChanged();
    }
    m_attackChanged = m_decayChanged = m_releaseChanged = m_sustainChanged = false;
}

void AmpBank::process(ControlCue<VoiceEvent>& cue, float* mix, int frames, std::uint64_t* activeMask,
                      std::int64_t* stageMasks, float* levels, std::int64_t inputOffset)
{
    m_pCue = &cue;
    m_event = cue.pop();
    constexpr std::int64_t kAfterBlock = std::numeric_limits<std::int64_t>::max();
    if ((activeMask[0] | activeMask[1]) == 0)
    {
        std::fill(mix, mix + 4 * static_cast<std::size_t>(frames), 0.0f);
    }
    else
    {
        for (std::int64_t t = 0; t < frames;)
        {
            applyEventsUpTo(t);
            const std::int64_t next = m_event.time < 0 ? frames : std::min<std::int64_t>(m_event.time, frames);
            applyChanges();
            const int count = static_cast<int>(2 * (next - t));
            bool first = true;
            for (int v = 0; v < kVoices; ++v)
            {
                if (!isSet(activeMask, v) || !m_inputs[v])
                    continue;
                m_amps[v].render(m_inputs[v] - inputOffset + 2 * t, mix + 4 * t, count, !first);
                first = false;
            }
            if (first)
                std::fill(mix + 4 * t, mix + 4 * next, 0.0f);
            t = next;
        }
    }
    applyEventsUpTo(kAfterBlock);
    applyChanges();
    m_pCue = nullptr;

    std::fill(stageMasks, stageMasks + kStageMasks, 0);
    for (int g = 0; g < kGroups; ++g)
    {
        int stage = Amp::kIdle;
        float level = 0.0f;
        if (m_pGroups && m_pGroups[g].voiceCount() > 0)
        {
            NoteControl& group = m_pGroups[g];
            level = m_amps[group.voice(0).index()].level();
            for (int i = 0; i < group.voiceCount(); ++i)
                stage = std::max<int>(stage, m_amps[group.voice(i).index()].stage());
        }
        levels[g] = level;
        stageMasks[stage] |= std::int64_t(1) << g;
    }
    activeMask[0] = activeMask[1] = 0;
    for (int v = 0; v < kVoices; ++v)
        if (m_amps[v].stage() != Amp::kIdle || m_amps[v].startPending())
            activeMask[v >> 6] |= std::uint64_t(1) << (v & 63);
}
