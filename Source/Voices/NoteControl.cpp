#include "Source/Voices/NoteControl.h"

#include "Source/Voices/AuxModSettings.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Voices/NoteSettings.h"
#include "Source/Voices/OscillatorSettings.h"
#include "Source/Voices/Voice.h"
#include "Source/Voices/VoiceControlSettings.h"
#include "Source/Voices/VoiceEvent.h"
#include "Source/Voices/VoicePool.h"
#include "Source/Voices/VoiceState.h"
#include "dsp/Conversions.h"
#include "dsp/LfoParameters.h"
#include "dsp/ModEnvelope.h"
#include "dsp/Random.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace
{
constexpr std::int64_t kControllerTop = 2600;
constexpr std::int64_t kIntroTop = 0xFFFFFF;

// A MIDI byte in the engine's controller unit: 127 becomes 2600.
std::int64_t controllerLevel(std::int64_t value)
{
    const std::int64_t byte = std::min<std::int64_t>(value & 255, 127);
    return truncate(static_cast<double>(static_cast<float>(byte) * 20.47f + 0.5f));
}

void setBit(std::uint64_t* bits, int i)
{
    bits[i >> 6] |= std::uint64_t(1) << (i & 63);
}

void clearBit(std::uint64_t* bits, int i)
{
    bits[i >> 6] &= ~(std::uint64_t(1) << (i & 63));
}
}

NoteControl::NoteControl()
    : m_index(0), m_pFreeVoices(nullptr), m_voices{}, m_voiceMask{0, 0}, m_voiceCount(0), m_voicesChanged(true),
      m_pSettings(nullptr), m_pAllocator(nullptr), m_newPhrase(false), m_note(60), m_secondNote(60), m_velocity(0),
      m_velocityAmount{1.0f, 1.0f}, m_bend(0), m_bendTarget(0), m_bendMoving(false), m_gate(false), m_controllers{},
      m_introDelay{0, 0}, m_introFade{0, 0}
{
}

NoteControl::~NoteControl() = default;

void NoteControl::setup(int index, const NoteSettings* settings, Voice* allocator, std::uint64_t* freeVoices)
{
    m_index = index;
    m_pSettings = settings;
    m_pAllocator = allocator;
    m_pFreeVoices = freeVoices;
    m_envelopes[0].reset(new ModEnvelope(&settings->envelopes[0]));
    m_envelopes[1].reset(new ModEnvelope(&settings->envelopes[1]));
}

bool NoteControl::addressed(std::int64_t value) const
{
    return ((value >> (EventCode::kGroupMaskShift + m_index)) & 1) != 0;
}

void NoteControl::setController(Controller which, std::int64_t value)
{
    m_controllers[which] = controllerLevel(value);
    m_controllers[kPressureSum] =
        std::min(m_controllers[kChannelPressure] + m_controllers[kKeyPressure], kControllerTop);
}

void NoteControl::processEvent(const VoiceEvent& event)
{
    const std::int64_t value = event.value;
    VoiceControlSettings& control = *m_pSettings->control;
    switch (event.code)
    {
    case EventCode::ModWheel:
        if (addressed(value))
            setController(kModWheel, value);
        break;
    case EventCode::Expression:
        if (addressed(value))
            setController(kExpression, value);
        break;
    case EventCode::ChannelPressure:
        if (addressed(value))
            setController(kChannelPressure, value);
        break;
    case EventCode::KeyPressure:
        if (addressed(value))
            setController(kKeyPressure, value);
        break;
    case EventCode::GateOn:
        if (addressed(value))
            gateOn();
        break;
    case EventCode::GateOff:
        if (addressed(value))
        {
            m_envelopes[0]->gateOff();
            m_envelopes[1]->gateOff();
            m_gate = false;
        }
        break;
    case EventCode::EnvelopeRestart:
        if (addressed(value))
        {
            m_envelopes[0]->restart();
            m_envelopes[1]->restart();
        }
        break;
    case EventCode::NewPhrase:
        if (value == m_index)
            m_newPhrase = true;
        break;
    case EventCode::NoteStart:
        if (addressed(value))
            noteStart(value);
        break;
    case EventCode::DuoNoteChange:
        if (addressed(value))
            m_secondNote = static_cast<int>(value & 127);
        break;
    case EventCode::DuoMode:
        if (m_index == 0)
            control.duo = value == 1;
        // Every group drops its second note, not only the one that keeps the
        // shared flag.
        if (value != 1)
            m_secondNote = m_note;
        break;
    case EventCode::VoiceAllocation:
        if (m_index == 0)
        {
            control.bendToAll = (value & 255) != 0;
            if (m_pAllocator)
                m_pAllocator->setVoiceMode(static_cast<int>((value >> 8) & 255), static_cast<int>(value & 255));
        }
        break;
    case EventCode::PortamentoSwitch:
        if (m_index == 0)
            control.setPortamento(value != 0);
        break;
    case EventCode::Hold2Pedal:
        // Every group's envelopes follow the pedal.
        m_envelopes[0]->hold2Changed();
        m_envelopes[1]->hold2Changed();
        break;
    default:
        break;
    }
}

void NoteControl::gateOn()
{
    m_gate = true;
    if (m_voicesChanged)
    {
        for (int i = 0; i < m_voiceCount; ++i)
            clearBit(m_pFreeVoices, m_voices[i]->index());
        m_voicesChanged = false;
    }
    m_envelopes[0]->gateOn();
    m_envelopes[1]->gateOn();
    m_modulation.envelope[0] = 0;
    m_modulation.envelope[1] = 0;
    for (int i = 0; i < 2; ++i)
    {
        m_introDelay[i] = 0;
        m_introFade[i] = 0;
    }
    for (int i = 0; i < m_voiceCount; ++i)
        m_voices[i]->restartLfos();
}

void NoteControl::noteStart(std::int64_t value)
{
    const VoiceControlSettings& control = *m_pSettings->control;
    if (m_voicesChanged)
    {
        for (int i = 0; i < m_voiceCount; ++i)
            clearBit(m_pFreeVoices, m_voices[i]->index());
        m_voicesChanged = false;
    }
    m_note = static_cast<int>(value & 127);
    m_velocity = static_cast<int>((value >> 8) & 255);
    const float velocity = static_cast<float>(m_velocity);
    m_velocityAmount[0] = control.driveVelocityFixed + control.driveVelocityPer * velocity;
    m_velocityAmount[1] = control.env2VelocityFixed + control.env2VelocityPer * velocity;
    m_envelopes[0]->setVelocity(m_velocity);
    m_envelopes[1]->setVelocity(m_velocity);
    if (!control.duo)
        m_secondNote = m_note;
}

void NoteControl::setBendTarget(std::int64_t value)
{
    if (value == m_bendTarget)
        return;
    m_bendTarget = value;
    m_bendMoving = true;
}

void NoteControl::reset()
{
    std::fill(std::begin(m_controllers), std::end(m_controllers), 0);
    m_modulation.envelope[0] = 0;
    m_modulation.envelope[1] = 0;
    m_envelopes[0]->reset();
    m_envelopes[1]->reset();
    m_envelopes[0]->gateOff();
    m_envelopes[1]->gateOff();
    m_gate = false;
    m_bend = 0;
    m_bendTarget = 0;
    m_bendMoving = false;
}

void NoteControl::tick(int t, bool quick)
{
    if (m_bendMoving)
    {
        const std::int64_t distance = m_bendTarget - m_bend;
        const std::int64_t step = std::max<std::int64_t>(std::llabs(distance) >> 5, 2047);
        if (std::llabs(distance) > step)
        {
            m_bend += distance > 0 ? step : -step;
        }
        else
        {
            m_bend = m_bendTarget;
            m_bendMoving = false;
        }
    }

    const VoiceControlSettings& control = *m_pSettings->control;
    for (int i = 0; i < m_voiceCount; ++i)
        m_voices[i]->glideTick(m_note, m_newPhrase, control);
    m_newPhrase = false;

    m_envelopes[0]->tick();
    m_envelopes[1]->tick();
    for (int i = 0; i < 2; ++i)
    {
        const std::int64_t step = m_pSettings->lfos[i].introStep;
        if (m_introDelay[i] < kIntroTop)
            m_introDelay[i] = std::min(m_introDelay[i] + step, kIntroTop);
        else
            m_introFade[i] = std::min(m_introFade[i] + step, kIntroTop);
    }

    if (!quick)
        updateModulation();
    for (int i = 0; i < 2; ++i)
        m_modulation.pwmPhaseStep[i] = VoiceState::pwmPhaseStep(*m_pSettings->oscillators, i);
    for (int i = 0; i < m_voiceCount; ++i)
        m_voices[i]->tick(t, quick, m_modulation);
}

bool NoteControl::isAtRest() const
{
    if (m_bendMoving || m_envelopes[0]->state() != ModEnvelope::kIdle ||
        m_envelopes[1]->state() != ModEnvelope::kIdle)
        return false;
    for (int i = 0; i < m_voiceCount; ++i)
        if (!m_voices[i]->glideSettled(m_note) || !m_voices[i]->canSkip())
            return false;
    return true;
}

void NoteControl::skip(std::int64_t ticks)
{
    if (ticks <= 0)
        return;
    // The glides have arrived: one tick does what any number would.
    const VoiceControlSettings& control = *m_pSettings->control;
    for (int i = 0; i < m_voiceCount; ++i)
        m_voices[i]->glideTick(m_note, m_newPhrase, control);
    m_newPhrase = false;
    for (int i = 0; i < 2; ++i)
    {
        const std::int64_t step = m_pSettings->lfos[i].introStep;
        std::int64_t left = ticks;
        if (m_introDelay[i] < kIntroTop)
        {
            if (step <= 0)
            {
                m_introDelay[i] += step * left;
                left = 0;
            }
            else
            {
                const std::int64_t used = std::min(left, (kIntroTop - m_introDelay[i] + step - 1) / step);
                m_introDelay[i] = std::min(m_introDelay[i] + used * step, kIntroTop);
                left -= used;
            }
        }
        if (left > 0)
        {
            if (step <= 0)
                m_introFade[i] = std::min(m_introFade[i] + step * left, kIntroTop);
            else if (left >= (kIntroTop - m_introFade[i] + step - 1) / step)
                m_introFade[i] = kIntroTop;
            else
                m_introFade[i] = m_introFade[i] + left * step;
        }
    }
    for (int i = 0; i < 2; ++i)
        m_modulation.pwmPhaseStep[i] = VoiceState::pwmPhaseStep(*m_pSettings->oscillators, i);
    for (int i = 0; i < m_voiceCount; ++i)
        m_voices[i]->skip(ticks);
}

void NoteControl::updateModulation()
{
    const VoiceControlSettings& control = *m_pSettings->control;
    const OscillatorSettings& osc = *m_pSettings->oscillators;
    const AuxModSettings& aux = *m_pSettings->aux;
    const FilterBank::Settings& filter = *m_pSettings->filter;

    // The routing sources: 0 mod wheel, 1 pressure, 2 expression, 3 velocity.
    auto routingSource = [&](std::int64_t source) -> float {
        switch (source)
        {
        case 0:
            return static_cast<float>(m_controllers[kModWheel]);
        case 1:
            return static_cast<float>(m_controllers[kPressureSum]);
        case 2:
            return static_cast<float>(m_controllers[kExpression]);
        case 3:
            return static_cast<float>(m_velocity * 20);
        default:
            return 0.0f;
        }
    };
    // The LFO depth controllers: 0 mod wheel, 1 expression, 2 pressure.
    auto depthSource = [&](std::int64_t source) -> std::int64_t {
        switch (source)
        {
        case 0:
            return m_controllers[kModWheel];
        case 1:
            return m_controllers[kExpression];
        case 2:
            return m_controllers[kPressureSum];
        default:
            return 0;
        }
    };
    float routed[7] = {};
    for (int r = 0; r < 2; ++r)
    {
        const std::int64_t destination = control.controllerDestination[r];
        if (destination >= 0 && destination < 7)
            routed[destination] += control.controllerAmount[r] * routingSource(control.controllerSource[r]);
    }

    GroupModulation& g = m_modulation;
    g.note = m_note;
    g.secondNote = m_secondNote;
    g.bend = m_bend;
    g.envelope[0] = m_envelopes[0]->level();
    g.envelope[1] = truncate(static_cast<double>(m_envelopes[1]->level()) * std::max(m_velocityAmount[1], 0.0f));
    g.fade[0] = m_introFade[0];
    g.fade[1] = m_introFade[1];
    g.level = std::max(0.0f, osc.drive * m_velocityAmount[0] + routed[0] * (1.0f / 2560.0f));
    g.pitchControl = depthSource(osc.pitchControllerSource) * osc.controllerToPitch + truncate(routed[4] * 111.0f);
    g.filterControl =
        depthSource(control.filterControllerSource) * filter.controllerAmount + truncate(routed[5] * 127.0f);
    g.auxControl = depthSource(aux.controllerSource) * aux.scaledControllerAmount + truncate(routed[6] * 111.0f);
    g.cutoffControl = truncate(routed[1] * 3276.8f);
    g.separationControl = truncate(routed[2] * 409.6f) >> 10;
    g.resonanceControl = truncate(routed[3] * 409.6f) >> 12;
    g.gainsShared = VoiceState::mixerGainsShared(aux);
    if (g.gainsShared)
        g.gains = VoiceState::mixerGains(osc.oscMix, osc.noiseMix, g.level, osc.ringModulation);
}

void NoteControl::addVoice(VoiceState* voice)
{
    if (m_voiceCount >= kMaxVoices)
        return;
    voice->setGroup(this);
    voice->setGlideSpreadIndex((m_voiceCount % 2 == 1 ? 1 : -1) * m_voiceCount);
    if (m_voiceCount > 0)
        voice->copyGlide(*m_voices[0]);
    m_voices[m_voiceCount++] = voice;
    m_voicesChanged = true;
    setBit(m_voiceMask, voice->index());
}

VoiceState* NoteControl::takeVoice()
{
    if (m_voiceCount == 0)
        return nullptr;
    VoiceState* voice = m_voices[--m_voiceCount];
    m_voices[m_voiceCount] = nullptr;
    voice->setGroup(nullptr);
    clearBit(m_voiceMask, voice->index());
    setBit(m_pFreeVoices, voice->index());
    if (Oscillators* section = m_pSettings->oscillators->oscillatorSection)
    {
        std::uint32_t seed = static_cast<std::uint32_t>(randomInt()) * 65536u;
        seed += static_cast<std::uint32_t>(randomInt());
        section->seedVoice(voice->index(), seed);
    }
    return voice;
}

void NoteControl::setVoiceCount(int n, VoicePool& pool)
{
    n = std::clamp(n, 0, kMaxVoices);
    while (m_voiceCount < n && pool.count > 0)
        addVoice(pool.pop());
    computeUnisonPositions();
}

void NoteControl::returnVoices(int n, VoicePool& pool)
{
    n = std::max(n, 0);
    while (m_voiceCount > n)
        pool.push(takeVoice());
    computeUnisonPositions();
}

void NoteControl::computeUnisonPositions()
{
    int i = 0;
    int remaining = m_voiceCount;
    if (remaining % 2 == 1)
    {
        m_voices[i++]->setUnisonPosition(0.0f);
        --remaining;
    }
    if (remaining == 0)
        return;
    const float step = 2.0f / static_cast<float>(remaining);
    for (int k = 1; i + 1 < m_voiceCount; ++k, i += 2)
    {
        m_voices[i]->setUnisonPosition(static_cast<float>(k) * step);
        m_voices[i + 1]->setUnisonPosition(-static_cast<float>(k) * step);
    }
}

float NoteControl::nextPanOffset()
{
    VoiceControlSettings& control = *m_pSettings->control;
    const float amount = control.panSpread * 0.01f;
    switch (control.panMode)
    {
    case 1: // keyboard
        return static_cast<float>(m_note - 60) / 24.0f * amount;
    case 2: // random
        return (static_cast<float>(randomInt()) / static_cast<float>(kRandomMax) * 2.0f - 1.0f) * amount;
    case 3: // alternate
        return m_index % 2 == 0 ? amount : -amount;
    case 4: // a fixed side per note
        return control.randomFlags[m_note & 127] ? amount : -amount;
    case 5: // balance: the side that evens out the groups sounding
    {
        const std::int32_t sign = control.panCounter >= 0 ? -1 : 1;
        control.panCounter += sign - control.panPositions[m_index];
        control.panPositions[m_index] = sign;
        return amount * static_cast<float>(sign);
    }
    default:
        return 0.0f;
    }
}

float NoteControl::voicePan(int i, float offset) const
{
    const float spread = static_cast<float>(m_pSettings->control->unisonSpread) * 0.01f;
    return std::clamp(m_voices[i]->spreadPan(spread) + offset, -1.0f, 1.0f);
}
