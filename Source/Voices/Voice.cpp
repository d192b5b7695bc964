#include "Source/Voices/Voice.h"

#include "Source/Voices/EventCodes.h"
#include "Source/Voices/ParameterScaling.h"
#include "Source/parameters/EngineValue.h"
#include "Source/parameters/ParameterIndices.h"
#include "dsp/AlignedMemory.h"
#include "dsp/Conversions.h"
#include "dsp/ModEnvelope.h"
#include "dsp/SilentAudioInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>
#include <type_traits>

namespace
{
bool isSet(const std::uint64_t* bits, int i)
{
    return ((bits[i >> 6] >> (i & 63)) & 1) != 0;
}

void drain(ControlCue<VoiceEvent>& cue)
{
    for (VoiceEvent event = cue.pop(); event.time >= 0; event = cue.pop())
    {
    }
}

// Steps per tick that cover the 24-bit envelope range in the given time.
std::int64_t envelopeStep(float seconds, float hostRate)
{
    return std::max<std::int64_t>(truncate(536870912.0 / (static_cast<double>(seconds) * hostRate + 0.5)), 1);
}

std::int64_t clampLevel(std::int64_t level)
{
    return std::clamp<std::int64_t>(level, 0, ModEnvelope::kTop);
}

constexpr std::int64_t kLfoCodes = 4;
// The filter's glide targets run 0..255.
constexpr float kFilterTargetTop = 255.0f;
// The separation parameter's range in semitones.
constexpr float kSeparationRange = 24.0f;
// Key tracking in 256ths.
constexpr float kKeyTrackingUnity = 256.0f;
// The amplifier's sustain reaches the envelope's top; the filter's sustain
// moves in hundredths of 2^24.
constexpr double kSustainTop = static_cast<double>(ModEnvelope::kTop);
constexpr double kSustainPercentStep = 167772.16;
// A tick in samples at the engine's rate, twice the host's.
constexpr std::int64_t kEngineTickSamples = Engine::kTickSamples;
// The bend range in 256ths of a semitone; the target takes it in 64ths of
// the bend.
constexpr std::int64_t kBendRangeUnitsPerSemitone = 256;
constexpr int kBendTargetShift = 6;
}

void* Voice::operator new(std::size_t size)
{
    void* memory = ::operator new(size);
    populatePages(memory, size);
    return memory;
}

void Voice::operator delete(void* p)
{
    ::operator delete(p);
}

Voice::Voice(bool hasAudioInput)
    : m_renderMask{0, 0}, m_freeVoices{~std::uint64_t(0), ~std::uint64_t(0)}, m_pOscillators(OscillatorsFloat::create()),
      m_pMixer(new OscillatorMixer), m_bends{}, m_bendRange(2 * 256), m_filterTarget{0, 0, 0},
      m_filterStep{0, 0, 0}, m_filterGlideActive(0), m_filterGlideCounter(0), m_filterSettling(true),
      m_pAudioInput(hasAudioInput ? new AudioInput : new SilentAudioInput),
      m_sampleRate(44100.0f), m_wavesStale(true), m_blockSize(0), m_tickCapacity(0), m_blockTicks(0), m_carry(0), m_restTicks(0),
      m_resting(false), m_restPwmStep{0.0f, 0.0f}, m_restPwmPhases{}, m_restPwmCount{0, 0}, m_restPwmIndex{},
      m_renderedNone(true), m_tickOffset(0),
      m_voiceMode(-1), m_polyphony(-1), m_pControlCue(nullptr), m_pNoteCue(nullptr), m_buffers{}, m_hold2Scale(2.0f),
      m_hold2ScaleInForce(0.0f)
{
    m_oscillatorSettings.oscillatorSection = m_pOscillators.get();
    m_pOscillators->setAudioInput(m_pAudioInput.get());

    m_noteSettings.oscillators = &m_oscillatorSettings;
    m_noteSettings.control = &m_controlSettings;
    m_noteSettings.aux = &m_auxSettings;
    m_noteSettings.filter = &m_filterBank.settings();
    m_noteSettings.envelopes = m_envelopeParameters;
    m_noteSettings.lfos = m_lfoParameters;
    m_noteSettings.globalLfos = m_globalLfos;

    for (int i = 0; i < 2; ++i)
        m_globalLfos[i].bind(&m_lfoParameters[i]);
    for (int v = 0; v < kVoices; ++v)
    {
        m_voiceStates[v].init(v, &m_noteSettings);
        m_voiceStates[v].setBuffers(&m_buffers[v]);
        m_pool.push(&m_voiceStates[v]);
    }
    for (int g = 0; g < kGroups; ++g)
        m_noteControls[g].setup(g, &m_noteSettings, this, m_freeVoices);
    m_ampBank.setGroups(m_noteControls);
    setVoiceMode(0, 1);
    applyHold2Scale();
    for (ModEnvelopeParameters& parameters : m_envelopeParameters)
        parameters.releaseScale = 1.0f;
    setSampleRate(m_sampleRate, false);
}

Voice::~Voice() = default;

void Voice::reset()
{
    m_controlSettings.setPortamento(true);
    m_ampBank.reset();
    for (ModEnvelopeParameters& parameters : m_envelopeParameters)
    {
        parameters.hold2 = false;
        parameters.releaseScale = 1.0f;
    }
    m_filterGlideCounter = 0;
    settleFilter();
    std::fill(std::begin(m_bends), std::end(m_bends), 0);
    m_carry = 0;
    wake();
    m_renderMask[0] = m_renderMask[1] = 0;
    for (NoteControl& group : m_noteControls)
        group.reset();
}

void Voice::setSampleRate(float hostRate, bool buildWaves)
{
    if (!std::isfinite(hostRate) || hostRate <= 0.0f)
        return;
    m_sampleRate = hostRate;
    m_oscillatorSettings.setSampleRate(hostRate);
    m_pOscillators->setSampleRate(hostRate);
    m_wavesStale = true;
    if (buildWaves)
        prepareWaves();
    m_ampBank.setSampleRate(hostRate);
    m_filterBank.setSampleRate(hostRate);
    for (LfoParameters& parameters : m_lfoParameters)
        parameters.hostSampleRate = hostRate;
    // What was rendered ahead belongs to the old rate.
    m_carry = 0;
}

void Voice::prepareWaves()
{
    if (!m_wavesStale)
        return;
    m_pOscillators->waveMipMap().setSampleRate(m_sampleRate);
    m_wavesStale = false;
}

void Voice::prefaultBuffers(int part, int parts) const
{
    // Every voice at short blocks, where a page fault weighs most against a
    // block's time; at longer ones the voices a big chord takes first, the
    // last (the pool hands them out from its end).
    constexpr std::size_t kMostBytes = std::size_t(1) << 20;
    const std::size_t perVoice =
        m_pOscillators->voiceBufferBytes() + m_pMixer->voiceBufferBytes() + m_filterBank.voiceBufferBytes();
    const int voices = static_cast<int>(std::min<std::size_t>(kVoices, kMostBytes / std::max<std::size_t>(perVoice, 1)));
    // Part 0 the last voices, which come first.
    const int end = kVoices - voices * part / parts;
    const int begin = kVoices - voices * (part + 1) / parts;
    m_pOscillators->prefaultBuffers(begin, end);
    m_pMixer->prefaultBuffers(begin, end);
    m_filterBank.prefaultBuffers(begin, end);
}

void Voice::setBlockSize(int frames)
{
    if (frames == m_blockSize || frames <= 0)
        return;
    const int ticks = (frames + kTickFrames - 1) / kTickFrames;
    m_blockSize = 0;
    m_tickCapacity = 0;
    m_carry = 0;
    try
    {
        m_oscillatorSettings.resizeWaveChanges(ticks);
        m_pOscillators->setBlockSize(ticks);
        m_pOscillators->assignVoiceBuffers(m_buffers);
        m_pMixer->setBlockSize(ticks);
        m_pMixer->assignVoiceBuffers(m_buffers);
        m_filterBank.setBlockSize(ticks);
        m_filterBank.assignVoiceBuffers(m_buffers);
        m_ampBank.setInputs(m_buffers);
        m_pAudioInput->setBlockSize(frames);
    }
    catch (const std::bad_alloc&)
    {
        // process answers with silence until a block size fits.
        return;
    }
    m_blockSize = frames;
    m_tickCapacity = ticks;
}

void Voice::setVoiceMode(int mode, int polyphony)
{
    if (mode == m_voiceMode && polyphony == m_polyphony)
        return;
    int perGroup = (mode >= 2 && mode <= 8) ? mode : (mode == 1 ? polyphony : 1);
    perGroup = std::clamp(perGroup, 0, NoteControl::kMaxVoices);
    int counts[kGroups];
    int budget = kVoices;
    for (int& count : counts)
    {
        count = perGroup;
        budget -= perGroup;
        if (budget < perGroup)
            perGroup = budget = 0;
    }
    for (int g = 0; g < kGroups; ++g)
    {
        if (m_noteControls[g].voiceCount() <= counts[g])
            continue;
        // A voice leaving its group stops sounding at once.
        for (int i = counts[g]; i < m_noteControls[g].voiceCount(); ++i)
            m_ampBank.resetVoice(m_noteControls[g].voice(i).index());
        m_noteControls[g].returnVoices(counts[g], m_pool);
    }
    for (int g = 0; g < kGroups; ++g)
        m_noteControls[g].setVoiceCount(counts[g], m_pool);
    m_voiceMode = mode;
    m_polyphony = polyphony;
}

void Voice::setHold2Scale(float scale)
{
    if (std::isfinite(scale) && scale > 0.0f)
        m_hold2Scale.store(scale, std::memory_order_relaxed);
}

void Voice::applyHold2Scale()
{
    const float scale = m_hold2Scale.load(std::memory_order_relaxed);
    if (scale == m_hold2ScaleInForce)
        return;
    m_hold2ScaleInForce = scale;
    for (ModEnvelopeParameters& parameters : m_envelopeParameters)
    {
        parameters.hold2Scale = scale;
        if (parameters.hold2)
            parameters.releaseScale = scale;
    }
    m_ampBank.setHold2Scale(scale);
}

bool Voice::process(ControlCue<VoiceEvent>* cues, float** inputs, float* mix, int frames, std::int64_t channelMask,
                    std::int64_t* groupMasks, float* groupLevels)
{
    if (m_blockSize <= 0 || frames <= 0 || frames > m_blockSize)
    {
        // No buffers for this block: every queued event is still consumed.
        drain(cues[1]);
        drain(cues[3]);
        drain(cues[0]);
        if (frames > 0)
            std::fill(mix, mix + 4 * static_cast<std::size_t>(frames), 0.0f);
        return false;
    }
    const std::int64_t samples = 2 * static_cast<std::int64_t>(frames);
    applyHold2Scale();
    m_pAudioInput->setInputs(inputs, m_carry, frames);
    m_blockTicks = static_cast<int>(std::max<std::int64_t>((frames - m_carry / 2 + kTickFrames - 1) / kTickFrames, 0));
    m_tickOffset = m_carry > 0 ? 1 : 0;
    m_pControlCue = &cues[1];
    m_pNoteCue = &cues[3];
    processControlBlocks(groupMasks[0]);

    for (int g = 0; g < kGroups; ++g)
    {
        if (((channelMask >> g) & 1) == 0)
            continue;
        m_renderMask[0] |= m_noteControls[g].voiceMask()[0];
        m_renderMask[1] |= m_noteControls[g].voiceMask()[1];
    }
    m_renderMask[0] &= ~m_freeVoices[0];
    m_renderMask[1] &= ~m_freeVoices[1];
    const std::uint64_t rendered[2] = {m_renderMask[0], m_renderMask[1]};
    m_renderedNone = (rendered[0] | rendered[1]) == 0;

    if (m_carry > 0)
        m_pOscillators->refreshCarriedInput(m_renderMask);
    if (m_blockTicks > 0)
    {
        m_pOscillators->process(m_renderMask, m_oscillatorSettings.waveChanges, m_oscillatorSettings.waveChangeCount,
                                m_oscillatorSettings.phaseReset);
    }
    else
    {
        for (int v = 0; v < kVoices; ++v)
            if (isSet(m_renderMask, v))
                m_voiceStates[v].repeatFilterWord();
    }
    m_pMixer->process(static_cast<int>(samples), static_cast<int>(m_carry), m_renderMask);
    m_filterBank.process(m_renderMask, m_carry, samples);
    const bool sounding = (m_renderMask[0] | m_renderMask[1]) != 0;
    m_ampBank.process(cues[0], mix, frames, m_renderMask, groupMasks, groupLevels, m_carry);

    m_carry -= samples;
    if (m_carry < 0)
    {
        m_carry += kTickSamples * static_cast<std::int64_t>(m_blockTicks);
        carryLeadIn(rendered);
    }
    WaveMipMap& waves = m_pOscillators->waveMipMap();
    if (waves.rebuildPending())
        waves.rebuildStep();
    m_pControlCue = nullptr;
    m_pNoteCue = nullptr;
    return sounding;
}

bool Voice::isAtRest() const
{
    if (m_blockSize <= 0 || !m_renderedNone || (m_renderMask[0] | m_renderMask[1]) != 0 || m_filterGlideActive != 0 ||
        m_envelopeParameters[0].hold2 || m_pOscillators->waveMipMap().rebuildPending())
        return false;
    for (int i = 0; i < 2; ++i)
    {
        // Locked to the clock, an LFO has its rate bent every block.
        const std::int32_t mode = m_lfoParameters[i].syncMode;
        if (mode == 4 || mode == 6 || !m_globalLfos[i].canSkip())
            return false;
    }
    for (const NoteControl& group : m_noteControls)
        if (!group.isAtRest())
            return false;
    return true;
}

void Voice::beginRest()
{
    m_resting = true;
    for (int i = 0; i < 2; ++i)
    {
        m_restPwmStep[i] = VoiceState::pwmPhaseStep(m_oscillatorSettings, i);
        m_restPwmCount[i] = 0;
    }
    for (const NoteControl& group : m_noteControls)
    {
        for (int v = 0; v < group.voiceCount(); ++v)
        {
            const VoiceState& voice = group.voice(v);
            for (int i = 0; i < 2; ++i)
            {
                const float phase = voice.pwmPhase(i);
                int place = 0;
                while (place < m_restPwmCount[i] && m_restPwmPhases[i][place] != phase)
                    ++place;
                if (place == m_restPwmCount[i])
                    m_restPwmPhases[i][m_restPwmCount[i]++] = phase;
                m_restPwmIndex[voice.index()][i] = static_cast<std::uint8_t>(place);
            }
        }
    }
}

void Voice::rest(int frames)
{
    if (!m_resting)
        beginRest();
    const std::int64_t ticks = std::max<std::int64_t>((frames - m_carry / 2 + kTickFrames - 1) / kTickFrames, 0);
    m_restTicks += ticks;
    for (int i = 0; i < 2; ++i)
    {
        const float step = m_restPwmStep[i];
        float* const phases = m_restPwmPhases[i];
        for (std::int64_t k = 0; k < ticks; ++k)
            for (int p = 0; p < m_restPwmCount[i]; ++p)
            {
                // As VoiceState::tick steps them.
                phases[p] += step;
                if (phases[p] >= 2.0f)
                    phases[p] -= 2.0f;
            }
    }
    m_carry -= 2 * static_cast<std::int64_t>(frames);
    if (m_carry < 0)
        m_carry += kTickSamples * ticks;
}

void Voice::wake()
{
    const std::int64_t ticks = m_restTicks;
    const bool resting = m_resting;
    m_restTicks = 0;
    m_resting = false;
    if (!resting || ticks <= 0)
        return;
    // In the order of a tick: the global LFOs lead the voices that follow
    // them. Nothing sounded: the levels take their values at once.
    m_oscillatorSettings.tick(true);
    m_globalLfos[0].skip(ticks);
    m_globalLfos[1].skip(ticks);
    for (NoteControl& group : m_noteControls)
    {
        group.skip(ticks);
        for (int v = 0; v < group.voiceCount(); ++v)
        {
            VoiceState& voice = group.voice(v);
            for (int i = 0; i < 2; ++i)
                voice.setPwmPhase(i, m_restPwmPhases[i][m_restPwmIndex[voice.index()][i]]);
        }
    }
}

void Voice::carryLeadIn(const std::uint64_t* rendered)
{
    // The samples rendered past the block's end become the lead-in of the
    // next block; a voice not rendered gets a silent one.
    const std::size_t count = static_cast<std::size_t>(m_carry);
    if (count == 0)
        return; // blocks of whole ticks carry nothing
    const std::size_t end = static_cast<std::size_t>(kTickSamples) * static_cast<std::size_t>(m_blockTicks);
    for (int v = 0; v < kVoices; ++v)
    {
        float* const buffers[3] = {m_buffers[v].osc1Audio, m_buffers[v].osc2Audio, m_buffers[v].thirdSourceAudio};
        for (float* buffer : buffers)
        {
            if (isSet(rendered, v))
                std::memmove(buffer - count, buffer + end - count, count * sizeof(float));
            else
                std::fill(buffer - count, buffer, 0.0f);
        }
    }
}

bool Voice::due(const VoiceEvent& event, int tick) const
{
    return event.time >= 0 && event.time - m_tickOffset <= tick;
}

void Voice::processControlBlocks(std::int64_t idleGroups)
{
    m_oscillatorSettings.clearWaveChanges();
    m_filterBank.resetSegmentList();
    m_controlEvent = m_pControlCue->pop();
    m_noteEvent = m_pNoteCue->pop();
    m_lfoParameters[0].clockPeriod = 0;
    m_lfoParameters[1].clockPeriod = 0;

    const int ticks = m_blockTicks;
    for (int k = 0; k < ticks; ++k)
    {
        processModEvents(k);
        processNoteEvents(k);
        filterGlideTick();
        // After a block in which nothing sounded, a level may jump.
        m_oscillatorSettings.tick(m_renderedNone);
        m_globalLfos[0].tick();
        m_globalLfos[1].tick();
        for (int g = 0; g < kGroups; ++g)
            m_noteControls[g].tick(k, ((idleGroups >> g) & 1) != 0);
    }
    m_filterBank.closeSegmentList(static_cast<std::uint32_t>(ticks));
    m_oscillatorSettings.closeWaveChanges(ticks);

    // Whatever is left lies beyond the block's last tick: it is applied now,
    // in the block in which it was popped.
    while (m_controlEvent.time >= 0 || m_noteEvent.time >= 0)
    {
        if (m_controlEvent.time >= 0)
        {
            applyControlEvent(m_controlEvent, ticks);
            m_controlEvent = m_pControlCue->pop();
        }
        if (m_noteEvent.time >= 0)
        {
            applyNoteEvent(m_noteEvent);
            m_noteEvent = m_pNoteCue->pop();
        }
    }
    m_filterSettling = false;
}

void Voice::processModEvents(int tick)
{
    while (due(m_controlEvent, tick))
    {
        applyControlEvent(m_controlEvent, tick);
        m_controlEvent = m_pControlCue->pop();
    }
}

void Voice::processNoteEvents(int tick)
{
    while (due(m_noteEvent, tick))
    {
        applyNoteEvent(m_noteEvent);
        m_noteEvent = m_pNoteCue->pop();
    }
}

void Voice::applyNoteEvent(const VoiceEvent& event)
{
    if (event.code == EventCode::Hold2Pedal)
    {
        for (ModEnvelopeParameters& parameters : m_envelopeParameters)
        {
            parameters.hold2 = event.value > 0;
            parameters.releaseScale = parameters.hold2 ? parameters.hold2Scale : 1.0f;
        }
    }
    for (NoteControl& group : m_noteControls)
        group.processEvent(event);
}

std::int64_t Voice::filterValue(int which) const
{
    const FilterBank::Settings& settings = m_filterBank.settings();
    return which == kGlideCutoff      ? settings.frequency
           : which == kGlideResonance ? settings.resonance
                                      : settings.separation;
}

void Voice::setFilterValue(int which, std::int64_t value)
{
    FilterBank::Settings& settings = m_filterBank.settings();
    if (which == kGlideCutoff)
        settings.frequency = static_cast<std::uint8_t>(value);
    else if (which == kGlideResonance)
        settings.resonance = static_cast<std::uint8_t>(value);
    else
        settings.separation = static_cast<std::int16_t>(value);
}

void Voice::settleFilter()
{
    for (int which = kGlideCutoff; which <= kGlideSeparation; ++which)
    {
        if (m_filterGlideActive & (1u << which))
            setFilterValue(which, m_filterTarget[which]);
        m_filterStep[which] = 0;
    }
    m_filterGlideActive = 0;
    m_filterSettling = true;
}

void Voice::setFilterTarget(int which, std::int64_t target)
{
    m_filterTarget[which] = target;
    if (m_filterSettling)
        setFilterValue(which, target);
    const std::int64_t current = filterValue(which);
    if (target == current)
    {
        m_filterStep[which] = 0;
        m_filterGlideActive &= ~(1u << which);
    }
    else
    {
        m_filterStep[which] = target > current ? 1 : -1;
        m_filterGlideActive |= 1u << which;
    }
}

void Voice::filterGlideTick()
{
    if (m_filterGlideActive == 0)
        return;
    FilterBank::Settings& settings = m_filterBank.settings();
    auto move = [&](int which, auto& field) {
        if ((m_filterGlideActive & (1u << which)) == 0)
            return;
        field = static_cast<std::remove_reference_t<decltype(field)>>(field + m_filterStep[which]);
        if (field == m_filterTarget[which])
        {
            m_filterStep[which] = 0;
            m_filterGlideActive &= ~(1u << which);
        }
    };
    // The cutoff moves every fourth tick, resonance and separation every
    // second: a change while the engine plays sweeps rather than jumps.
    if (m_filterGlideCounter % 4 == 0)
        move(kGlideCutoff, settings.frequency);
    if (m_filterGlideCounter % 2 == 0)
    {
        move(kGlideResonance, settings.resonance);
        move(kGlideSeparation, settings.separation);
    }
    ++m_filterGlideCounter;
}

void Voice::applyPitchBend(std::int64_t value)
{
    const auto bend = static_cast<std::int64_t>(static_cast<std::int16_t>(value & 0xFFFF));
    const std::int64_t sent = (bend * m_bendRange) >> 6;
    if (m_controlSettings.bendToAll)
    {
        for (int c = 0; c < kGroups; ++c)
        {
            m_bends[c] = bend;
            m_noteControls[c].setBendTarget(sent);
        }
        return;
    }
    const int channel = static_cast<int>((value >> 16) & 15);
    m_bends[channel] = bend;
    m_noteControls[channel].setBendTarget(sent);
}

void Voice::applyHarmonicLevel(std::int64_t code, std::int64_t value)
{
    const int index = static_cast<int>(code - Param::W1Fund);
    const int wave = index / kHarmonicCount;
    const int harmonic = index % kHarmonicCount;
    WaveMipMap& waves = m_pOscillators->waveMipMap();
    waves.userWave(wave).harmonics().setLevel(harmonic, static_cast<unsigned char>(std::clamp<std::int64_t>(value, 0, 255)));
    // Only an oscillator whose tables hold the edited wave is rebuilt; the
    // others take the new levels when they next select it.
    for (int oscillator = 0; oscillator < 2; ++oscillator)
        if (waves.currentWave(oscillator) == 10 + wave)
            waves.select(oscillator, -1);
}

void Voice::applyControlEvent(const VoiceEvent& event, int tick)
{
    const std::int64_t code = event.code;
    const std::int64_t value = event.value;
    if (code >= Param::W1Fund && code < kParameterCount)
    {
        applyHarmonicLevel(code, value);
        return;
    }
    // Each parameter belongs to one group of settings, which scales it.
    const float v = engineValueAsFloat(value);
    if (applyFilterParameter(code, value, v, tick) || applyEnvelopeParameter(code, value, v) ||
        m_oscillatorSettings.applyParameter(code, value, v, tick) ||
        m_controlSettings.applyParameter(code, value, v, m_sampleRate) || m_auxSettings.applyParameter(code, value, v))
        return;

    switch (code)
    {
    case Param::BendAmount:
        m_bendRange = value * kBendRangeUnitsPerSemitone;
        for (int c = 0; c < kGroups; ++c)
            m_noteControls[c].setBendTarget((m_bendRange * m_bends[c]) >> kBendTargetShift);
        break;
    case Param::LFO1Waveform:
    case Param::LFO1Rate:
    case Param::LFO1Intro:
    case Param::LFO1Sync:
    case Param::LFO2Waveform:
    case Param::LFO2Rate:
    case Param::LFO2Intro:
    case Param::LFO2Sync:
    {
        const std::int64_t relative = code - Param::LFO1Waveform;
        m_globalLfos[relative / kLfoCodes].setParameter(static_cast<int>(relative % kLfoCodes), event.time, value);
        break;
    }
    case EventCode::PitchBend:
        applyPitchBend(value);
        break;
    case EventCode::LfoSyncNextTick:
    case EventCode::LfoSyncPeriod:
    {
        // The LFO number rides in the top byte; anything but 0 or 1 is not
        // ours to apply.
        const std::int64_t lfo = value >> 24;
        if (lfo < 0 || lfo > 1)
            break;
        const std::int64_t ticks = value & 0xFFFFFF;
        if (code == EventCode::LfoSyncNextTick)
            m_globalLfos[lfo].setNextClockTick(ticks);
        else
            m_globalLfos[lfo].setClockPeriod(ticks, event.time);
        break;
    }
    default:
        break;
    }
}

bool Voice::applyFilterParameter(std::int64_t code, std::int64_t value, float v, int tick)
{
    using namespace ParameterScaling;
    FilterBank::Settings& filter = m_filterBank.settings();
    switch (code)
    {
    case Param::FilterType:
        m_filterBank.setFilterType(value, static_cast<std::uint32_t>(tick));
        return true;
    case Param::FilterQ:
        setFilterTarget(kGlideResonance, std::clamp<std::int64_t>(nearest(v * kFilterTargetTop), 0, 255));
        return true;
    case Param::FilterFreq:
        setFilterTarget(kGlideCutoff, std::clamp<std::int64_t>(nearest(v * kFilterTargetTop), 0, 255));
        return true;
    case Param::FilterSep:
        setFilterTarget(kGlideSeparation, clampToInt16(nearest(v / kSeparationRange * kFilterTargetTop)));
        return true;
    case Param::KbdPitchToFilter:
        filter.keyTracking = clampToInt16(nearest(v * kKeyTrackingUnity));
        return true;
    case Param::EnvToFilter:
        filter.envelopeAmount = clampToInt16(nearest(v * kPercentToAmount));
        return true;
    case Param::FilterEnvSource:
        filter.envelopeSource = clampToInt16(value);
        return true;
    case Param::ModToFilter:
        filter.controllerAmount = clampToInt16(nearest(v * kPercentToAmount));
        return true;
    case Param::LFOtoFilter:
        filter.lfoAmount = clampToInt16(nearest(v * kPercentToAmount));
        return true;
    case Param::LFOtoFilterSource:
        filter.lfoMix = clampToInt16(lfoMixStep(value));
        return true;
    default:
        return false;
    }
}

bool Voice::applyEnvelopeParameter(std::int64_t code, std::int64_t value, float v)
{
    using namespace ParameterScaling;
    const float rate = m_sampleRate;
    ModEnvelopeParameters& env1 = m_envelopeParameters[0];
    ModEnvelopeParameters& env2 = m_envelopeParameters[1];
    switch (code)
    {
    case Param::Function:
        env1.retrigger = env2.retrigger = value > 0;
        return true;
    case Param::KbdVelToAttack:
        if (v > 0.0f && std::isfinite(v))
            env1.velocityAttackFactor = env2.velocityAttackFactor = std::log(1.0f / v) / kUnityVelocity;
        return true;
    case Param::KbdVelToRelease:
        if (v > 0.0f && std::isfinite(v))
            env1.velocityReleaseFactor = env2.velocityReleaseFactor = std::log(1.0f / v) / kUnityVelocity;
        return true;
    case Param::AmpAttack:
        env1.attackStep = envelopeStep(v, rate);
        return true;
    case Param::AmpDecay:
        env1.decayStep = envelopeStep(v, rate);
        return true;
    case Param::AmpSustain:
        env1.sustain = clampLevel(nearest(v * kSustainTop));
        return true;
    case Param::AmpRelease:
        env1.releaseStep = envelopeStep(v, rate);
        return true;
    case Param::FilterAttack:
        env2.attackStep = envelopeStep(v, rate);
        return true;
    case Param::FilterDecay:
        env2.decayStep = envelopeStep(v, rate);
        return true;
    case Param::FilterSustain:
        // 100 % would lie one step above the envelope's top, and the decay
        // would then end the note's envelope while the key is held.
        env2.sustain = clampLevel(nearest(v * kSustainPercentStep));
        return true;
    case Param::FilterRelease:
        env2.releaseStep = envelopeStep(v, rate);
        return true;
    case Param::FilterDelay:
        // Seconds at the engine's rate, rounded to the nearest of its ticks.
        env2.delay = std::max<std::int64_t>(
            truncate(2.0 * v * rate + (kEngineTickSamples / 2 - 1)) / kEngineTickSamples, 0);
        return true;
    default:
        return false;
    }
}
