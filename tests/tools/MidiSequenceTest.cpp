#include "tools/MidiSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <stdexcept>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

Bytes header(int format, int tracks, int division)
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<unsigned char>(format), 0,
            static_cast<unsigned char>(tracks), static_cast<unsigned char>(division >> 8),
            static_cast<unsigned char>(division & 0xFF)};
}

Bytes chunk(const char (&type)[5], const Bytes& body)
{
    Bytes bytes(8 + body.size());
    const unsigned char chunkHeader[] = {static_cast<unsigned char>(type[0]),
                                         static_cast<unsigned char>(type[1]),
                                         static_cast<unsigned char>(type[2]),
                                         static_cast<unsigned char>(type[3]),
                                         0,
                                         0,
                                         static_cast<unsigned char>(body.size() >> 8),
                                         static_cast<unsigned char>(body.size() & 0xFF)};
    std::copy(std::begin(chunkHeader), std::end(chunkHeader), bytes.begin());
    std::copy(body.begin(), body.end(), bytes.begin() + 8);
    return bytes;
}

Bytes track(const Bytes& body)
{
    return chunk("MTrk", body);
}

Bytes join(std::initializer_list<Bytes> parts)
{
    std::size_t size = 0;
    for (const Bytes& part : parts)
        size += part.size();
    Bytes all(size);
    auto out = all.begin();
    for (const Bytes& part : parts)
        out = std::copy(part.begin(), part.end(), out);
    return all;
}
} // namespace

TEST(MidiSequence, ReadsNotesWithRunningStatusAtTheDefaultTempo)
{
    // 96 ticks per quarter at 120 beats per minute: 96 ticks = 0.5 s.
    const Bytes file = join({header(0, 1, 96),
                             track({0x00, 0x90, 60, 100, 0x60, 62, 90, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00})});
    const MidiSequence sequence = MidiSequence::fromStandardMidiFileBytes(file);
    const auto& messages = sequence.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_DOUBLE_EQ(messages[0].seconds, 0.0);
    EXPECT_EQ(messages[1].bytes[0], 0x90);
    EXPECT_EQ(messages[1].bytes[1], 62);
    EXPECT_EQ(messages[1].bytes[2], 90);
    EXPECT_DOUBLE_EQ(messages[1].seconds, 0.5);
    EXPECT_DOUBLE_EQ(messages[2].seconds, 1.0);
    EXPECT_EQ(messages[2].bytes[0], 0x80);
}

TEST(MidiSequence, TempoChangesMoveLaterEventsOnly)
{
    // A quarter at 120, then the tempo halves: the next quarter lasts 1 s.
    const Bytes conductor = track({0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    const Bytes notes = track({0x00, 0x90, 60, 100, 0x81, 0x40, 0x80, 60, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    const MidiSequence sequence = MidiSequence::fromStandardMidiFileBytes(join({header(1, 2, 96), conductor, notes}));
    ASSERT_EQ(sequence.messages().size(), 2u);
    EXPECT_DOUBLE_EQ(sequence.messages()[1].seconds, 1.5);
    EXPECT_DOUBLE_EQ(sequence.duration(), 1.5);
}

TEST(MidiSequence, AChunkOfAnotherTypeIsSkippedAndNotCountedAsATrack)
{
    const Bytes tempo = track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00});
    const Bytes notes = track({0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
    const MidiSequence sequence =
        MidiSequence::fromStandardMidiFileBytes(join({header(1, 2, 96), tempo, chunk("XFIH", {1, 2, 3, 4}), notes}));
    ASSERT_EQ(sequence.messages().size(), 2u);
    EXPECT_EQ(sequence.messages()[0].bytes[0], 0x90);
    EXPECT_DOUBLE_EQ(sequence.messages()[1].seconds, 0.5);
}

TEST(MidiSequence, SkipsSystemExclusiveAndMetaEventsAndKeepsProgramChanges)
{
    const Bytes file = join({header(0, 1, 96), track({0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7, 0x00, 0xFF, 0x03, 0x02, 'h',
                                                      'i', 0x00, 0xC0, 0x05, 0x00, 0xD0, 0x40})});
    const MidiSequence sequence = MidiSequence::fromStandardMidiFileBytes(file);
    ASSERT_EQ(sequence.messages().size(), 2u);
    EXPECT_EQ(sequence.messages()[0].bytes[0], 0xC0);
    EXPECT_EQ(sequence.messages()[0].bytes[1], 5);
    EXPECT_EQ(sequence.messages()[1].bytes[0], 0xD0);
    EXPECT_EQ(sequence.messages()[1].bytes[1], 0x40);
}

TEST(MidiSequence, DamagedFilesAreRefused)
{
    const Bytes good = join({header(0, 1, 96), track({0x00, 0x90, 60, 100, 0x10, 0x80, 60, 0})});
    for (std::size_t cut = 0; cut < good.size(); ++cut)
    {
        const Bytes truncated(good.begin(), good.begin() + cut);
        try
        {
            MidiSequence::fromStandardMidiFileBytes(truncated);
        }
        catch (const std::runtime_error&)
        {
        }
    }
    EXPECT_THROW(MidiSequence::fromStandardMidiFileBytes({'R', 'I', 'F', 'F'}), std::runtime_error);
    EXPECT_THROW(MidiSequence::fromStandardMidiFileBytes(join({header(2, 1, 96)})), std::runtime_error);
    EXPECT_THROW(MidiSequence::fromStandardMidiFileBytes(join({header(0, 1, 0xE728)})), std::runtime_error);
    EXPECT_THROW(MidiSequence::fromStandardMidiFileBytes(join({header(0, 1, 96), track({0x00, 60, 100})})),
                 std::runtime_error);
    EXPECT_THROW(MidiSequence::fromStandardMidiFile("/nonexistent/file.mid"), std::runtime_error);
}

TEST(MidiSequence, BuiltInPhraseReleasesEveryNoteItStarts)
{
    const MidiSequence phrase = MidiSequence::builtInPhrase();
    int held[128] = {};
    double last = 0.0;
    for (const TimedMidiMessage& message : phrase.messages())
    {
        EXPECT_GE(message.seconds, last);
        last = message.seconds;
        if (message.bytes[0] == 0x90)
            ++held[message.bytes[1]];
        else if (message.bytes[0] == 0x80)
            --held[message.bytes[1]];
    }
    for (int note = 0; note < 128; ++note)
        EXPECT_EQ(held[note], 0) << note;
    EXPECT_GT(phrase.duration(), 1.0);
    EXPECT_LT(phrase.duration(), 10.0);
}

TEST(MidiSequence, AddKeepsArrivalOrderAtEqualTimes)
{
    MidiSequence sequence;
    sequence.add(1.0, 0x90, 1, 1);
    sequence.add(0.5, 0x90, 2, 1);
    sequence.add(1.0, 0x90, 3, 1);
    ASSERT_EQ(sequence.messages().size(), 3u);
    EXPECT_EQ(sequence.messages()[0].bytes[1], 2);
    EXPECT_EQ(sequence.messages()[1].bytes[1], 1);
    EXPECT_EQ(sequence.messages()[2].bytes[1], 3);
}
