#include "tests/Source/Voices/KeyboardHandlerHarness.h"
#include "dsp/Random.h"

#include <gtest/gtest.h>

#include <set>

using namespace keyboard_test;

namespace
{
class Arpeggio : public ::testing::Test, public Harness
{
protected:
    // Arpeggio mode, octave direction (0 up .. 3 random) and pitch order,
    // octave 0 only.
    void arpeggio(std::int64_t mode, std::int64_t direction = 0, bool pitchOrder = true)
    {
        send(kArpeggioOrder, pitchOrder ? 0 : 1);
        send(kArpeggioOctDir, direction);
        send(kArpeggio, mode);
        run();
        clearOutput();
    }

    // Keys pressed together; returns the notes started at once.
    std::vector<int> press(std::initializer_list<int> keys, int channel = 0)
    {
        for (int key : keys)
            noteOn(channel, key);
        run();
        return startedNotes(notes());
    }

    // The notes started by each of count clock gate-ons, one per block.
    std::vector<int> clock(int count)
    {
        std::vector<int> played;
        for (int i = 0; i < count; ++i)
        {
            send(EventCode::ClockGateOn, 0, 8);
            run();
            const std::vector<int> started = startedNotes(notes());
            played.insert(played.end(), started.begin(), started.end());
            amp();
            send(EventCode::ClockGateOff, 0, 40);
            run();
            clearOutput();
        }
        return played;
    }
};
} // namespace

TEST_F(Arpeggio, UpPlaysTheFirstKeyAtOnceAndTheOthersOnTheClock)
{
    arpeggio(1);
    EXPECT_EQ(press({60, 64, 67}), std::vector<int>{60});
    EXPECT_EQ(clock(6), (std::vector<int>{64, 67, 60, 64, 67, 60}));
}

TEST_F(Arpeggio, UpClimbsThroughTheEnabledOctaves)
{
    send(kArpeggioOctP1, 1);
    arpeggio(1);
    EXPECT_EQ(press({60, 64, 67}), std::vector<int>{60});
    EXPECT_EQ(clock(7), (std::vector<int>{64, 67, 72, 76, 79, 60, 64}));
}

TEST_F(Arpeggio, DownWalksFromTheHighestKey)
{
    arpeggio(2);
    press({60, 64, 67});
    EXPECT_EQ(clock(5), (std::vector<int>{67, 64, 60, 67, 64}));
}

TEST_F(Arpeggio, DownOctavesStartAtTheHighest)
{
    send(kArpeggioOctM1, 1);
    send(kArpeggioOctP1, 1);
    arpeggio(2, 1);
    EXPECT_EQ(press({60, 64}), std::vector<int>{72});
    EXPECT_EQ(clock(6), (std::vector<int>{64, 60, 52, 48, 76, 72}));
}

TEST_F(Arpeggio, UpAndDownBouncesAcrossOctavesWithTheNotes)
{
    send(kArpeggioOctP1, 1);
    arpeggio(3, 2);
    EXPECT_EQ(press({60, 64, 67}), std::vector<int>{60});
    EXPECT_EQ(clock(11), (std::vector<int>{64, 67, 72, 76, 79, 76, 72, 67, 64, 60, 64}));
}

TEST_F(Arpeggio, UpAndDownWithOneOctaveTurnsAtBothEnds)
{
    arpeggio(3);
    press({60, 64, 67});
    EXPECT_EQ(clock(6), (std::vector<int>{64, 67, 64, 60, 64, 67}));
}

TEST_F(Arpeggio, ASingleHeldKeyAlternatesOctavesInUpAndDown)
{
    send(kArpeggioOctP1, 1);
    arpeggio(3);
    EXPECT_EQ(press({60}), std::vector<int>{60});
    EXPECT_EQ(clock(4), (std::vector<int>{72, 60, 72, 60}));
}

TEST_F(Arpeggio, PlayOrderFollowsTheOrderTheKeysWerePressed)
{
    arpeggio(1, 0, false);
    EXPECT_EQ(press({67, 60, 64}), std::vector<int>{67});
    EXPECT_EQ(clock(4), (std::vector<int>{60, 64, 67, 60}));

    Harness other;
    other.send(kArpeggioOrder, 0);
    other.send(kArpeggio, 1);
    for (int key : {67, 60, 64})
        other.noteOn(0, key);
    other.run();
    other.clearOutput();
    std::vector<int> played;
    for (int i = 0; i < 3; ++i)
    {
        other.send(EventCode::ClockGateOn, 0);
        other.run();
        const std::vector<int> started = startedNotes(other.notes());
        played.insert(played.end(), started.begin(), started.end());
    }
    EXPECT_EQ(played, (std::vector<int>{60, 64, 67})) << "pitch order";
}

TEST_F(Arpeggio, RandomStaysOnHeldKeysInEnabledOctavesAndFollowsTheSeed)
{
    send(kArpeggioOctM1, 1);
    send(kArpeggioOctP2, 1);
    arpeggio(4, 3);
    seedRandom(1234);
    press({60, 63, 67});
    const std::vector<int> first = clock(40);

    std::set<int> allowed;
    for (int key : {60, 63, 67})
        for (int octave : {-1, 0, 2})
            allowed.insert(key + 12 * octave);
    std::set<int> seen;
    for (int note : first)
    {
        EXPECT_TRUE(allowed.count(note)) << note;
        seen.insert(note);
    }
    EXPECT_GT(seen.size(), 3u);

    handler.reset();
    clearOutput();
    send(kArpeggioOctM1, 1);
    send(kArpeggioOctP2, 1);
    arpeggio(4, 3);
    seedRandom(1234);
    press({60, 63, 67});
    EXPECT_EQ(clock(40), first);
}

TEST_F(Arpeggio, NotesAboveTheKeyboardFoldDownByOctaves)
{
    send(kArpeggioOctP2, 1);
    arpeggio(1, 1);
    EXPECT_EQ(press({110}), std::vector<int>{122});
    EXPECT_EQ(clock(2), (std::vector<int>{110, 122}));
}

TEST_F(Arpeggio, MonoGatesOnceAndChangesNotesUnderTheOpenGate)
{
    arpeggio(1);
    noteOn(0, 60);
    noteOn(0, 64);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 1u);
    clearOutput();
    for (int i = 0; i < 3; ++i)
        send(EventCode::ClockGateOn, 0, 10 * i);
    run();
    // The first clock step opens the phrase once more; later ones only move
    // the note.
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 1u);
    EXPECT_EQ(startedNotes(notes()), (std::vector<int>{64, 60, 64}));
}

TEST_F(Arpeggio, ClockedTriggeringRetriggersEveryStep)
{
    send(kTriggering, 2);
    arpeggio(1);
    press({60, 64});
    for (int i = 0; i < 3; ++i)
        send(EventCode::ClockGateOn, 0, 10 * i);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOn).size(), 3u);
}

TEST_F(Arpeggio, PolyStepsReleaseThePreviousNote)
{
    apply(kFunction, kPoly8);
    arpeggio(1);
    EXPECT_EQ(press({60, 64}), std::vector<int>{60});
    // The first step takes over the group still sounding 60.
    send(EventCode::ClockGateOn, 0);
    run();
    std::vector<Posted> out = notes();
    EXPECT_EQ(startedNotes(out), std::vector<int>{64});
    EXPECT_EQ(withCode(out, EventCode::NoteStart)[0].group(), 0);
    EXPECT_TRUE(withCode(out, EventCode::GateOn).empty());
    clearOutput();
    // Later steps: a note-off for the last note, a note-on for the next.
    send(EventCode::ClockGateOn, 0);
    run();
    out = notes();
    EXPECT_EQ(startedNotes(out), std::vector<int>{60});
    const std::vector<Posted> offs = withCode(amp(), EventCode::GateOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_EQ(offs[0].group(), 0);
    EXPECT_EQ(withCode(out, EventCode::GateOn).size(), 1u);
}

TEST_F(Arpeggio, ReleasingEveryKeyReleasesTheArpeggiatedNote)
{
    for (std::int64_t function : {kMono, kPoly8, kDuo})
    {
        apply(kFunction, function);
        arpeggio(1);
        press({60, 64});
        clock(1);
        noteOff(0, 60);
        noteOff(0, 64);
        run();
        EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u) << function;
        clearOutput();
        EXPECT_TRUE(clock(3).empty()) << function;
        EXPECT_TRUE(amp().empty()) << function;
        arpeggio(0);
    }
}

TEST_F(Arpeggio, SwitchingOffInPolyReleasesThePlayedNote)
{
    apply(kFunction, kPoly8);
    send(kArpeggioOctP1, 1);
    arpeggio(1);
    press({60});
    clock(1); // 72 now sounds, a note no key holds
    send(kArpeggio, 0);
    run();
    EXPECT_EQ(withCode(amp(), EventCode::GateOff).size(), 1u);
}

TEST_F(Arpeggio, HoldKeepsTheArpeggioGoingAndANewKeyStartsAnother)
{
    apply(kKeyboardHold, 1);
    arpeggio(1);
    press({60, 64});
    noteOff(0, 60);
    noteOff(0, 64);
    run();
    EXPECT_TRUE(withCode(amp(), EventCode::GateOff).empty());
    clearOutput();
    EXPECT_EQ(clock(3), (std::vector<int>{64, 60, 64}));
    EXPECT_EQ(press({50}), std::vector<int>{50});
    EXPECT_EQ(handler.getSoundList(0).getCount(), 1);
    EXPECT_EQ(clock(2), (std::vector<int>{}));
    press({53});
    EXPECT_EQ(clock(2), (std::vector<int>{53, 50}));
}

TEST_F(Arpeggio, EveryChannelArpeggiatesItsOwnKeys)
{
    arpeggio(1);
    press({60, 64}, 0);
    press({40, 43}, 5);
    send(EventCode::ClockGateOn, 0);
    run();
    const std::vector<Posted> started = withCode(notes(), EventCode::NoteStart);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].group(), 0);
    EXPECT_EQ(started[0].note(), 64);
    EXPECT_EQ(started[1].group(), 5);
    EXPECT_EQ(started[1].note(), 43);
}
