#include "Source/effects/EffectsSection.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "Source/effects/Echo.h"
#include "Source/parameters/ParameterIndices.h"
#include "dsp/AlignedMemory.h"
#include "dsp/CHalfBandFilterSse.h"
#include "dsp/CHalfBandFilterStandard.h"
#include "dsp/ChorusIntReference.h"
#include "simd/SystemInfo.h"

namespace
{
// DelayTempo's lowest value stands for the host's tempo.
constexpr std::int64_t kDelayTempoFromHost = 31;

// The decimator keeps half of the gain it is given; a full-scale voice mix
// is brought down to the host's range here.
constexpr float kVolumeScale = 0.125f;
constexpr float kInitialGain = 0.5f;

// What is left of a sound below this, at the outputs or in the echo's
// memory, is far below hearing: the chain may rest.
constexpr float kInaudible = 1e-7f;

// Bits of the active mask.
constexpr std::int64_t ChorusInChain = 1;
constexpr std::int64_t EchoInChain = 2;

std::unique_ptr<CHalfBandFilter> makeHalfBandFilter()
{
    if (SystemInfo().hasSse())
        return std::make_unique<CHalfBandFilterSse>();
    return std::make_unique<CHalfBandFilterStandard>();
}
} // namespace

EffectsSection::EffectsSection()
    : m_echo(new Echo), m_halfBand(makeHalfBandFilter()), m_chorus(new ChorusIntReference), m_volume(kInitialGain)
{
    m_halfBand->setStereo();
    m_halfBand->setGain(kInitialGain);
    m_volume.setRate(m_sampleRate);
}

EffectsSection::~EffectsSection()
{
    alignedFree(m_workBuffer);
}

void EffectsSection::setSampleRate(float rate, bool takeMemory)
{
    m_sampleRate = rate;
    m_volume.setRate(rate);
    m_halfBand->setGain(m_volume.value());
    m_chorus->setSampleRate(rate);
    m_echo->setSampleRate(2.0f * rate, takeMemory);
}

void EffectsSection::setBlockSize(int frames)
{
    alignedFree(m_workBuffer);
    m_workBuffer = nullptr;
    m_workFrames = 0;
    if (frames <= 0)
        return;
    try
    {
        m_workBuffer = static_cast<float*>(alignedMalloc(16 * static_cast<std::size_t>(frames)));
        m_workFrames = frames;
    }
    catch (const std::bad_alloc&)
    {
        // Without a work buffer the mix goes straight to the decimator.
    }
}

void EffectsSection::prepareEcho(std::int64_t delayTempo, std::int64_t delayUnits, std::int64_t lengthLeft,
                                 std::int64_t lengthRight)
{
    m_echo->setTempo(delayTempo);
    m_delayTempoFromHost = delayTempo == kDelayTempoFromHost ? 1 : 0;
    m_echo->setUnits(delayUnits);
    m_echo->setLengthLeft(static_cast<std::uint32_t>(lengthLeft));
    m_echo->setLengthRight(static_cast<std::uint32_t>(lengthRight));
}

void EffectsSection::resume()
{
    m_echo->clear();
    m_chorus->clear();
    m_chorusStale = false;
    // Nothing has passed the chain yet: it starts at rest, as after a long
    // silence, so that a silent first block does no work here.
    rest();
}

void EffectsSection::rest()
{
    m_resting = true;
    m_quietSamples = 0;
    m_echo->forget();
    // Asleep at once, so that the silence from here on is counted in case
    // the echo is restarted meanwhile.
    m_echo->sleep();
    m_halfBand->clear();
    // Nothing sounds: the levels may take their values at once.
    m_echo->settleLevels();
    m_volume.settle();
    m_halfBand->setGain(m_volume.value());
}

void EffectsSection::setTempo(float bpm)
{
    m_echo->setHostTempo(bpm);
}

bool EffectsSection::hasMemoryRequest() const
{
    return m_echo->hasMemoryRequest();
}

void EffectsSection::serveMemory()
{
    m_echo->serveMemory();
}

void EffectsSection::process(ControlCue<VoiceEvent>& cue, const float* mix, float* outLeft, float* outRight,
                             int frames, int replace, bool mixSilent)
{
    m_heldEvent = cue.pop();
    if (frames <= 0 || !mix || !outLeft || !outRight)
    {
        // No audio to place them in, but none is lost.
        for (; !m_heldEvent.isEmpty(); m_heldEvent = cue.pop())
            applyEvent(m_heldEvent);
        return;
    }
    // Times outside the block are taken as its first or last sample, and a
    // time earlier than the stretch already done as the stretch's start, so
    // that every event applies inside the block and no stretch leaves it.
    const auto timeOf = [frames](const VoiceEvent& event) {
        return static_cast<int>(std::clamp<std::int64_t>(event.time, 0, frames - 1));
    };
    int position = 0;
    while (position < frames)
    {
        while (!m_heldEvent.isEmpty() && timeOf(m_heldEvent) <= position)
        {
            applyEvent(m_heldEvent);
            m_heldEvent = cue.pop();
        }
        const int end = m_heldEvent.isEmpty() ? frames : timeOf(m_heldEvent);
        // The chorus's sweep moves on through the rest, so that the next
        // sound meets it where it would have; one that cannot skip wakes
        // the section.
        const bool chorusInChain = m_effectsActive != 0 && (m_activeMask & ChorusInChain) != 0;
        if (m_resting && mixSilent && chorusInChain)
        {
            if (!m_chorus->skip(end - position))
            {
                m_resting = false;
                m_quietSamples = 0;
            }
            else if (!m_chorus->isRunning())
            {
                // A ramp down to nothing ended: the chorus leaves the chain
                // as it would have while processing.
                m_chorusRunning = 0;
                updateActiveMask();
            }
        }
        if (m_resting && mixSilent)
        {
            if (echoInChain())
                m_echo->passSilence(2 * static_cast<std::int64_t>(end - position));
            if (replace)
            {
                std::fill(outLeft + position, outLeft + end, 0.0f);
                std::fill(outRight + position, outRight + end, 0.0f);
            }
        }
        else
        {
            processStretch(mix, outLeft, outRight, position, end, replace);
        }
        position = end;
    }
    watchForRest(outLeft, outRight, frames, mixSilent);
    // An echo out of the chain is restarted before it sounds again, and a
    // resting one was forgotten: meanwhile its memory is not held.
    if (m_resting || !echoInChain())
        m_echo->sleep();
}

void EffectsSection::watchForRest(const float* outLeft, const float* outRight, int frames, bool mixSilent)
{
    if (!mixSilent)
    {
        m_resting = false;
        m_quietSamples = 0;
        return;
    }
    if (m_resting)
        return;
    if (m_effectsActive != 0 && (m_activeMask & ChorusInChain) != 0 && !m_chorus->canSkip())
    {
        m_quietSamples = 0;
        return;
    }
    // Accumulated outputs hold the host's sound as well: only this block's
    // own share would tell, so the peak errs towards sound.
    float peak = m_echo->takeWrittenPeak();
    for (int i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(outLeft[i]), std::fabs(outRight[i])});
    if (!(peak < kInaudible))
    {
        m_quietSamples = 0;
        return;
    }
    m_quietSamples += 2 * static_cast<std::int64_t>(frames);
    // The echo's memory and the chorus's delay line, the longest either
    // reaches back.
    const std::int64_t reach = m_echo->longestDelay() + ChorusIntReference::kDelayFrames;
    if (m_quietSamples <= reach)
        return;
    // What the chain still holds is forgotten, so that the next sound starts
    // from exact zero rather than from the dust of the last one.
    rest();
}

bool EffectsSection::echoInChain() const
{
    return m_effectsActive != 0 && (m_activeMask & EchoInChain) != 0 && m_workBuffer;
}

void EffectsSection::updateActiveMask()
{
    m_activeMask = (m_chorusRunning ? ChorusInChain : 0) | (m_echoRunning ? EchoInChain : 0);
}

void EffectsSection::applyEvent(const VoiceEvent& event)
{
    const std::int64_t value = event.value;
    switch (event.code)
    {
    case Param::Volume:
        m_volume.glideTo(kVolumeScale * event.floatValue());
        if (m_resting)
            m_volume.settle();
        m_halfBand->setGain(m_volume.value());
        break;
    case Param::ChorusLevel:
        m_chorus->setLevel(value);
        m_chorusRunning = m_chorus->isRunning() ? 1 : 0;
        updateActiveMask();
        break;
    case Param::ChorusMode:
        m_chorus->setMode(value);
        break;
    case Param::DelayLevel:
        m_echo->setLevel(value);
        // Turned off, it stays in the chain until its level has glided
        // down.
        m_echoRunning = m_echo->isRunning() ? 1 : 0;
        updateActiveMask();
        break;
    case Param::DelayTempo:
        m_echo->setTempo(value);
        m_delayTempoFromHost = value == kDelayTempoFromHost ? 1 : 0;
        break;
    case Param::EffectActive:
        m_effectsActive = value;
        updateActiveMask();
        m_echo->restart();
        break;
    case Param::ChorusRate:
        m_chorus->setRate(event.floatValue());
        break;
    case Param::ChorusDepth:
        m_chorus->setDepth(event.floatValue());
        break;
    case Param::DelayMixLeft:
        m_echo->setMixLeft(event.floatValue());
        break;
    case Param::DelayMixRight:
        m_echo->setMixRight(event.floatValue());
        break;
    case Param::DelayFeedbackLeft:
        m_echo->setFeedbackLeft(0.01f * static_cast<float>(value));
        break;
    case Param::DelayFeedbackRight:
        m_echo->setFeedbackRight(0.01f * static_cast<float>(value));
        break;
    case Param::DelayLengthLeft:
        m_echo->setLengthLeft(static_cast<std::uint32_t>(value));
        break;
    case Param::DelayLengthRight:
        m_echo->setLengthRight(static_cast<std::uint32_t>(value));
        break;
    case Param::DelayHighpass:
        m_echo->setHighPass(event.floatValue());
        break;
    case Param::DelayLowpass:
        // The parameter is in kHz.
        m_echo->setLowPass(1000.0f * event.floatValue());
        break;
    case Param::DelayUnits:
        m_echo->setUnits(value);
        break;
    case Param::DelayDucking:
        m_echo->setDucking(value);
        break;
    case Param::DelayFeedbackMode:
        m_echo->setFeedbackMode(static_cast<std::uint32_t>(value));
        break;
    default:
        // Every other code is meant for another part of the engine.
        break;
    }
    // Resting, nothing sounds that a jump could be heard in.
    if (m_resting)
        m_echo->settleLevels();
}

void EffectsSection::processStretch(const float* mix, float* outLeft, float* outRight, int from, int to,
                                    int replace)
{
    const bool chainOn = m_effectsActive != 0 && m_activeMask != 0 && m_workBuffer;
    if (!chainOn)
    {
        m_chorusStale = true;
        decimate(mix + 4 * from, outLeft + from, outRight + from, to - from, replace);
        return;
    }
    if (!(m_activeMask & ChorusInChain))
        m_chorusStale = true;
    else if (m_chorusStale)
    {
        m_chorus->clear();
        m_chorusStale = false;
    }
    // A host block longer than the one announced runs through the work
    // buffer in pieces.
    for (int start = from; start < to;)
    {
        const int length = std::min(to - start, m_workFrames);
        const float* in = mix + 4 * start;
        if (m_activeMask & ChorusInChain)
        {
            m_chorusRunning = m_chorus->process(in, m_workBuffer, length) ? 1 : 0;
            in = m_workBuffer;
        }
        if (m_activeMask & EchoInChain)
            m_echoRunning = m_echo->process(in, m_workBuffer, 2 * static_cast<std::int64_t>(length)) ? 1 : 0;
        decimate(m_workBuffer, outLeft + start, outRight + start, length, replace);
        start += length;
    }
    updateActiveMask();
}

void EffectsSection::decimate(const float* input, float* outLeft, float* outRight, int frames, int replace)
{
    while (frames > 0)
    {
        const int part = static_cast<int>(m_volume.holdFor(frames));
        m_halfBand->process(input, outLeft, outRight, part, replace);
        if (m_volume.isGliding())
        {
            m_volume.advance(part);
            m_halfBand->setGain(m_volume.value());
        }
        input += 4 * part;
        outLeft += part;
        outRight += part;
        frames -= part;
    }
}
