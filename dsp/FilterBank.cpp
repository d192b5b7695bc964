#include "dsp/FilterBank.h"

#include "dsp/AlignedMemory.h"
#include "dsp/DualFilterSse.h"
#include "dsp/DualFilterStandard.h"
#include "dsp/FilterConstants.h"
#include "dsp/FilterTables.h"
#include "dsp/VoiceBuffers.h"
#include "simd/SystemInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>

FilterBank::FilterBank()
    : m_segments(nullptr),
      m_segmentCount(0),
      m_segmentCapacity(0),
      m_filterType(kFilterBypass),
      m_settings(),
      m_filters(),
      m_coefficients(),
      m_streams(nullptr),
      m_ticks(0),
      m_outputStride(0),
      m_outputs(nullptr),
      m_buffers(),
      m_sse(SystemInfo().hasSse()),
      m_simdPath(SystemInfo().simdPath())
{
    try
    {
        for (DualFilter*& filter : m_filters)
        {
            filter = m_sse ? static_cast<DualFilter*>(new DualFilterSse) : new DualFilterStandard;
            filter->setCoefficientTable(m_coefficients);
        }
    }
    catch (...)
    {
        for (DualFilter* filter : m_filters)
            delete filter;
        throw;
    }
}

FilterBank::~FilterBank()
{
    for (DualFilter* filter : m_filters)
        delete filter;
    releaseBuffers();
    delete[] m_segments;
}

void FilterBank::setSampleRate(float hostRate)
{
    if (!(hostRate > 0.0f) || !std::isfinite(hostRate))
        return;
    makeCutoffCoefficients(m_coefficients, hostRate);
}

void FilterBank::resizeSegmentList(std::uint32_t capacity)
{
    Segment* segments = new Segment[capacity];
    delete[] m_segments;
    m_segments = segments;
    m_segmentCapacity = capacity;
    m_segmentCount = 0;
}

void FilterBank::prefaultBuffers(int begin, int end) const
{
    const std::size_t stride = static_cast<std::size_t>(m_outputStride);
    if (m_outputs != nullptr && end > begin)
        zeroPagesPrefault(m_outputs + begin * stride, (end - begin) * stride * sizeof(float));
}

std::size_t FilterBank::voiceBufferBytes() const
{
    return static_cast<std::size_t>(m_outputStride) * sizeof(float);
}

void FilterBank::releaseBuffers()
{
    alignedFree(m_streams);
    zeroPagesFree(m_outputs, kVoices * static_cast<std::size_t>(m_outputStride) * sizeof(float));
    m_streams = nullptr;
    m_outputs = nullptr;
    std::fill(std::begin(m_buffers), std::end(m_buffers), nullptr);
}

void FilterBank::setBlockSize(std::int32_t ticks)
{
    const std::int32_t n = std::max(ticks, 0);
    const std::size_t words = static_cast<std::size_t>(kVoices) * static_cast<std::size_t>(std::max(n, 1));
    const std::size_t stride = static_cast<std::size_t>(kFrameSamples) * static_cast<std::size_t>(n + 1);
    auto freeAligned = [](void* p) { alignedFree(p); };
    std::unique_ptr<void, decltype(freeAligned)> streams(alignedMalloc(words * sizeof(std::uint32_t)), freeAligned);
    // Untouched zero pages: a voice's output takes memory only once it plays.
    const std::size_t outputBytes = kVoices * stride * sizeof(float);
    auto freeZeroPages = [outputBytes](void* p) { zeroPagesFree(p, outputBytes); };
    std::unique_ptr<void, decltype(freeZeroPages)> outputs(zeroPagesAllocate(outputBytes), freeZeroPages);
    // One entry more than ticks: when the type changes at every tick the
    // closing entry still fits and the block's tail is filtered.
    resizeSegmentList(static_cast<std::uint32_t>(n) + 1);
    releaseBuffers();
    m_streams = static_cast<std::uint32_t*>(streams.release());
    m_outputs = static_cast<float*>(outputs.release());
    std::memset(m_streams, 0, words * sizeof(std::uint32_t));
    m_ticks = n;
    m_outputStride = static_cast<std::int32_t>(stride);
}

void FilterBank::assignVoiceBuffers(VoiceBuffers* records)
{
    if (m_outputs == nullptr)
        return;
    for (int v = 0; v < kVoices; ++v)
    {
        float* output = m_outputs + static_cast<std::size_t>(v) * m_outputStride + kFrameSamples;
        records[v].filterParameters = m_streams + static_cast<std::size_t>(v) * m_ticks;
        records[v].filterOutput = output;
        m_buffers[2 * v] = records[v].mixerOutput;
        m_buffers[2 * v + 1] = output;
    }
}

void FilterBank::appendSegment(std::uint32_t tick)
{
    if (m_segmentCount > 0 && m_segments[m_segmentCount - 1].endTick == tick)
        return;
    if (m_segmentCount >= m_segmentCapacity)
        return;
    m_segments[m_segmentCount++] = {static_cast<std::uint32_t>(m_filterType), tick};
}

void FilterBank::setFilterType(std::int64_t type, std::uint32_t tick)
{
    if (type < 0 || type > kFilterBypass || type == m_filterType)
        return;
    appendSegment(tick);
    m_filterType = type;
}

void FilterBank::closeSegmentList(std::uint32_t tick)
{
    appendSegment(tick);
}

namespace
{
// Bits 2k and 2k + 1 of the render mask: voices 2k and 2k + 1.
inline int pairMask(const std::uint64_t* renderMask, int k)
{
    return static_cast<int>((renderMask[k / 32] >> (2 * (k % 32))) & 3);
}
}

const std::uint32_t* FilterBank::stream(int voice, std::uint32_t tick) const
{
    return m_streams + static_cast<std::size_t>(voice) * static_cast<std::size_t>(m_ticks) + tick;
}

void FilterBank::process(const std::uint64_t* renderMask, std::int64_t carry, std::int64_t samples)
{
    if (m_buffers[0] == nullptr || samples <= 0)
        return;
    // The tick in progress comes first; the rest of the block starts new
    // ticks. A block that ends before the tick in progress does starts none.
    const bool insideFrame = samples <= carry;
    std::int64_t current = insideFrame ? samples : carry;
    std::int64_t left = insideFrame ? 0 : std::min<std::int64_t>(samples - carry, kFrameSamples * m_ticks);
    std::int64_t offset = carry;
    // The rendered pairs, handed over all at once so that the four-lane
    // variant can filter several in one loop.
    int count = 0;
    int pairs[kPairs];
    int masks[kPairs];
    float* const* buffers[kPairs];
    DualFilterSse* sseFilters[kPairs];
    for (int k = 0; k < kPairs; ++k)
    {
        const int mask = pairMask(renderMask, k);
        if (mask == 0)
            continue;
        pairs[count] = k;
        masks[count] = mask;
        buffers[count] = &m_buffers[4 * k];
        sseFilters[count] = m_sse ? static_cast<DualFilterSse*>(m_filters[k]) : nullptr;
        ++count;
    }
    const std::uint32_t* pairStreams[kPairs][2];
    const std::uint32_t* const* streams[kPairs];
    std::uint32_t tick = 0;
    for (std::uint32_t entry = 0; entry < m_segmentCount; ++entry)
    {
        const Segment& segment = m_segments[entry];
        const std::uint32_t end = std::min(segment.endTick, static_cast<std::uint32_t>(m_ticks));
        // An entry that covers no tick only matters for a block that lies
        // wholly inside the tick in progress.
        if (end < tick || (end == tick && !insideFrame))
            continue;
        const std::int64_t length =
            std::min<std::int64_t>(kFrameSamples * static_cast<std::int64_t>(end - tick), left);
        const int mode = static_cast<int>(segment.mode);
        for (int i = 0; i < count; ++i)
        {
            pairStreams[i][0] = stream(2 * pairs[i], tick);
            pairStreams[i][1] = stream(2 * pairs[i] + 1, tick);
            streams[i] = pairStreams[i];
        }
        if (m_sse)
            DualFilterSse::processPairs(sseFilters, buffers, streams, masks, count, offset, current, length, mode,
                                        m_simdPath);
        else
            for (int i = 0; i < count; ++i)
                m_filters[pairs[i]]->process(buffers[i], streams[i], masks[i], offset, current, length, mode);
        // A slot not rendered now starts afresh when it is rendered again.
        for (int k = 0; k < kPairs; ++k)
            m_filters[k]->setStartMask(~static_cast<std::uint32_t>(pairMask(renderMask, k)));
        left -= length;
        current = 0;
        tick = end;
        offset = -kFrameSamples * static_cast<std::int64_t>(end);
    }
}
