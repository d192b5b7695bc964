#include "dsp/Oscillators.h"

#include "dsp/AlignedMemory.h"
#include "dsp/AudioInput.h"
#include "dsp/BasicWaves.h"
#include "dsp/Random.h"
#include "dsp/WaveMipMap.h"

#include <algorithm>
#include <iterator>

namespace
{
// The voices of a 128-bit mask in ascending order (the pink noise filter
// runs voice after voice).
template <typename Action>
void forEachVoice(const std::uint64_t* mask, Action action)
{
    for (int word = 0; word < 2; ++word)
        for (std::uint64_t bits = mask[word]; bits != 0; bits &= bits - 1)
            action(64 * word + __builtin_ctzll(bits));
}
}

Oscillators::Oscillators()
    : m_pWaveMipMap(nullptr), m_noiseState{}, m_phase{}, m_pitch{nullptr, nullptr}, m_pulseWidth{nullptr, nullptr},
      m_audio{nullptr, nullptr, nullptr}, m_ticks(0), m_stride(kTickSamples), m_pAudioInput(nullptr),
      m_currentWave{-1, -1, -1}
{
}

Oscillators::~Oscillators()
{
    freeBuffers();
}

void Oscillators::freeBuffers()
{
    for (int o = 0; o < 2; ++o)
    {
        alignedFree(m_pitch[o]);
        alignedFree(m_pulseWidth[o]);
        m_pitch[o] = nullptr;
        m_pulseWidth[o] = nullptr;
    }
    // One mapping holds the three sources' buffers.
    zeroPagesFree(m_audio[0], std::size(m_audio) * kVoices * m_stride * sizeof(float));
    for (float*& buffer : m_audio)
        buffer = nullptr;
}

void Oscillators::prefaultBuffers(int begin, int end) const
{
    for (float* source : m_audio)
        if (source != nullptr && end > begin)
            zeroPagesPrefault(source + begin * m_stride, (end - begin) * m_stride * sizeof(float));
}

std::size_t Oscillators::voiceBufferBytes() const
{
    return std::size(m_audio) * m_stride * sizeof(float);
}

void Oscillators::setBlockSize(int ticks)
{
    freeBuffers();
    m_ticks = std::max(ticks, 0);
    m_stride = static_cast<std::size_t>(m_ticks + 1) * kTickSamples;
    const std::size_t streamLength = static_cast<std::size_t>(kVoices) * m_ticks;
    for (int o = 0; o < 2; ++o)
    {
        m_pitch[o] = static_cast<std::int32_t*>(alignedCalloc(streamLength * sizeof(std::int32_t)));
        m_pulseWidth[o] = static_cast<std::int16_t*>(alignedCalloc(streamLength * sizeof(std::int16_t)));
    }
    // Untouched zero pages: a voice's audio takes memory only once it plays.
    const std::size_t sourceFloats = kVoices * m_stride;
    float* const audio = static_cast<float*>(zeroPagesAllocate(std::size(m_audio) * sourceFloats * sizeof(float)));
    for (std::size_t source = 0; source < std::size(m_audio); ++source)
        m_audio[source] = audio + source * sourceFloats;
    for (int v = 0; v < kVoices; ++v)
    {
        std::uint32_t seed = static_cast<std::uint32_t>(randomInt()) * 65536u;
        seed += static_cast<std::uint32_t>(randomInt());
        seedVoice(v, seed);
        m_phase[0][v] = 0;
        m_phase[1][v] = 0;
    }
}

void Oscillators::assignVoiceBuffers(VoiceBuffers* records) const
{
    for (int v = 0; v < kVoices; ++v)
    {
        const std::size_t stream = static_cast<std::size_t>(v) * m_ticks;
        records[v].pulseWidth1 = m_pulseWidth[0] + stream;
        records[v].pulseWidth2 = m_pulseWidth[1] + stream;
        records[v].pitch1 = m_pitch[0] + stream;
        records[v].pitch2 = m_pitch[1] + stream;
        records[v].osc1Audio = audio(0, v);
        records[v].osc2Audio = audio(1, v);
        records[v].thirdSourceAudio = audio(2, v);
    }
}

void Oscillators::reset()
{
    for (int v = 0; v < kVoices; ++v)
    {
        seedVoice(v, 0);
        m_phase[0][v] = 0;
        m_phase[1][v] = 0;
    }
}

void Oscillators::setSampleRate(float)
{
}

void Oscillators::process(const std::uint64_t* renderMask, const WaveChange* changes, int changeCount,
                          std::uint64_t (*phaseReset)[2])
{
    if (m_audio[0] == nullptr)
        return; // no block size yet
    int start = 0;
    for (int i = 0; i < changeCount; ++i)
    {
        const WaveChange& change = changes[i];
        const int end = std::clamp<int>(change.endTick, 0, m_ticks);
        const int first = start;
        start = end;
        if (end <= first)
            continue;
        const std::int32_t waves[2] = {change.osc1Wave, change.osc2Wave};
        for (int o = 0; o < 2; ++o)
        {
            if (waves[o] == m_currentWave[o])
                continue;
            if (m_pWaveMipMap != nullptr)
                m_pWaveMipMap->select(o, waves[o]);
            m_currentWave[o] = waves[o];
            phaseReset[o][0] = ~std::uint64_t(0);
            phaseReset[o][1] = ~std::uint64_t(0);
        }
        m_currentWave[2] = change.thirdSource;
        renderSegment(first, end, renderMask, phaseReset);
    }
}

void Oscillators::readAudioInput(float* destination, int firstTick, int endTick)
{
    if (m_pAudioInput != nullptr)
        m_pAudioInput->read(0, destination, firstTick, endTick);
    else
        std::fill(destination + kTickSamples * firstTick, destination + kTickSamples * endTick, 0.0f);
}

bool Oscillators::playsInput(int source) const
{
    const int wave = m_currentWave[source];
    if (source < 2)
        return wave == kWaveAudioInput;
    return wave != kSourceWhiteNoise && wave != kSourcePinkNoise;
}

void Oscillators::refreshCarriedInput(const std::uint64_t* renderMask)
{
    if (m_audio[0] == nullptr)
        return;
    for (int source = 0; source < 3; ++source)
        if (playsInput(source))
            forEachVoice(renderMask, [&](int v) { readAudioInput(audio(source, v), 0, 0); });
}

void Oscillators::renderSegment(int firstTick, int endTick, const std::uint64_t* renderMask,
                                std::uint64_t (*phaseReset)[2])
{
    firstTick = std::max(firstTick, 0);
    endTick = std::min(endTick, m_ticks);
    if (endTick <= firstTick)
        return;

    const int source = m_currentWave[2];
    const bool input = playsInput(2);
    forEachVoice(renderMask, [&](int v) {
        if (input)
            readAudioInput(audio(2, v), firstTick, endTick);
        else if (source == kSourcePinkNoise)
            renderPinkNoise(v, firstTick, endTick);
        else
            renderWhiteNoise(v, firstTick, endTick);
    });

    for (int o = 0; o < 2; ++o)
    {
        const int wave = m_currentWave[o];
        forEachVoice(renderMask, [&](int v) {
            if (wave == kWavePulse || wave == kWavePwm)
                renderPulse(o, v, firstTick, endTick);
            else if (wave == kWaveAudioInput)
                readAudioInput(audio(o, v), firstTick, endTick);
            else
                renderWave(o, v, firstTick, endTick);
        });
        if (wave == kWaveAudioInput)
            continue;
        // Voices not rendered restart at phase 0 when the wave changed.
        const std::uint64_t idle[2] = {phaseReset[o][0] & ~renderMask[0], phaseReset[o][1] & ~renderMask[1]};
        forEachVoice(idle, [&](int v) { m_phase[o][v] = 0; });
        phaseReset[o][0] &= ~idle[0];
        phaseReset[o][1] &= ~idle[1];
    }
}
