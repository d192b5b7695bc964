#include "tools/MidiSequence.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "tools/CommandLine.h"

namespace
{
// Every read is bounded by the bytes really there.
class ByteReader
{
public:
    ByteReader(const unsigned char* begin, const unsigned char* end) : m_position(begin), m_end(end) {}

    bool atEnd() const { return m_position >= m_end; }
    std::size_t left() const { return static_cast<std::size_t>(m_end - m_position); }

    unsigned char byte()
    {
        need(1);
        return *m_position++;
    }

    std::uint32_t bigEndian(int bytes)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | byte();
        return value;
    }

    std::uint32_t variableLength()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
        {
            const unsigned char b = byte();
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        throw std::runtime_error("MIDI file: variable-length number too long");
    }

    void skip(std::size_t n)
    {
        need(n);
        m_position += n;
    }

    const unsigned char* position() const { return m_position; }

private:
    void need(std::size_t n) const
    {
        if (left() < n)
            throw std::runtime_error("MIDI file: unexpected end of data");
    }

    const unsigned char* m_position;
    const unsigned char* m_end;
};

struct TickEvent
{
    std::uint64_t tick;
    int order;
    unsigned char bytes[3];
};

int dataBytesOf(unsigned char status)
{
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}
} // namespace

MidiSequence MidiSequence::fromStandardMidiFile(const std::string& path)
{
    // Tens of millions of events, far more than any piece: a device that
    // never ends is refused rather than read until memory runs out.
    constexpr std::uint64_t kLargestFile = 64u << 20;
    const std::vector<unsigned char> bytes = readBoundedFile(path, kLargestFile, "MIDI file");
    try
    {
        return fromStandardMidiFileBytes(bytes);
    }
    catch (const std::runtime_error& fault)
    {
        throw std::runtime_error(path + ": " + fault.what());
    }
}

MidiSequence MidiSequence::fromStandardMidiFileBytes(const std::vector<unsigned char>& bytes)
{
    ByteReader file(bytes.data(), bytes.data() + bytes.size());
    if (file.left() < 14 || file.bigEndian(4) != 0x4D546864) // "MThd"
        throw std::runtime_error("not a Standard MIDI File");
    const std::uint32_t headerLength = file.bigEndian(4);
    if (headerLength < 6)
        throw std::runtime_error("MIDI file: short header");
    const std::uint32_t format = file.bigEndian(2);
    const std::uint32_t trackCount = file.bigEndian(2);
    const std::uint32_t division = file.bigEndian(2);
    file.skip(headerLength - 6);
    if (format > 1)
        throw std::runtime_error("MIDI file: only formats 0 and 1 are played");
    if (division == 0 || (division & 0x8000))
        throw std::runtime_error("MIDI file: only ticks per quarter note are supported");

    std::vector<TickEvent> events;
    std::map<std::uint64_t, std::uint32_t> tempoChanges; // tick -> microseconds per quarter
    int order = 0;
    // The header counts track chunks only: chunks of other types are skipped
    // without counting.
    for (std::uint32_t track = 0; track < trackCount && !file.atEnd();)
    {
        const std::uint32_t chunkType = file.bigEndian(4);
        const std::uint32_t length = file.bigEndian(4);
        if (length > file.left())
            throw std::runtime_error("MIDI file: track longer than the file");
        ByteReader chunk(file.position(), file.position() + length);
        file.skip(length);
        if (chunkType != 0x4D54726B) // "MTrk"
            continue;
        ++track;
        std::uint64_t tick = 0;
        unsigned char runningStatus = 0;
        while (!chunk.atEnd())
        {
            tick += chunk.variableLength();
            unsigned char status = chunk.byte();
            if (status == 0xFF)
            {
                const unsigned char type = chunk.byte();
                const std::uint32_t metaLength = chunk.variableLength();
                if (type == 0x51 && metaLength == 3)
                    tempoChanges[tick] = chunk.bigEndian(3);
                else
                    chunk.skip(metaLength);
                if (type == 0x2F)
                    break;
                continue;
            }
            if (status == 0xF0 || status == 0xF7)
            {
                chunk.skip(chunk.variableLength());
                continue;
            }
            TickEvent event{tick, order++, {0, 0, 0}};
            if (status & 0x80)
            {
                runningStatus = status;
                event.bytes[1] = chunk.byte();
            }
            else
            {
                if (!runningStatus)
                    throw std::runtime_error("MIDI file: data byte without a status");
                event.bytes[1] = status;
                status = runningStatus;
            }
            event.bytes[0] = status;
            if (dataBytesOf(status) == 2)
                event.bytes[2] = chunk.byte();
            events.push_back(event);
        }
    }

    std::stable_sort(events.begin(), events.end(),
                     [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });
    MidiSequence sequence;
    std::uint64_t tempoTick = 0;
    double tempoSeconds = 0.0;
    double secondsPerTick = 0.5 / division; // 120 beats per minute until told otherwise
    auto nextTempo = tempoChanges.begin();
    for (const TickEvent& event : events)
    {
        while (nextTempo != tempoChanges.end() && nextTempo->first <= event.tick)
        {
            tempoSeconds += (nextTempo->first - tempoTick) * secondsPerTick;
            tempoTick = nextTempo->first;
            secondsPerTick = nextTempo->second * 1e-6 / division;
            ++nextTempo;
        }
        sequence.add(tempoSeconds + (event.tick - tempoTick) * secondsPerTick, event.bytes[0], event.bytes[1],
                     event.bytes[2]);
    }
    return sequence;
}

MidiSequence MidiSequence::builtInPhrase()
{
    MidiSequence phrase;
    const unsigned char notes[] = {48, 55, 60, 63, 67, 63, 60, 55};
    const double step = 0.25;
    for (std::size_t i = 0; i < sizeof notes; ++i)
    {
        phrase.add(i * step, 0x90, notes[i], 100);
        phrase.add(i * step + step * 0.8, 0x80, notes[i], 64);
    }
    const double chordStart = sizeof notes * step;
    for (unsigned char note : {48, 60, 63, 67})
        phrase.add(chordStart, 0x90, note, 90);
    for (unsigned char note : {48, 60, 63, 67})
        phrase.add(chordStart + 1.5, 0x80, note, 64);
    return phrase;
}

void MidiSequence::add(double seconds, unsigned char status, unsigned char data1, unsigned char data2)
{
    TimedMidiMessage message{seconds, {status, data1, data2}};
    auto later = std::upper_bound(m_messages.begin(), m_messages.end(), seconds,
                                  [](double time, const TimedMidiMessage& m) { return time < m.seconds; });
    m_messages.insert(later, message);
}
