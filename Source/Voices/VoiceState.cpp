#include "Source/Voices/VoiceState.h"

#include "Source/Voices/AuxModSettings.h"
#include "Source/Voices/GroupModulation.h"
#include "Source/Voices/NoteSettings.h"
#include "Source/Voices/OscillatorSettings.h"
#include "Source/Voices/VoiceControlSettings.h"
#include "dsp/Conversions.h"
#include "dsp/ModEnvelope.h"
#include "dsp/VoiceBuffers.h"

#include <algorithm>
#include <cstdlib>

namespace
{
// Auxiliary destinations.
enum AuxDestination
{
    kAuxOsc2Pitch = 1,
    kAuxPulseWidth1 = 2,
    kAuxPulseWidth2 = 3,
    kAuxPulseWidths = 4,
    kAuxFilterSeparation = 5,
    kAuxFilterResonance = 6,
    kAuxOscMix = 7,
    kAuxNoiseMix = 8,
};

constexpr int kWavePulse = 3;
constexpr int kWavePwm = 4;

// The filter index range is 256 steps of 32 units around a centre of 0.
constexpr std::int64_t kCutoffFloor = -4096;
constexpr std::int64_t kCutoffCeiling = 3840;
// Key tracking is centred on MIDI note 66 (in 1/256 semitones).
constexpr std::int64_t kTrackingCentre = 66 * 256;

std::uint32_t cutoffIndex(std::int64_t m)
{
    if (m < kCutoffFloor)
        return 0;
    if (m > kCutoffCeiling)
        return 255;
    return static_cast<std::uint32_t>((m + 4096) >> 5);
}

bool pwAffected(std::int64_t destination, int oscillator)
{
    return destination == kAuxPulseWidths || destination == (oscillator == 0 ? kAuxPulseWidth1 : kAuxPulseWidth2);
}
}

VoiceState::VoiceState()
    : m_pGroup(nullptr), m_pSettings(nullptr), m_index(0), m_lfoOutput{0, 0}, m_randomByte{128, 128}, m_auxSum(0),
      m_pwmPhase{0.0f, 0.0f}, m_glidePitch(60 * 65536), m_glideTarget(-1), m_glideStep(0), m_intervalFactor(1.0f),
      m_lastFilterWord(0), m_glideOutput(60 * 65536), m_unisonPosition(0.0f), m_glideSpreadIndex(0),
      m_pBuffers(nullptr)
{
}

VoiceState::~VoiceState() = default;

void VoiceState::init(int index, const NoteSettings* settings)
{
    m_index = index;
    m_pSettings = settings;
    for (int i = 0; i < 2; ++i)
    {
        m_lfo[i].bind(&settings->lfos[i]);
        m_lfo[i].follow(&settings->globalLfos[i]);
        m_lfo[i].setSpread(index);
    }
}

void VoiceState::copyGlide(const VoiceState& other)
{
    m_glidePitch = other.m_glidePitch;
    m_glideTarget = other.m_glideTarget;
    m_glideStep = other.m_glideStep;
    m_intervalFactor = other.m_intervalFactor;
    m_glideOutput = other.m_glideOutput;
}

void VoiceState::restartLfos()
{
    m_lfo[0].noteRestart();
    m_lfo[1].noteRestart();
}

void VoiceState::glideTick(int note, bool newPhrase, const VoiceControlSettings& control)
{
    const std::int64_t target = static_cast<std::int64_t>(note) << 16;
    const std::int64_t type = control.glideType;
    if (target == m_glideTarget && target == m_glidePitch)
    {
        // Arrived and the note unchanged: nothing moves. The step is only
        // read after a tick that sets it, so it is left as it is.
        m_glideOutput = (type & VoiceControlSettings::kGlideSemitones) ? ((target + 32768) & ~std::int64_t(0xFFFF))
                                                                       : target;
        return;
    }
    if ((type & VoiceControlSettings::kGlideFixedTime) && target != m_glideTarget)
    {
        const std::int64_t current = (m_glidePitch + 32768) >> 16;
        m_intervalFactor = static_cast<float>(std::max<std::int64_t>(std::llabs(note - current), 1)) / 12.0f;
    }
    m_glideTarget = target;
    const bool fixedTime = (type & VoiceControlSettings::kGlideFixedTime) != 0;
    const float spread = 1.0f + static_cast<float>(m_glideSpreadIndex) * control.glideSpread;
    const std::int64_t rate = control.effectiveGlideStep;
    m_glideStep = std::max<std::int64_t>(truncate(rate * (fixedTime ? m_intervalFactor : 1.0f) * spread), 1);

    if (target != m_glidePitch)
    {
        const bool jump = rate >= VoiceControlSettings::kInstantGlide ||
                          ((type & VoiceControlSettings::kGlideLegatoOnly) && newPhrase);
        if (jump)
            m_glidePitch = target;
        else if (m_glidePitch < target)
            m_glidePitch = std::min(m_glidePitch + m_glideStep, target);
        else
            m_glidePitch = std::max(m_glidePitch - m_glideStep, target);
    }
    m_glideOutput = (type & VoiceControlSettings::kGlideSemitones) ? ((m_glidePitch + 32768) & ~std::int64_t(0xFFFF))
                                                                   : m_glidePitch;
}

float VoiceState::pwmPhaseStep(const OscillatorSettings& oscillators, int i)
{
    // The two pulse-width LFOs run at slightly different rates.
    const float rate = static_cast<float>(oscillators.pulseWidth[i] + (i == 0 ? 40 : 45));
    return rate * oscillators.pwmRateFactor;
}

MixerGains VoiceState::mixerGains(float mix, float noise, float level, std::int64_t ringModulation)
{
    const float x = std::clamp(mix, 0.0f, 100.0f) * 0.01f;
    const float y = std::clamp(noise, 0.0f, 100.0f) * 0.01f;
    const float osc2Part = (1.0f - x * x) * level;
    const float noisePart = (1.0f - (1.0f - y) * (1.0f - y)) * osc2Part;
    const float noiseShare = (2.0f - static_cast<float>(ringModulation)) * 0.5f;
    MixerGains gains;
    gains.osc1 = (1.0f - (1.0f - x) * (1.0f - x)) * level;
    gains.osc2 = (1.0f - y * y) * osc2Part;
    gains.noise = noisePart * noiseShare;
    gains.ring = noisePart * (1.0f - noiseShare);
    return gains;
}

bool VoiceState::mixerGainsShared(const AuxModSettings& aux)
{
    return aux.destination != kAuxOscMix && aux.destination != kAuxNoiseMix;
}

float VoiceState::spreadPan(float spread) const
{
    if (spread >= 0.0f)
        return spread * m_unisonPosition;
    if (m_unisonPosition > 0.0f)
        return -spread;
    if (m_unisonPosition < 0.0f)
        return spread;
    return 0.0f;
}

void VoiceState::tick(int t, bool quick, const GroupModulation& group)
{
    m_lfo[0].tick();
    m_lfo[1].tick();
    for (int i = 0; i < 2; ++i)
    {
        m_pwmPhase[i] += group.pwmPhaseStep[i];
        if (m_pwmPhase[i] >= 2.0f)
            m_pwmPhase[i] -= 2.0f;
    }
    if (quick)
        return;
    const std::int64_t filterEnvelope =
        std::clamp<std::int64_t>(group.envelope[m_pSettings->filter->envelopeSource != 0 ? 1 : 0], 0,
                                 ModEnvelope::kTop);
    for (int i = 0; i < 2; ++i)
        m_lfoOutput[i] = m_lfo[i].output(m_randomByte[i], filterEnvelope, 1.0f);
    writeOutputs(t, group);
}

void VoiceState::skip(std::int64_t ticks)
{
    m_lfo[0].skip(ticks);
    m_lfo[1].skip(ticks);
}

void VoiceState::writeOutputs(int t, const GroupModulation& group)
{
    const OscillatorSettings& osc = *m_pSettings->oscillators;
    const AuxModSettings& aux = *m_pSettings->aux;
    const FilterBank::Settings& filter = *m_pSettings->filter;
    VoiceBuffers& out = *m_pBuffers;

    const std::int64_t lfo1 = m_lfoOutput[0];
    const std::int64_t lfo2 = m_lfoOutput[1];
    const std::int64_t fade1 = group.fade[0] >> 13;
    const std::int64_t fade2 = group.fade[1] >> 13;
    // An LFO pair weighted w / 4 toward LFO 2, each with its depth grown by
    // its intro and by the controller term c.
    auto lfoSum = [&](std::int64_t w, std::int64_t depth, std::int64_t c, int shift) {
        return (((w * lfo2 * (fade2 * depth + c)) >> shift) + (((4 - w) * lfo1 * (fade1 * depth + c)) >> shift)) >>
               2;
    };
    // Summed, a controller moves its destination directly, as an LFO at
    // full swing would; otherwise it deepens the LFO.
    auto modulation = [&](bool sum, std::int64_t w, std::int64_t depth, std::int64_t c, int shift) {
        return sum ? lfoSum(w, depth, 0, shift) + ((4 * 128 * c) >> (shift + 2)) : lfoSum(w, depth, c, shift);
    };
    auto envelope = [&](std::int64_t source) { return group.envelope[source != 0 ? 1 : 0]; };

    // Auxiliary modulation: 16.16 semitones for a pitch, else about 2^20 at
    // full scale, so that >> 12 gives the destination's own units.
    m_auxSum = modulation(aux.sum, aux.lfoMix, aux.scaledLfoAmount, group.auxControl, 6) +
               (envelope(aux.envelopeSource) >> 12) * aux.scaledEnvelopeAmount;
    const std::int64_t auxUnits = m_auxSum >> 12;

    // Mixer gains.
    const MixerGains gains =
        group.gainsShared
            ? group.gains
            : mixerGains(osc.oscMix + static_cast<float>(aux.destination == kAuxOscMix ? auxUnits : 0),
                         osc.noiseMix + static_cast<float>(aux.destination == kAuxNoiseMix ? auxUnits : 0), group.level,
                         osc.ringModulation);
    out.osc1Gain[t] = gains.osc1;
    out.osc2Gain[t] = gains.osc2;
    out.noiseGain[t] = gains.noise;
    out.ringGain[t] = gains.ring;

    // Pulse widths (0..1024).
    for (int i = 0; i < 2; ++i)
    {
        const bool affected = pwAffected(aux.destination, i);
        std::int64_t width;
        if (osc.wave[i] == kWavePwm)
        {
            const float phase = m_pwmPhase[i];
            const float triangle = phase < 1.0f ? phase - 0.5f : 1.5f - phase;
            const float depth =
                std::clamp((affected ? static_cast<float>(m_auxSum) * 9.6542615e-5f : 0.0f) +
                               2.0f * static_cast<float>(osc.pulseWidth[i]) - 100.0f,
                           0.0f, 98.0f);
            width = truncate((depth * triangle + 50.0f) * 10.24f + 0.5f);
        }
        else
        {
            width = osc.pulseWidth16[i] + (affected && osc.wave[i] == kWavePulse ? (m_auxSum >> 11) : 0);
        }
        const auto value = static_cast<std::int16_t>(std::clamp<std::int64_t>(width, 10, 1013));
        (i == 0 ? out.pulseWidth1 : out.pulseWidth2)[t] = value;
    }

    // Pitches.
    const std::int64_t pitchLfo =
        modulation(osc.pitchModSum, osc.pitchLfoMix, osc.lfoToPitch, group.pitchControl, 6);
    const std::int64_t pitchMod =
        (envelope(osc.pitchEnvelopeSource) >> 12) * osc.envelopeToPitch + group.bend + pitchLfo;
    const std::int64_t base = m_glideOutput + osc.masterPitchOffset + kPitchRounding;
    const std::int64_t detune = truncate(static_cast<float>(osc.unisonDetune) * m_unisonPosition);
    // Semitones down are negative: scaled by multiplying, as shifting them is undefined.
    const std::int64_t osc2Offset = static_cast<std::int64_t>(osc.osc2Octave * 12 + osc.osc2Transpose) * 65536 +
                                    osc.osc2Detune +
                                    static_cast<std::int64_t>(group.secondNote - group.note) * 65536;
    const std::int64_t osc2Mod = aux.destinationIsPitch ? group.bend + m_auxSum : pitchMod;
    out.pitch1[t] = static_cast<std::int32_t>(std::clamp<std::int64_t>(base + pitchMod + detune, 0, INT32_MAX));
    out.pitch2[t] =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(base + osc2Mod + osc2Offset + detune, 0, INT32_MAX));

    // Filter word: cutoff of filters A and B around the shared damping.
    const std::int64_t lfoTerm = lfoSum(filter.lfoMix, filter.lfoAmount, group.filterControl, 12);
    const std::int64_t envelopeTerm = ((envelope(filter.envelopeSource) >> 8) * filter.envelopeAmount) >> 8;
    const std::int64_t tracking =
        (((m_glideOutput >> 8) - kTrackingCentre) * filter.keyTracking + group.cutoffControl) >> 8;
    const std::int64_t cutoff =
        std::clamp(((lfoTerm + (envelopeTerm >> 1)) >> 1) +
                       ((static_cast<std::int64_t>(filter.frequency) * 128 - 16384 + tracking) >> 2),
                   kCutoffFloor, kCutoffCeiling);
    const std::int64_t separation =
        4 * (filter.separation + (aux.destination == kAuxFilterSeparation ? auxUnits : 0)) + group.separationControl;
    const std::uint32_t lower = cutoffIndex(cutoff - separation);
    const std::uint32_t upper = cutoffIndex(cutoff + separation);
    const std::int64_t resonance =
        std::clamp<std::int64_t>(filter.resonance + group.resonanceControl +
                                     (aux.destination == kAuxFilterResonance ? auxUnits : 0),
                                 0, 255);
    const auto damping = static_cast<std::uint32_t>(255 - resonance);
    m_lastFilterWord = lower | (damping << 8) | (upper << 16) | (damping << 24);
    out.filterParameters[t] = m_lastFilterWord;
}

void VoiceState::repeatFilterWord()
{
    if (m_pBuffers && m_pBuffers->filterParameters)
        m_pBuffers->filterParameters[0] = m_lastFilterWord;
}
