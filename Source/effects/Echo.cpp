#include "Source/effects/Echo.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace
{
enum ModeFlag : unsigned
{
    HighPassOn = 1,
    LowPassOn = 2,
    GateOn = 4
};

// Kernel families by the two channels' states.
enum Family
{
    SteadyFamily = 0,   // both steady
    FadingFamily = 1,   // a crossfade or fade in, nothing silent
    SilentFamily = 2,   // a silent read, the other steady or silent
    SilentFadingFamily = 3
};

// One channel of a run. A channel's read is
// read x (keep + fadeSlope x fade) + newRead x (newShare x fade),
// which covers all four states without a per-sample test.
struct EchoLane
{
    float* write;
    const float* read;
    const float* newRead;
    float keep;
    float fadeSlope;
    float newShare;
    float fade;
    float fadeStep;
    float wet;
    float feedback;
    TwoPoleFilter* highPass;
    TwoPoleFilter* lowPass;
};

struct EchoRun
{
    EchoLane lanes[2];
    float* feedbackSource;
    float writtenPeak;
    float envelope;
    float attack;
    float release;
    float duckDepth;
    float duckOffset;
    int feedbackMode;
};

template <int Fam, unsigned Flags>
void echoKernel(const float* in, float* out, int64_t frames, EchoRun& run)
{
    float* feedbackSource = run.feedbackSource;
    for (int64_t i = 0; i < frames; ++i)
    {
        // Both inputs are read first, so the echo may run in place.
        const float x[2] = {in[0], in[1]};
        float g = 1.0f;
        if (Flags & GateOn)
        {
            float d = std::max(std::fabs(x[0]), std::fabs(x[1])) - run.envelope + 1e-16f;
            run.envelope += (std::fabs(d) + d) * run.attack + (d - std::fabs(d)) * run.release;
            g = std::min(run.envelope, 1.0f) * run.duckDepth + run.duckOffset;
        }
        for (int c = 0; c < 2; ++c)
        {
            EchoLane& lane = run.lanes[c];
            const float w = g * lane.wet;
            float v = x[c];
            if (Flags & HighPassOn)
                v = lane.highPass->processHighPass(v);
            v += (feedbackSource[c ^ run.feedbackMode] - 1e-16f) * lane.feedback;
            *--lane.write = v;
            run.writtenPeak = std::max(run.writtenPeak, std::fabs(v));
            float r;
            if (Fam == SteadyFamily)
            {
                r = *--lane.read;
            }
            else if (Fam == SilentFamily)
            {
                r = *--lane.read * lane.keep;
            }
            else
            {
                r = *--lane.read * (lane.keep + lane.fadeSlope * lane.fade) + *--lane.newRead * (lane.newShare * lane.fade);
                lane.fade += lane.fadeStep;
            }
            // The offset keeps the low-pass's ringing out of denormal range.
            if (Flags & LowPassOn)
                r = lane.lowPass->process(r + 1e-16f);
            feedbackSource[c] = r + 1e-16f;
            out[c] = x[c] * (1.0f - w) + w * r;
        }
        in += 2;
        out += 2;
    }
}

using EchoKernel = void (*)(const float*, float*, int64_t, EchoRun&);

template <std::size_t... I>
constexpr std::array<EchoKernel, sizeof...(I)> makeKernelTable(std::index_sequence<I...>)
{
    return {{&echoKernel<int(I / 8), unsigned(I % 8)>...}};
}

// Indexed by family x 8 + mode flags.
const std::array<EchoKernel, 32> kEchoKernels = makeKernelTable(std::make_index_sequence<32>{});

constexpr float kFadeSeconds = 0.02f;

// Fresh zero pages straight from the system, which lends them only once
// they are written: memory the delays never reach costs nothing. (The
// allocator would hand back used memory and clear it, page by page.)
boost::shared_array<float> zeroedSamples(int64_t count)
{
    const std::size_t bytes = std::size_t(count) * sizeof(float);
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    return boost::shared_array<float>(static_cast<float*>(pages), [bytes](float* samples) { munmap(samples, bytes); });
}
constexpr float kShrinkSeconds = 2.0f;
}

Echo::Echo()
{
    for (Channel& channel : m_channels)
        channel.blocks.reserve(30);
}

Echo::~Echo() = default;

int64_t Echo::capacity(int c) const
{
    const Block& last = m_channels[c].blocks.back();
    return last.start + last.length;
}

int64_t Echo::positionOf(int c, const Pointer& p) const
{
    return m_channels[c].blocks[p.block].start + p.offset;
}

Echo::Pointer Echo::locate(int c, int64_t distance) const
{
    const Channel& channel = m_channels[c];
    const int64_t size = capacity(c);
    int64_t position = positionOf(c, channel.write) + distance;
    while (position > size)
        position -= size;
    Pointer p;
    for (std::size_t b = 0; b < channel.blocks.size(); ++b)
    {
        const Block& block = channel.blocks[b];
        if (block.start + block.length >= position)
        {
            p.block = int32_t(b);
            p.offset = position - block.start;
            break;
        }
    }
    return p;
}

void Echo::updateOffset(int c, Pointer& p, int64_t run)
{
    const Channel& channel = m_channels[c];
    p.offset -= run;
    assert(p.offset >= 0 && "offsets[channel] >= 0");
    if (p.offset == 0)
    {
        p.block = p.block == 0 ? int32_t(channel.blocks.size() - 1) : p.block - 1;
        p.offset = channel.blocks[p.block].length;
    }
}

int64_t Echo::delayFor(double length, double unitsPerBeat, double tempo) const
{
    double samplesPerUnit = double(m_sampleRate) * 60.0 / (unitsPerBeat * tempo);
    double samples = length * samplesPerUnit + 0.5;
    if (!(samples > 0.0))
        return 0;
    return int64_t(std::min(samples, 1e15));
}

void Echo::computeDelays(int firstChannel, int lastChannel)
{
    const float tempo = m_tempoFromHost ? m_hostTempo : float(m_tempo);
    if (!(m_sampleRate > 0.0f) || !(tempo > 0.0f) || m_units <= 0)
        return;
    for (int c = firstChannel; c <= lastChannel; ++c)
    {
        Channel& channel = m_channels[c];
        // Any delay past the reserved memory is held at its end.
        channel.delay = std::min(delayFor(channel.length, double(m_units), tempo), m_maxDelay);
        if (!channel.blocks.empty() && channel.delay >= capacity(c))
            grow(c);
    }
}

void Echo::grow(int c)
{
    Channel& channel = m_channels[c];
    // Only the history behind the write pointer stays readable; never more
    // than was valid before, so restarted memory stays unheard.
    channel.filled = std::min(channel.filled, capacity(c) - positionOf(c, channel.write));
    while (capacity(c) < channel.delay + 1 && !channel.spare.empty())
    {
        SpareBlock& spare = channel.spare.back();
        if (spare.dirty)
            std::fill_n(spare.samples.get(), m_blockLength, 0.0f);
        channel.blocks.push_back(Block{std::move(spare.samples), capacity(c), m_blockLength});
        channel.spare.pop_back();
    }
}

void Echo::dropLastBlock(int c)
{
    Channel& channel = m_channels[c];
    channel.spare.push_back(SpareBlock{std::move(channel.blocks.back().samples), true});
    channel.blocks.pop_back();
}

void Echo::housekeeping(int c, int64_t remaining)
{
    Channel& channel = m_channels[c];
    const Block& last = channel.blocks.back();
    // The last block is spare once the delay fits below it with a sample
    // to spare, so a delay never equals the capacity.
    if (last.start > channel.delay)
    {
        channel.idle += remaining;
        const int64_t writePosition = positionOf(c, channel.write);
        const int64_t readPosition = positionOf(c, channel.read);
        if (channel.state == Steady && channel.idle > m_shrinkAfter && writePosition < readPosition &&
            readPosition < last.start && channel.blocks.size() >= 2)
        {
            dropLastBlock(c);
            channel.idle = 0;
        }
    }
    else
    {
        channel.idle = 0;
    }

    if (channel.state == SilentRead)
    {
        // Forgotten memory is heard from the first sample a full delay
        // reaches, as the memory would have been.
        if (channel.delay <= channel.filled && m_forgotten)
        {
            channel.read = locate(c, channel.delay);
            channel.state = Steady;
            channel.currentDelay = channel.delay;
            channel.pendingDelay = channel.delay;
        }
        else if (channel.delay < channel.filled)
        {
            channel.read = locate(c, channel.delay);
            channel.fadeCounter = m_fadeLength;
            channel.state = FadeIn;
            channel.currentDelay = channel.delay;
            channel.pendingDelay = channel.delay;
            channel.fade = 0.0f;
        }
    }
    else if (channel.state == Steady && channel.delay != channel.currentDelay)
    {
        // Until enough has been written the old delay keeps playing.
        if (channel.delay < channel.filled)
        {
            channel.newRead = locate(c, channel.delay);
            channel.fadeCounter = m_fadeLength;
            channel.state = Crossfade;
            channel.pendingDelay = channel.delay;
            channel.fade = 0.0f;
        }
    }
}

bool Echo::process(const float* in, float* out, int64_t frames)
{
    if (m_channels[0].blocks.empty())
    {
        if (in != out && frames > 0)
            std::memmove(out, in, std::size_t(frames) * 2 * sizeof(float));
        return m_levelOn;
    }

    m_written = true;
    for (Channel& channel : m_channels)
    {
        channel.highPass.flushDenormals();
        channel.lowPass.flushDenormals();
    }

    while (frames > 0)
    {
        int64_t run = frames;
        for (int c = 0; c < 2; ++c)
        {
            housekeeping(c, frames);
            const Channel& channel = m_channels[c];
            run = std::min({run, channel.read.offset, channel.write.offset});
            if (channel.state == Crossfade || channel.state == FadeIn)
                run = std::min(run, channel.fadeCounter);
            if (channel.state == Crossfade)
                run = std::min(run, channel.newRead.offset);
            // A channel waiting for enough history ends its run on the
            // frame that completes it, so the fade starts there however
            // the calls are split.
            const bool waiting = channel.state == SilentRead ||
                                 (channel.state == Steady && channel.delay != channel.currentDelay);
            const int64_t needed = channel.delay + (m_forgotten && channel.state == SilentRead ? 0 : 1);
            if (waiting && needed > channel.filled)
                run = std::min(run, needed - channel.filled);
        }

        EchoRun echoRun;
        bool anySilent = false;
        bool anyFading = false;
        for (int c = 0; c < 2; ++c)
        {
            Channel& channel = m_channels[c];
            EchoLane& lane = echoRun.lanes[c];
            lane.write = channel.blocks[channel.write.block].samples.get() + channel.write.offset;
            lane.read = channel.blocks[channel.read.block].samples.get() + channel.read.offset;
            lane.newRead = lane.read;
            lane.keep = 1.0f;
            lane.fadeSlope = 0.0f;
            lane.newShare = 0.0f;
            lane.fade = channel.fade;
            lane.fadeStep = 0.0f;
            switch (channel.state)
            {
            case SilentRead:
                lane.keep = 0.0f;
                anySilent = true;
                break;
            case Crossfade:
                lane.newRead = channel.blocks[channel.newRead.block].samples.get() + channel.newRead.offset;
                lane.fadeSlope = -1.0f;
                lane.newShare = 1.0f;
                lane.fadeStep = m_fadeStep;
                anyFading = true;
                break;
            case FadeIn:
                lane.keep = 0.0f;
                lane.fadeSlope = 1.0f;
                lane.fadeStep = m_fadeStep;
                anyFading = true;
                break;
            default:
                break;
            }
            lane.wet = channel.wet;
            lane.feedback = channel.feedback;
            lane.highPass = &channel.highPass;
            lane.lowPass = &channel.lowPass;
        }
        echoRun.feedbackSource = m_feedbackSource;
        echoRun.writtenPeak = m_writtenPeak;
        echoRun.envelope = m_envelope;
        echoRun.attack = m_attack;
        echoRun.release = m_release;
        echoRun.duckDepth = m_duckDepth;
        echoRun.duckOffset = m_duckOffset;
        echoRun.feedbackMode = m_feedbackMode;

        const int family = (anyFading ? FadingFamily : SteadyFamily) | (anySilent ? SilentFamily : SteadyFamily);
        kEchoKernels[std::size_t(family) * 8 + m_modeFlags](in, out, run, echoRun);
        m_envelope = echoRun.envelope;
        m_writtenPeak = echoRun.writtenPeak;

        for (int c = 0; c < 2; ++c)
        {
            Channel& channel = m_channels[c];
            channel.filled = std::min(capacity(c), channel.filled + run);
            updateOffset(c, channel.write, run);
            updateOffset(c, channel.read, run);
            if (channel.state == Crossfade || channel.state == FadeIn)
            {
                channel.fade = echoRun.lanes[c].fade;
                if (channel.state == Crossfade)
                    updateOffset(c, channel.newRead, run);
                channel.fadeCounter -= run;
                if (channel.fadeCounter == 0)
                {
                    if (channel.state == Crossfade)
                    {
                        channel.read = channel.newRead;
                        channel.newRead = Pointer();
                        channel.currentDelay = channel.pendingDelay;
                    }
                    channel.state = Steady;
                }
            }
        }

        in += 2 * run;
        out += 2 * run;
        frames -= run;
    }
    return m_levelOn;
}

void Echo::setLevel(int64_t level)
{
    const bool wasOn = m_levelOn;
    m_levelOn = level != 0;
    m_level = 0.01f * float(level);
    for (Channel& channel : m_channels)
        channel.wet = channel.mix * m_level;
    // While the level was 0 the chain skipped the echo and its memory
    // froze; it must not come back when the echo does.
    if (m_levelOn && !wasOn)
        restart();
}

void Echo::setMixLeft(float mix)
{
    m_channels[0].mix = mix;
    m_channels[0].wet = mix * m_level;
}

void Echo::setMixRight(float mix)
{
    m_channels[1].mix = mix;
    m_channels[1].wet = mix * m_level;
}

void Echo::setFeedbackLeft(float feedback)
{
    m_channels[0].feedback = feedback;
}

void Echo::setFeedbackRight(float feedback)
{
    m_channels[1].feedback = feedback;
}

void Echo::setFeedbackMode(uint32_t mode)
{
    // The mode indexes the feedback sources; only 0 and 1 are routings.
    m_feedbackMode = mode != 0 ? 1 : 0;
}

void Echo::setDucking(int64_t percent)
{
    m_duckDepth = 0.01f * float(percent);
    if (percent == 0)
    {
        m_modeFlags &= ~unsigned(GateOn);
        m_duckOffset = 1.0f;
    }
    else
    {
        m_modeFlags |= GateOn;
        m_duckOffset = percent > 0 ? 1.0f - m_duckDepth : 1.0f;
    }
}

void Echo::setHighPass(float hz)
{
    // A cutoff that is not a number would poison the feedback loop for good.
    if (std::isnan(hz))
        return;
    m_highPassCutoff = hz;
    if (hz < 10.0f)
        m_modeFlags &= ~unsigned(HighPassOn);
    else
        m_modeFlags |= HighPassOn;
    updateFilters();
}

void Echo::setLowPass(float hz)
{
    if (std::isnan(hz))
        return;
    m_lowPassCutoff = hz;
    if (hz > 19000.0f)
        m_modeFlags &= ~unsigned(LowPassOn);
    else
        m_modeFlags |= LowPassOn;
    updateFilters();
}

void Echo::setTempo(int64_t bpm)
{
    m_tempo = bpm;
    m_tempoFromHost = bpm == 31;
    if (!m_tempoFromHost)
        computeDelays(0, 1);
}

void Echo::setHostTempo(float bpm)
{
    if (std::isnan(bpm))
        return;
    bpm = std::clamp(bpm, kSlowestHostTempo, kFastestHostTempo);
    if (bpm == m_hostTempo)
        return;
    m_hostTempo = bpm;
    computeDelays(0, 1);
}

void Echo::setUnits(int64_t unitsPerBeat)
{
    m_units = unitsPerBeat;
    computeDelays(0, 1);
}

void Echo::setLengthLeft(uint32_t units)
{
    m_channels[0].length = units;
    computeDelays(0, 0);
}

void Echo::setLengthRight(uint32_t units)
{
    m_channels[1].length = units;
    computeDelays(1, 1);
}

void Echo::updateFilters()
{
    if (!(m_sampleRate > 0.0f))
        return;
    // Below 64 Hz the high-pass widens its poles with its cutoff.
    const float q = (std::isnan(m_highPassCutoff) || m_highPassCutoff >= 64.0f) ? 0.5f : m_highPassCutoff / 128.0f;
    // The low-pass keeps its own Q: taking the high-pass's would all but
    // bypass it whenever the high-pass is set low or switched off.
    const float lowPassQ = 0.5f;
    const float lowPassCutoff = std::max(m_lowPassCutoff, 1.0f);
    for (Channel& channel : m_channels)
    {
        channel.highPass.setup(m_highPassCutoff, q, 0.5 * m_sampleRate);
        channel.lowPass.setupUnityGain(lowPassCutoff, lowPassQ, 0.5 * m_sampleRate);
    }
}

void Echo::updateFollower()
{
    m_attack = float(0.5 * (1.0 - std::exp(-1.0 / (double(m_sampleRate) * 0.01))));
    m_release = float(0.5 * (1.0 - std::exp(-1.0 / (double(m_sampleRate) * 0.02))));
}

void Echo::releaseMemory()
{
    m_written = false;
    for (Channel& channel : m_channels)
    {
        channel.blocks.clear();
        channel.spare.clear();
        channel.write = Pointer();
        channel.read = Pointer();
        channel.newRead = Pointer();
    }
}

void Echo::setSampleRate(float rate)
{
    releaseMemory();
    if (!(rate > 0.0f) || !std::isfinite(rate))
    {
        m_sampleRate = 0.0f;
        return;
    }
    m_sampleRate = rate;
    m_blockLength = std::max<int64_t>(1, int64_t(rate));
    m_maxDelay = delayFor(double(kLongestLength), double(kFewestUnitsPerBeat), kSlowestTempo);

    // One block of two seconds, then enough one-second blocks for the
    // longest delay plus the sample that keeps it below the capacity.
    const int64_t firstLength = std::max<int64_t>(1, int64_t(2.0f * rate));
    const int64_t needed = m_maxDelay + 1 - firstLength;
    const std::size_t spareCount = needed > 0 ? std::size_t((needed + m_blockLength - 1) / m_blockLength) : 0;
    for (Channel& channel : m_channels)
    {
        channel.blocks.reserve(std::max<std::size_t>(30, spareCount + 1));
        channel.spare.reserve(spareCount);
        channel.blocks.push_back(Block{zeroedSamples(firstLength), 0, firstLength});
        for (std::size_t i = 0; i < spareCount; ++i)
            channel.spare.push_back(SpareBlock{zeroedSamples(m_blockLength), false});
        channel.write = Pointer{0, firstLength};
        channel.read = channel.write;
        channel.filled = 0;
        channel.idle = 0;
    }

    computeDelays(0, 1);
    updateFilters();
    updateFollower();
    m_fadeLength = std::max<int64_t>(1, int64_t(kFadeSeconds * rate));
    m_fadeStep = 1.0f / float(m_fadeLength);
    m_shrinkAfter = int64_t(kShrinkSeconds * rate);
    clear();
}

void Echo::clear()
{
    if (!(m_sampleRate > 0.0f) || m_channels[0].blocks.empty())
        return;
    for (int c = 0; c < 2; ++c)
    {
        Channel& channel = m_channels[c];
        if (capacity(c) > channel.delay)
        {
            while (channel.blocks.size() >= 2 && channel.blocks.back().start > channel.delay)
                dropLastBlock(c);
        }
        else
        {
            grow(c);
        }
        if (m_written)
            for (Block& block : channel.blocks)
                std::fill_n(block.samples.get(), block.length, 0.0f);
        for (SpareBlock& spare : channel.spare)
        {
            if (spare.dirty)
                std::fill_n(spare.samples.get(), m_blockLength, 0.0f);
            spare.dirty = false;
        }
        channel.filled = capacity(c);
        m_feedbackSource[c] = 0.0f;
        channel.write = Pointer{int32_t(channel.blocks.size() - 1), channel.blocks.back().length};
        channel.newRead = Pointer();
        channel.read = locate(c, channel.delay);
        channel.currentDelay = channel.delay;
        channel.pendingDelay = channel.delay;
        channel.state = Steady;
        channel.idle = 0;
    }
    m_written = false;
    m_envelope = 0.0f;
    updateFollower();
    for (Channel& channel : m_channels)
    {
        channel.highPass.reset();
        channel.lowPass.reset();
    }
}

float Echo::takeWrittenPeak()
{
    const float peak = m_writtenPeak;
    m_writtenPeak = 0.0f;
    return peak;
}

int64_t Echo::longestDelay() const
{
    return std::max(m_channels[0].delay, m_channels[1].delay);
}

void Echo::forget()
{
    restart();
    m_forgotten = true;
}

void Echo::restart()
{
    m_forgotten = false;
    for (int c = 0; c < 2; ++c)
    {
        Channel& channel = m_channels[c];
        channel.state = SilentRead;
        channel.filled = 0;
        // What the loop and the filters still hold belongs to the old memory.
        m_feedbackSource[c] = 0.0f;
        channel.highPass.reset();
        channel.lowPass.reset();
    }
}
