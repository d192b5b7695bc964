#include "Source/effects/Echo.h"

#include "Source/ProgramChangeWorker.h"
#include "dsp/AlignedMemory.h"

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
    // The run's lanes, filters and feedback on copies, which stay in
    // registers: through their homes every sample would wait for the last
    // one's stores, which the delay line's writes might have overwritten.
    EchoLane lanes[2] = {run.lanes[0], run.lanes[1]};
    TwoPoleFilter highPass[2];
    TwoPoleFilter lowPass[2];
    for (int c = 0; c < 2; ++c)
    {
        if (Flags & HighPassOn)
            highPass[c] = *lanes[c].highPass;
        if (Flags & LowPassOn)
            lowPass[c] = *lanes[c].lowPass;
    }
    float feedbackSource[2] = {run.feedbackSource[0], run.feedbackSource[1]};
    float writtenPeak = run.writtenPeak;
    float envelope = run.envelope;
    const float attack = run.attack;
    const float release = run.release;
    const float duckDepth = run.duckDepth;
    const float duckOffset = run.duckOffset;
    const int feedbackMode = run.feedbackMode;
    for (int64_t i = 0; i < frames; ++i)
    {
        // Both inputs are read first, so the echo may run in place.
        const float x[2] = {in[0], in[1]};
        float g = 1.0f;
        if (Flags & GateOn)
        {
            float d = std::max(std::fabs(x[0]), std::fabs(x[1])) - envelope + 1e-16f;
            envelope += (std::fabs(d) + d) * attack + (d - std::fabs(d)) * release;
            g = std::min(envelope, 1.0f) * duckDepth + duckOffset;
        }
        for (int c = 0; c < 2; ++c)
        {
            EchoLane& lane = lanes[c];
            const float w = g * lane.wet;
            float v = x[c];
            if (Flags & HighPassOn)
                v = highPass[c].processHighPass(v);
            v += (feedbackSource[c ^ feedbackMode] - 1e-16f) * lane.feedback;
            *--lane.write = v;
            writtenPeak = std::max(writtenPeak, std::fabs(v));
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
                r = lowPass[c].process(r + 1e-16f);
            feedbackSource[c] = r + 1e-16f;
            out[c] = x[c] * (1.0f - w) + w * r;
        }
        in += 2;
        out += 2;
    }
    for (int c = 0; c < 2; ++c)
    {
        if (Flags & HighPassOn)
            *lanes[c].highPass = highPass[c];
        if (Flags & LowPassOn)
            *lanes[c].lowPass = lowPass[c];
        run.lanes[c] = lanes[c];
        run.feedbackSource[c] = feedbackSource[c];
    }
    run.writtenPeak = writtenPeak;
    run.envelope = envelope;
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
// Above it the low-pass is off.
constexpr float kHighestLowPass = 19000.0f;
constexpr float kShrinkSeconds = 2.0f;

// Fresh zero pages straight from the system, which lends them only once
// they are written: memory the delays never reach costs nothing. (The
// allocator would hand back used memory and clear it, page by page.)
float* allocateBlock(int64_t samples)
{
    try
    {
        return static_cast<float*>(zeroPagesAllocate(std::size_t(samples) * sizeof(float)));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void freeBlock(float* block, int64_t samples)
{
    zeroPagesFree(block, std::size_t(samples) * sizeof(float));
}

// Memory grown while playing is written within one delay anyway: taking its
// pages here spares the audio thread the faults.
void makeResident(float* block, int64_t samples)
{
    volatile float* page = block;
    const int64_t pageSamples = 4096 / int64_t(sizeof(float));
    for (int64_t i = 0; i < samples; i += pageSamples)
        page[i] = 0.0f;
}

// The pages of a block in use, taken without touching what it holds, so
// that a thread writing it meanwhile loses nothing and faults no more.
void makeResidentInPlace(float* block, int64_t samples)
{
    zeroPagesPrefault(block, std::size_t(samples) * sizeof(float));
}

// Zero again, and no longer resident until written.
void zeroBlock(float* block, int64_t samples)
{
    if (madvise(block, std::size_t(samples) * sizeof(float), MADV_DONTNEED) != 0)
        std::fill_n(block, samples, 0.0f);
}
}

bool Echo::BlockQueue::push(float* block)
{
    const unsigned tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) == kRoom)
        return false;
    m_slots[tail % kRoom] = block;
    m_tail.store(tail + 1, std::memory_order_release);
    return true;
}

float* Echo::BlockQueue::pop()
{
    const unsigned head = m_head.load(std::memory_order_relaxed);
    if (head == m_tail.load(std::memory_order_acquire))
        return nullptr;
    float* block = m_slots[head % kRoom];
    m_head.store(head + 1, std::memory_order_release);
    return block;
}

Echo::Echo()
{
    for (Channel& channel : m_channels)
        channel.blocks.reserve(kMostBlocks);
}

Echo::~Echo()
{
    std::lock_guard<std::mutex> lock(m_memoryMutex);
    releaseMemory();
}

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
        // Any delay past the longest is held there.
        m_channels[c].wanted = std::min(delayFor(m_channels[c].length, double(m_units), tempo), m_maxDelay);
        fitMemory(c);
    }
}

int Echo::blocksFor(int64_t delay) const
{
    // The capacity stays above the delay by a sample.
    const int64_t beyondFirst = delay + 1 - m_firstLength;
    if (beyondFirst <= 0 || m_blockLength <= 0)
        return 0;
    return int(std::min<int64_t>((beyondFirst + m_blockLength - 1) / m_blockLength, kMostBlocks - 1));
}

void Echo::fitMemory(int c)
{
    Channel& channel = m_channels[c];
    if (channel.blocks.empty())
        return;
    if (m_asleep)
    {
        // Waking asks for the memory.
        channel.delay = std::min(channel.wanted, capacity(c) - 1);
        return;
    }
    const int blocks = blocksFor(channel.wanted);
    if (blocks != channel.wantedBlocks)
    {
        channel.wantedBlocks = blocks;
        m_wantedBlocks[c].store(blocks, std::memory_order_release);
        takeSupplied(c);
        if (int(channel.blocks.size()) - 1 + channel.spareCount < blocks)
            requestMemory();
    }
    if (channel.wanted >= capacity(c))
        grow(c);
    channel.delay = std::min(channel.wanted, capacity(c) - 1);
}

void Echo::takeSupplied(int c)
{
    Channel& channel = m_channels[c];
    while (channel.spareCount < kMostBlocks)
    {
        float* block = m_supplied[c].pop();
        if (!block)
            break;
        channel.spare[channel.spareCount++] = block;
    }
    // Blocks that came for a delay since shortened go straight back.
    bool gaveBack = false;
    while (channel.spareCount > 0 && int(channel.blocks.size()) - 1 + channel.spareCount > channel.wantedBlocks &&
           m_returned[c].push(channel.spare[channel.spareCount - 1]))
    {
        --channel.spareCount;
        gaveBack = true;
    }
    if (gaveBack)
        requestMemory();
}

void Echo::requestMemory()
{
    m_memoryRequest.store(true, std::memory_order_release);
    ProgramChangeWorker::wake();
}

void Echo::grow(int c)
{
    Channel& channel = m_channels[c];
    // New blocks go in where the write pointer stands on a block edge: there
    // they lie beyond the oldest sample, so every pointer keeps its distance
    // from the write pointer and all the history stays readable. (Anywhere
    // else they would cut the history in two.)
    const Pointer at = channel.write;
    const int64_t edge = channel.blocks[at.block].length;
    if (channel.spareCount == 0 || at.offset != edge)
        return;
    const int64_t oldCapacity = capacity(c);
    int32_t added = 0;
    int64_t addedLength = 0;
    while (oldCapacity + addedLength < channel.wanted + 1 && channel.spareCount > 0)
    {
        // The room was reserved: the insertion allocates nothing.
        channel.blocks.insert(channel.blocks.begin() + at.block + 1 + added,
                              Block{channel.spare[--channel.spareCount], 0, m_blockLength});
        ++added;
        addedLength += m_blockLength;
    }
    for (std::size_t b = std::size_t(at.block) + 1; b < channel.blocks.size(); ++b)
        channel.blocks[b].start = channel.blocks[b - 1].start + channel.blocks[b - 1].length;
    const auto move = [&](Pointer& p) {
        if (p.block > at.block)
            p.block += added;
        else if (p.block == at.block && p.offset == edge)
            p = Pointer{at.block + added, m_blockLength};
    };
    move(channel.write);
    move(channel.read);
    if (channel.state == Crossfade)
        move(channel.newRead);
    channel.idle = 0;
}

void Echo::sleep()
{
    if (m_channels[0].blocks.empty())
        return;
    if (!m_asleep)
    {
        m_asleep = true;
        for (int c = 0; c < 2; ++c)
        {
            Channel& channel = m_channels[c];
            channel.wantedBlocks = 0;
            m_wantedBlocks[c].store(0, std::memory_order_release);
            // Nothing written is kept: the writing starts again at the top
            // of the first block. Memory brought on waking goes in when it
            // comes round there, with all that was written since.
            channel.write = Pointer{0, channel.blocks[0].length};
            channel.read = channel.write;
            channel.newRead = Pointer();
            channel.state = SilentRead;
            channel.filled = 0;
            channel.idle = 0;
        }
    }
    for (int c = 0; c < 2; ++c)
    {
        giveBackRing(c);
        if (m_firstWritten[c])
            swapFirstBlock(c);
    }
}

void Echo::startFadeIn(int c)
{
    Channel& channel = m_channels[c];
    channel.read = locate(c, channel.delay);
    channel.fadeCounter = m_fadeLength;
    channel.state = FadeIn;
    channel.currentDelay = channel.delay;
    channel.pendingDelay = channel.delay;
    channel.fade = 0.0f;
}

void Echo::passSilence(int64_t frames)
{
    if (!m_asleep || m_forgotten || frames <= 0 || m_channels[0].blocks.empty())
        return;
    // Both channels were restarted together and have waited as long. A
    // restarted echo fades in once a full delay has been written; over a
    // fade's length of silence that fade ends before anything played after
    // the silence is read, so that the echo sounds as a forgotten one does.
    for (Channel& channel : m_channels)
        channel.filled = std::min(capacity(0), channel.filled + frames);
    if (m_channels[0].filled < m_fadeLength)
        return;
    for (Channel& channel : m_channels)
    {
        channel.read = channel.write;
        channel.filled = 0;
    }
    m_forgotten = true;
}

void Echo::swapFirstBlock(int c)
{
    // Until the server has freed the last one, or brought a fresh one, the
    // next block tries again.
    if (m_staleFirst[c].load(std::memory_order_acquire))
        return;
    float* fresh = m_freshFirst[c].exchange(nullptr, std::memory_order_acq_rel);
    if (!fresh)
    {
        if (!hasMemoryRequest())
            requestMemory();
        return;
    }
    Block& first = m_channels[c].blocks[0];
    m_staleFirst[c].store(first.samples, std::memory_order_release);
    first.samples = fresh;
    m_firstWritten[c] = false;
    requestMemory();
}

void Echo::giveBackRing(int c)
{
    Channel& channel = m_channels[c];
    takeSupplied(c);
    bool gaveBack = false;
    // A full queue keeps the rest for the next block.
    while (channel.blocks.size() > 1 && m_returned[c].push(channel.blocks.back().samples))
    {
        channel.blocks.pop_back();
        gaveBack = true;
    }
    if (gaveBack)
    {
        channel.delay = std::min(channel.wanted, capacity(c) - 1);
        requestMemory();
    }
}

bool Echo::dropLastBlock(int c)
{
    Channel& channel = m_channels[c];
    if (!m_returned[c].push(channel.blocks.back().samples))
        return false;
    channel.blocks.pop_back();
    // What lay before the dropped block is older than what lies behind the
    // write pointer up to the new top: the history stops there.
    channel.filled = std::min(channel.filled, capacity(c) - positionOf(c, channel.write));
    requestMemory();
    return true;
}

void Echo::housekeeping(int c, int64_t remaining)
{
    Channel& channel = m_channels[c];
    if (channel.wanted > channel.delay && channel.spareCount > 0)
    {
        grow(c);
        channel.delay = std::min(channel.wanted, capacity(c) - 1);
    }
    const Block& last = channel.blocks.back();
    // The last block is spare once the delay fits below it with a sample
    // to spare, so a delay never equals the capacity.
    if (last.start > channel.delay)
    {
        channel.idle += remaining;
        const int64_t writePosition = positionOf(c, channel.write);
        const int64_t readPosition = positionOf(c, channel.read);
        if (channel.state == Steady && channel.idle > m_shrinkAfter && writePosition < readPosition &&
            readPosition < last.start && channel.blocks.size() >= 2 && dropLastBlock(c))
            channel.idle = 0;
    }
    else
    {
        channel.idle = 0;
    }

    if (channel.state == SilentRead)
    {
        // A delay held short while its memory is on the way is never heard:
        // the first repeat comes at the delay asked for.
        if (channel.delay < channel.wanted)
            return;
        // Forgotten memory is heard from the first sample a full delay
        // reaches, as the memory would have been.
        if (m_forgotten && channel.delay <= channel.filled)
        {
            channel.read = locate(c, channel.delay);
            channel.state = Steady;
            channel.currentDelay = channel.delay;
            channel.pendingDelay = channel.delay;
        }
        else if (channel.delay < channel.filled)
        {
            startFadeIn(c);
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
    m_firstWritten[0] = true;
    m_firstWritten[1] = true;
    if (m_asleep)
    {
        m_asleep = false;
        for (int c = 0; c < 2; ++c)
        {
            fitMemory(c);
            // The first block may be of fresh pages: the worker takes them.
            m_wokenFirst[c].store(m_channels[c].blocks[0].samples, std::memory_order_release);
        }
        requestMemory();
    }
    for (int c = 0; c < 2; ++c)
    {
        takeSupplied(c);
        m_channels[c].highPass.flushDenormals();
        m_channels[c].lowPass.flushDenormals();
    }

    while (frames > 0)
    {
        if (!isRunning())
        {
            // Glided down to off: from that frame on the chain would have
            // left the echo out, however its calls are split.
            if (in != out)
                std::memmove(out, in, std::size_t(frames) * 2 * sizeof(float));
            break;
        }
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
        run = holdLevels(run);

        EchoRun echoRun;
        bool anySilent = false;
        bool anyFading = false;
        for (int c = 0; c < 2; ++c)
        {
            Channel& channel = m_channels[c];
            EchoLane& lane = echoRun.lanes[c];
            lane.write = channel.blocks[channel.write.block].samples + channel.write.offset;
            lane.read = channel.blocks[channel.read.block].samples + channel.read.offset;
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
                lane.newRead = channel.blocks[channel.newRead.block].samples + channel.newRead.offset;
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
            lane.wet = channel.wet.value();
            lane.feedback = channel.feedback.value();
            lane.highPass = &channel.highPass;
            lane.lowPass = &channel.lowPass;
        }
        echoRun.feedbackSource = m_feedbackSource;
        echoRun.writtenPeak = m_writtenPeak;
        echoRun.envelope = m_envelope;
        echoRun.attack = m_attack;
        echoRun.release = m_release;
        echoRun.duckDepth = m_duckDepth.value();
        echoRun.duckOffset = m_duckOffset.value();
        echoRun.feedbackMode = m_feedbackMode;

        const int family = (anyFading ? FadingFamily : SteadyFamily) | (anySilent ? SilentFamily : SteadyFamily);
        kEchoKernels[std::size_t(family) * 8 + m_modeFlags](in, out, run, echoRun);
        m_envelope = echoRun.envelope;
        m_writtenPeak = echoRun.writtenPeak;
        advanceLevels(run);

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
    return isRunning();
}

void Echo::setLevel(int64_t level)
{
    const bool wasRunning = isRunning();
    m_levelOn = level != 0;
    m_level = 0.01f * float(level);
    for (Channel& channel : m_channels)
        channel.wet.glideTo(channel.mix * m_level);
    // Once its level had glided to 0 the chain skipped the echo and its
    // memory froze; it must not come back when the echo does. One turned
    // back on while still gliding down never left.
    if (m_levelOn && !wasRunning)
        restart();
}

void Echo::setMixLeft(float mix)
{
    m_channels[0].mix = mix;
    m_channels[0].wet.glideTo(mix * m_level);
}

void Echo::setMixRight(float mix)
{
    m_channels[1].mix = mix;
    m_channels[1].wet.glideTo(mix * m_level);
}

void Echo::setFeedbackLeft(float feedback)
{
    m_channels[0].feedback.glideTo(feedback);
}

void Echo::setFeedbackRight(float feedback)
{
    m_channels[1].feedback.glideTo(feedback);
}

void Echo::setFeedbackMode(uint32_t mode)
{
    // The mode indexes the feedback sources; only 0 and 1 are routings.
    m_feedbackMode = mode != 0 ? 1 : 0;
}

void Echo::setDucking(int64_t percent)
{
    m_ducking = percent;
    const float depth = 0.01f * float(percent);
    m_duckDepth.glideTo(depth);
    m_duckOffset.glideTo(percent > 0 ? 1.0f - depth : 1.0f);
    // Switched off, the gate keeps working until it has glided open.
    if (percent != 0)
        m_modeFlags |= GateOn;
    else if (!m_duckDepth.isGliding() && !m_duckOffset.isGliding())
        m_modeFlags &= ~unsigned(GateOn);
}

bool Echo::isRunning() const
{
    return m_levelOn || m_channels[0].wet.isGliding() || m_channels[1].wet.isGliding();
}

int64_t Echo::holdLevels(int64_t run) const
{
    for (const Channel& channel : m_channels)
        run = channel.feedback.holdFor(channel.wet.holdFor(run));
    return m_duckOffset.holdFor(m_duckDepth.holdFor(run));
}

void Echo::advanceLevels(int64_t run)
{
    for (Channel& channel : m_channels)
    {
        channel.wet.advance(run);
        channel.feedback.advance(run);
    }
    m_duckDepth.advance(run);
    m_duckOffset.advance(run);
    if (m_ducking == 0 && !m_duckDepth.isGliding() && !m_duckOffset.isGliding())
        m_modeFlags &= ~unsigned(GateOn);
}

void Echo::settleLevels()
{
    for (Channel& channel : m_channels)
    {
        channel.wet.settle();
        channel.feedback.settle();
    }
    m_duckDepth.settle();
    m_duckOffset.settle();
    if (m_ducking == 0)
        m_modeFlags &= ~unsigned(GateOn);
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
    if (hz > kHighestLowPass)
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
    // The low-pass sits in the feedback loop, and its response rises above 1
    // near the top of the band as its cutoff nears half the host rate: with
    // the top feedback the loop would grow. Below 44.1 kHz the cutoff is kept
    // to the share of the rate the highest one (19 kHz) has at 44.1 kHz,
    // where the loop holds; from there up nothing changes.
    float lowPassCutoff = std::max(m_lowPassCutoff, 1.0f);
    if (m_sampleRate < 2.0f * 44100.0f)
        lowPassCutoff = std::min(lowPassCutoff, float(double(kHighestLowPass) * m_sampleRate / (2.0 * 44100.0)));
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
    m_asleep = false;
    for (int c = 0; c < 2; ++c)
    {
        Channel& channel = m_channels[c];
        for (std::size_t b = 0; b < channel.blocks.size(); ++b)
            freeBlock(channel.blocks[b].samples, b == 0 ? m_firstLength : m_blockLength);
        channel.blocks.clear();
        while (channel.spareCount > 0)
            freeBlock(channel.spare[--channel.spareCount], m_blockLength);
        for (BlockQueue* queue : {&m_supplied[c], &m_returned[c]})
            while (float* block = queue->pop())
                freeBlock(block, m_blockLength);
        for (std::atomic<float*>* first : {&m_freshFirst[c], &m_staleFirst[c]})
            freeBlock(first->exchange(nullptr, std::memory_order_acq_rel), m_firstLength);
        m_wokenFirst[c].store(nullptr, std::memory_order_relaxed);
        m_firstWritten[c] = false;
        channel.write = Pointer();
        channel.read = Pointer();
        channel.newRead = Pointer();
        channel.wantedBlocks = 0;
        m_wantedBlocks[c].store(0, std::memory_order_relaxed);
        m_givenBlocks[c] = 0;
    }
    m_memoryRequest.store(false, std::memory_order_relaxed);
    publishHeldBlocks();
}

void Echo::publishHeldBlocks()
{
    m_heldBlocks.store(m_givenBlocks[0] + m_givenBlocks[1], std::memory_order_relaxed);
}

void Echo::serveMemory()
{
    std::lock_guard<std::mutex> lock(m_memoryMutex);
    // A request made from here on wakes the server again.
    m_memoryRequest.exchange(false, std::memory_order_acq_rel);
    for (int c = 0; c < 2; ++c)
    {
        serveFirstBlock(c);
        while (float* block = m_returned[c].pop())
        {
            freeBlock(block, m_blockLength);
            --m_givenBlocks[c];
        }
        const int wanted = m_wantedBlocks[c].load(std::memory_order_acquire);
        while (m_givenBlocks[c] < wanted)
        {
            float* block = allocateBlock(m_blockLength);
            if (!block)
                break;
            makeResident(block, m_blockLength);
            // Counted before the audio thread can take it.
            ++m_givenBlocks[c];
            publishHeldBlocks();
            if (!m_supplied[c].push(block))
            {
                freeBlock(block, m_blockLength);
                --m_givenBlocks[c];
                break;
            }
        }
    }
    publishHeldBlocks();
}

void Echo::serveFirstBlock(int c)
{
    if (m_firstLength <= 0)
        return;
    // A block woken before it was given back is still there: the stale one
    // is freed only after it.
    float* stale = m_staleFirst[c].exchange(nullptr, std::memory_order_acq_rel);
    float* woken = m_wokenFirst[c].exchange(nullptr, std::memory_order_acq_rel);
    if (woken && woken != stale)
        makeResidentInPlace(woken, m_firstLength);
    freeBlock(stale, m_firstLength);
    // Address space only: the pages are lent once written.
    if (!m_freshFirst[c].load(std::memory_order_acquire))
        m_freshFirst[c].store(allocateBlock(m_firstLength), std::memory_order_release);
}

void Echo::settleMemory()
{
    // Sized for the delays, the memory is ready for the first block.
    m_asleep = false;
    for (int c = 0; c < 2; ++c)
    {
        Channel& channel = m_channels[c];
        if (channel.blocks.empty())
            continue;
        serveFirstBlock(c);
        while (float* block = m_returned[c].pop())
        {
            freeBlock(block, m_blockLength);
            --m_givenBlocks[c];
        }
        while (channel.spareCount < kMostBlocks)
        {
            float* block = m_supplied[c].pop();
            if (!block)
                break;
            channel.spare[channel.spareCount++] = block;
        }
        const int wanted = blocksFor(channel.wanted);
        channel.wantedBlocks = wanted;
        m_wantedBlocks[c].store(wanted, std::memory_order_relaxed);
        // The ring is about to be emptied: its end may move.
        while (int(channel.blocks.size()) - 1 > wanted)
        {
            freeBlock(channel.blocks.back().samples, m_blockLength);
            channel.blocks.pop_back();
            --m_givenBlocks[c];
        }
        while (int(channel.blocks.size()) - 1 < wanted)
        {
            float* block = nullptr;
            if (channel.spareCount > 0)
            {
                block = channel.spare[--channel.spareCount];
            }
            else if ((block = allocateBlock(m_blockLength)))
            {
                ++m_givenBlocks[c];
            }
            else
            {
                break;
            }
            channel.blocks.push_back(Block{block, capacity(c), m_blockLength});
        }
        while (channel.spareCount > 0)
        {
            freeBlock(channel.spare[--channel.spareCount], m_blockLength);
            --m_givenBlocks[c];
        }
        channel.delay = std::min(channel.wanted, capacity(c) - 1);
    }
    m_memoryRequest.store(false, std::memory_order_relaxed);
    publishHeldBlocks();
}

void Echo::setSampleRate(float rate, bool takeMemory)
{
    {
        std::lock_guard<std::mutex> lock(m_memoryMutex);
        releaseMemory();
        if (!(rate > 0.0f) || !std::isfinite(rate))
        {
            m_sampleRate = 0.0f;
            return;
        }
        m_sampleRate = rate;
        m_maxDelay = delayFor(double(kLongestLength), double(kFewestUnitsPerBeat), kSlowestTempo);
        // One block of two seconds, then one-second blocks as the delays
        // need them.
        m_firstLength = std::max<int64_t>(1, int64_t(2.0f * rate));
        m_blockLength = std::max<int64_t>(1, int64_t(rate));
        if (takeMemory)
            takeFirstBlocks();
    }

    computeDelays(0, 1);
    updateFilters();
    updateFollower();
    m_fadeLength = std::max<int64_t>(1, int64_t(kFadeSeconds * rate));
    m_fadeStep = 1.0f / float(m_fadeLength);
    m_shrinkAfter = int64_t(kShrinkSeconds * rate);
    for (Channel& channel : m_channels)
    {
        channel.wet.setRate(rate);
        channel.feedback.setRate(rate);
    }
    m_duckDepth.setRate(rate);
    m_duckOffset.setRate(rate);
    // Without memory the next clear takes it and starts from silence.
    if (takeMemory)
        clear();
}

void Echo::takeFirstBlocks()
{
    for (Channel& channel : m_channels)
    {
        float* first = allocateBlock(m_firstLength);
        if (!first)
        {
            releaseMemory();
            m_sampleRate = 0.0f;
            throw std::bad_alloc();
        }
        channel.blocks.push_back(Block{first, 0, m_firstLength});
        channel.write = Pointer{0, m_firstLength};
        channel.read = channel.write;
        channel.filled = 0;
        channel.idle = 0;
    }
}

void Echo::clear()
{
    if (!(m_sampleRate > 0.0f))
        return;
    {
        std::lock_guard<std::mutex> lock(m_memoryMutex);
        if (m_channels[0].blocks.empty())
        {
            // The rate came without memory: it comes now. Should the system
            // have none, the echo passes its input through.
            try
            {
                takeFirstBlocks();
            }
            catch (const std::bad_alloc&)
            {
                return;
            }
        }
        settleMemory();
    }
    for (int c = 0; c < 2; ++c)
    {
        Channel& channel = m_channels[c];
        if (m_written)
            for (Block& block : channel.blocks)
                zeroBlock(block.samples, block.length);
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
    settleLevels();
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
