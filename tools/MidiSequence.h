#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A time-ordered list of short MIDI messages, timed in seconds.
struct TimedMidiMessage
{
    double seconds;
    unsigned char bytes[3];
};

class MidiSequence
{
public:
    // Reads a Standard MIDI File (formats 0 and 1, tempo changes honoured);
    // throws std::runtime_error when it is not one or is damaged.
    static MidiSequence fromStandardMidiFile(const std::string& path);
    static MidiSequence fromStandardMidiFileBytes(const std::vector<unsigned char>& bytes);
    // A short phrase of notes and a chord, for a render without a file.
    static MidiSequence builtInPhrase();

    void add(double seconds, unsigned char status, unsigned char data1, unsigned char data2);

    // Sorted by time; messages at the same time keep the order they came in.
    const std::vector<TimedMidiMessage>& messages() const { return m_messages; }
    double duration() const { return m_messages.empty() ? 0.0 : m_messages.back().seconds; }

private:
    std::vector<TimedMidiMessage> m_messages;
};
