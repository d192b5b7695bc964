#include "dsp/OscillatorMixer.h"

#include "dsp/AlignedMemory.h"
#include "simd/SystemInfo.h"

#include <algorithm>

namespace
{
struct Inputs
{
    const float* osc1;
    const float* osc2;
    const float* noise;
    float* out;
};

template <typename Gains>
void mix(MixKernel kernel, Inputs& io, int count, const Gains& g)
{
    if (count <= 0)
        return;
    kernel(io.osc1, io.osc2, io.noise, io.out, count, g.osc1, g.osc2, g.noise, g.ring);
    io.osc1 += count;
    io.osc2 += count;
    io.noise += count;
    io.out += count;
}

MixKernel mixKernel(SimdPath path)
{
    switch (path)
    {
    case SimdPath::Avx512:
        return mixOscillatorsWide;
    case SimdPath::Avx2:
        return mixOscillatorsAvx2;
    default:
        return mixOscillators;
    }
}

float* allocateCleared(std::size_t count)
{
    return static_cast<float*>(alignedCalloc(count * sizeof(float)));
}
}

OscillatorMixer::OscillatorMixer()
    : m_noiseGain{}, m_ringGain{}, m_osc1Gain{}, m_osc2Gain{}, m_noiseInput{}, m_osc1Input{}, m_osc2Input{},
      m_output{}, m_lastGains{}, m_mix(mixKernel(SystemInfo().simdPath())),
      m_gainStorage{}, m_outputStorage(nullptr), m_ticks(0), m_stride(kTickSamples)
{
}

OscillatorMixer::~OscillatorMixer()
{
    freeBuffers();
}

void OscillatorMixer::freeBuffers()
{
    for (float*& gains : m_gainStorage)
    {
        alignedFree(gains);
        gains = nullptr;
    }
    zeroPagesFree(m_outputStorage, kVoices * m_stride * sizeof(float));
    m_outputStorage = nullptr;
}

void OscillatorMixer::prefaultBuffers(int begin, int end) const
{
    if (m_outputStorage != nullptr && end > begin)
        zeroPagesPrefault(m_outputStorage + begin * m_stride, (end - begin) * m_stride * sizeof(float));
}

std::size_t OscillatorMixer::voiceBufferBytes() const
{
    return m_stride * sizeof(float);
}

void OscillatorMixer::setBlockSize(int ticks)
{
    freeBuffers();
    m_ticks = std::max(ticks, 0);
    m_stride = static_cast<std::size_t>(m_ticks + 1) * kTickSamples;
    for (float*& gains : m_gainStorage)
        gains = allocateCleared(static_cast<std::size_t>(kVoices) * m_ticks);
    // Untouched zero pages: a voice's output takes memory only once it plays.
    m_outputStorage = static_cast<float*>(zeroPagesAllocate(kVoices * m_stride * sizeof(float)));
}

void OscillatorMixer::assignVoiceBuffers(VoiceBuffers* records)
{
    for (int v = 0; v < kVoices; ++v)
    {
        const std::size_t stream = static_cast<std::size_t>(v) * m_ticks;
        VoiceBuffers& record = records[v];
        record.noiseGain = m_gainStorage[0] + stream;
        record.osc1Gain = m_gainStorage[1] + stream;
        record.osc2Gain = m_gainStorage[2] + stream;
        record.ringGain = m_gainStorage[3] + stream;
        record.mixerOutput = m_outputStorage + v * m_stride + kTickSamples;
        m_noiseGain[v] = record.noiseGain;
        m_osc1Gain[v] = record.osc1Gain;
        m_osc2Gain[v] = record.osc2Gain;
        m_ringGain[v] = record.ringGain;
        m_output[v] = record.mixerOutput;
        m_noiseInput[v] = record.thirdSourceAudio;
        m_osc1Input[v] = record.osc1Audio;
        m_osc2Input[v] = record.osc2Audio;
    }
}

void OscillatorMixer::process(int count, int carry, const std::uint64_t* renderMask)
{
    carry = std::clamp(carry, 0, kTickSamples); // the lead-in holds one tick
    count = std::max(count, 0);
    int lead = count;
    int wholeTicks = 0;
    int partial = 0;
    if (carry - count < 0)
    {
        const int rest = count - carry;
        wholeTicks = rest / kTickSamples;
        partial = rest - kTickSamples * wholeTicks;
        lead = carry;
    }
    // Never past the gain streams, whatever count the caller passes.
    if (wholeTicks >= m_ticks)
    {
        wholeTicks = m_ticks;
        partial = 0;
    }

    for (int v = 0; v < kVoices; ++v)
    {
        if (!((renderMask[v >> 6] >> (v & 63)) & 1u) || m_osc1Input[v] == nullptr)
            continue;
        Inputs io{m_osc1Input[v] - carry, m_osc2Input[v] - carry, m_noiseInput[v] - carry, m_output[v] - carry};
        auto gainsOf = [&](int tick) {
            return Gains{m_osc1Gain[v][tick], m_osc2Gain[v][tick], m_noiseGain[v][tick], m_ringGain[v][tick]};
        };
        mix(m_mix, io, lead, m_lastGains[v]);
        for (int t = 0; t < wholeTicks; ++t)
            mix(m_mix, io, kTickSamples, gainsOf(t));
        if (partial > 0)
        {
            m_lastGains[v] = gainsOf(wholeTicks);
            mix(m_mix, io, partial, m_lastGains[v]);
        }
    }
}
