#pragma once

#include <cstddef>
#include <cstdint>

// The host's stereo input as an oscillator source: summed to mono and held
// for two engine samples, prepared once per block on the first read.
// Host sample k lands at engine positions 2k - carry and 2k - carry + 1
// relative to the block start, the carry being the engine samples the
// voices rendered ahead in the previous block.
class AudioInput
{
public:
    AudioInput();
    virtual ~AudioInput();

    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    // Host samples per block. Not for the audio thread: it allocates.
    virtual void setBlockSize(int hostSamples);
    // Once per block, before any read. A null array means no input.
    virtual void setInputs(const float* const* inputs, std::int64_t carry, std::int64_t count);
    // Fills ticks firstTick..endTick of `destination` (64 floats each) with
    // the input, or with zeros for any source but 0 or without input. A range
    // from tick 0 also fills the carry floats before `destination`; from 0 to
    // 0 it fills only those.
    virtual void read(int source, float* destination, int firstTick, int endTick);

    // What the last setInputs announced.
    std::int64_t blockLength() const { return m_count; }
    std::int64_t carry() const { return m_carry; }
    bool isActive() const { return m_hasInput; }

protected:
    // The floats a read covers: `length` from `out`, which lies `from`
    // floats after the destination (before it for the carry).
    struct Range
    {
        float* out;
        std::int64_t from;
        std::size_t length;
    };
    Range rangeOf(float* destination, int firstTick, int endTick) const;
    // What every variant keeps of a block: its length, the carry and whether
    // the host gave an input.
    void keepBlock(const float* const* inputs, std::int64_t carry, std::int64_t count);

    std::int64_t m_carry;
    std::int64_t m_count;
    bool m_hasInput;

private:
    void prepare();

    float* m_buffer;
    std::size_t m_bufferLength;
    const float* m_inputs[2];
    bool m_prepared;
};
