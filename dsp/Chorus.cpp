#include "dsp/Chorus.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace
{
// The delay line is a power of two in frames; the spare bytes let the
// interpolating reader run over the end without a test.
constexpr std::size_t kDelayLineBytes = Chorus::kDelayFrames * 2 * sizeof(float) + 32;

constexpr float kSmoothingHz = 3.0f;

// Fresh zero pages from the system, lent only as they are written.
float* zeroedLine()
{
    void* pages = mmap(nullptr, kDelayLineBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<float*>(pages);
}
} // namespace

Chorus::Chorus()
    : m_delayLine(zeroedLine()),
      // The sweep depth of one engine sample at the initial rate.
      m_depthMs(1000.0f / (2.0f * 44100.0f))
{
    clear();
}

Chorus::~Chorus()
{
    munmap(m_delayLine, kDelayLineBytes);
}

bool Chorus::process(const float* in, float* out, int n)
{
    if (m_rampRemaining == 0)
    {
        processBlocks(in, out, n);
    }
    else if (n < m_rampRemaining)
    {
        processBlocks(in, out, n);
        m_rampRemaining -= n;
    }
    else
    {
        int ramp = m_rampRemaining;
        processBlocks(in, out, ramp);
        endRamp();
        processBlocks(in + 4 * ramp, out + 4 * ramp, n - ramp);
    }
    return m_running;
}

void Chorus::endRamp()
{
    m_dryStep = 0.0f;
    m_lpStep = 0.0f;
    m_wetStep = 0.0f;
    onRampEnd();
    m_rampRemaining = 0;
    if (m_level == 0)
        m_running = false;
}

void Chorus::skipRamp(int n)
{
    const int ramp = std::min(n, m_rampRemaining);
    // One step per host sample, in the order the chunks take them, so that
    // the gains end where processing would leave them.
    for (int i = 0; i < ramp; ++i)
    {
        m_dryGain += m_dryStep;
        m_lpGain += m_lpStep;
        m_wetGain += m_wetStep;
    }
    if (ramp == 0 || ramp < m_rampRemaining)
        m_rampRemaining -= ramp;
    else
        endRamp();
}

void Chorus::processBlocks(const float* in, float* out, int n)
{
    m_lineWritten = true;
    while (n > 0)
    {
        int chunk = std::min(n, kChunk - m_chunkPhase);
        processChunk(in, out, chunk);
        m_chunkPhase = (m_chunkPhase + chunk) % kChunk;
        in += 4 * chunk;
        out += 4 * chunk;
        n -= chunk;
    }
}

void Chorus::clear()
{
    m_writeIndex = 1;
    m_chunkPhase = 0;
    if (m_lineWritten)
        std::memset(m_delayLine, 0, kDelayLineBytes);
    m_lineWritten = false;
    // Their states belong to the sound that was just wiped.
    m_crossLeft.reset();
    m_crossRight.reset();
    m_inputHpLeft.reset();
    m_inputHpRight.reset();
    m_toneLeft.reset();
    m_toneRight.reset();
}

void Chorus::setLevel(int64_t level)
{
    if (level != 0)
        m_running = true;
    m_level = int(level);
    float l = 0.01f * float(level);
    m_lpStep = (l * l * m_lpGainScale - m_lpGain) * m_rampStep;
    m_wetStep = (0.5f * l - m_wetGain) * m_rampStep;
    m_dryStep = (1.0f - 0.5f * l - m_dryGain) * m_rampStep;
    m_rampRemaining = m_rampLength;
}

void Chorus::setSampleRate(float rate)
{
    if (!(rate > 0.0f) || !std::isfinite(rate))
        return;
    m_sampleRate = rate;
    m_rampLength = std::max(1, int(rate * 0.1f));
    m_rampStep = 1.0f / float(m_rampLength);
    updateFilters();
    for (OnePoleFilter& smooth : m_tapSmooth)
        smooth.setup(kSmoothingHz, m_sampleRate);
    // Depth and rate are held in time units; their sample counts, the tap
    // bounds and increments belong to the old rate until rebuilt here.
    setRate(m_rateHz);
    setDepth(m_depthMs);
}

void Chorus::setRate(float hz)
{
    if (!std::isfinite(hz))
        return;
    m_rateHz = std::clamp(hz, 0.0f, 100.0f);
    m_rateFactor = 2.0f * m_rateHz / m_sampleRate;
}

void Chorus::onRampEnd()
{
}

void Chorus::updateFilters()
{
    updateBaseDelay();
    m_inputHpLeft.setup(m_preset.inputHpFrequency, m_preset.inputHpQ, m_sampleRate);
    m_inputHpRight.setup(m_preset.inputHpFrequency, m_preset.inputHpQ, m_sampleRate);
    m_crossLeft.setup(m_preset.crossFrequency, m_preset.crossQ, m_sampleRate);
    m_crossRight.setup(m_preset.crossFrequency, m_preset.crossQ, m_sampleRate);
    m_toneLeft.setup(m_preset.toneFrequency, m_sampleRate);
    m_toneRight.setup(m_preset.toneFrequency, m_sampleRate);
}

void Chorus::setMode(int64_t value)
{
    const int mode = int(std::clamp<int64_t>(value, 0, kHighestMode));
    m_mode = mode;
    if (mode <= 2)
    {
        m_preset = {180.0f, 0.5f, 280.0f, 0.5f, 3000.0f, 9.5f};
        m_crossAmount = 0.21f;
    }
    else if (mode == 3)
    {
        m_preset = {45.0f, 0.5f, 280.0f, 0.5f, 750.0f, 9.5f};
        m_crossAmount = 0.5f;
    }
    else if (mode == 4)
    {
        m_preset = {45.0f, 0.5f, 560.0f, 0.5f, 750.0f, 9.5f};
        m_crossAmount = 0.5f;
    }
    else
    {
        m_preset = {45.0f, 0.5f, 280.0f, 0.5f, 750.0f, 9.5f};
        m_crossAmount = 0.21f;
    }
    updateFilters();
}
