#pragma once

#include "simd/SystemInfo.h"
#include "dsp/DualFilter.h"
#include "dsp/EngineDimensions.h"

#include <cstdint>

struct VoiceBuffers;

// The voice engine's filter stage: one dual filter per voice pair (voices 2k
// and 2k + 1 share filter k), the shared cutoff coefficients, the per-voice
// streams of filter parameter words (one per tick) and the per-voice output
// buffers, each with room for a tick carried over before its pointer.
//
// The filter type may change inside a block: the voice engine records every
// change in the mode segment list and the bank filters the block segment by
// segment, each with the type that was in force.
class FilterBank
{
public:
    static constexpr int kVoices = Engine::kVoices;
    static constexpr int kPairs = kVoices / 2;

    // Kept for the voice engine's per-voice control ticks; the bank itself
    // never reads them.
    struct Settings
    {
        std::int16_t envelopeAmount = 0;
        std::int16_t lfoAmount = 0;
        std::uint8_t frequency = 0;
        std::uint8_t resonance = 0;
        std::int16_t separation = 0;
        std::int16_t keyTracking = 0;
        std::int16_t controllerAmount = 0;
        std::int16_t lfoMix = 0;
        std::int16_t envelopeSource = 0;
    };

    struct Segment
    {
        std::uint32_t mode;
        std::uint32_t endTick;
    };

    FilterBank();
    ~FilterBank();

    FilterBank(const FilterBank&) = delete;
    FilterBank& operator=(const FilterBank&) = delete;

    void setSampleRate(float hostRate);
    // Ticks per block; invalidates the streams and outputs handed out before.
    void setBlockSize(std::int32_t ticks);
    // records: the voice engine's 128 records, whose mixer outputs are set;
    // fills in their filter parameter streams and filter outputs.
    void assignVoiceBuffers(VoiceBuffers* records);
    // Any thread but the audio thread, between block-size changes: gives the
    // buffers of voices begin to end - 1 their memory, so that a first chord
    // faults no pages.
    void prefaultBuffers(int begin, int end) const;
    // What prefaultBuffers gives each voice.
    std::size_t voiceBufferBytes() const;

    // renderMask: two words, bit v % 64 of word v / 64 set when voice v
    // sounds in this block. carry: engine samples of the tick in progress still to be
    // filtered (0..63), lying before the buffer pointers. samples: the block's
    // engine samples.
    void process(const std::uint64_t* renderMask, std::int64_t carry, std::int64_t samples);

    // The segment list's two writers, both in the voice engine's control pass.
    void resetSegmentList() { m_segmentCount = 0; }
    // A filter type parameter at tick: closes the segment of the type in force.
    void setFilterType(std::int64_t type, std::uint32_t tick);
    // After the block's last tick.
    void closeSegmentList(std::uint32_t tick);

    std::int64_t filterType() const { return m_filterType; }
    const Segment* segments() const { return m_segments; }
    std::uint32_t segmentCount() const { return m_segmentCount; }

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    const float* coefficientTable() const { return m_coefficients; }

private:
    void resizeSegmentList(std::uint32_t capacity);
    void releaseBuffers();
    void appendSegment(std::uint32_t tick);
    const std::uint32_t* stream(int voice, std::uint32_t tick) const;

    Segment* m_segments;
    std::uint32_t m_segmentCount;
    std::uint32_t m_segmentCapacity;
    std::int64_t m_filterType;
    Settings m_settings;
    DualFilter* m_filters[kPairs];
    float m_coefficients[256];
    std::uint32_t* m_streams;
    std::int32_t m_ticks;
    std::int32_t m_outputStride;
    float* m_outputs;
    // Per voice {input, output}, so that four consecutive entries are what
    // filter k's process wants.
    float* m_buffers[2 * kVoices];
    // The filters are DualFilterSse objects.
    bool m_sse;
    // ... and their groups run on the vectors of this path.
    SimdPath m_simdPath;
};
